// The lookups of the import in the work tables ASIGNOMT, DIASHORAST, AULAT,
// GRUPOST and ASIGT. Each table is read once, in stored order, into hash
// maps; every lookup then answers in constant time exactly what a scan of
// the table from its first row would: the first row that matches (the
// course lookup keeps its own rule, below). Keys and values are field texts
// as the engine returns them, compared exactly and case-sensitively.
#pragma once
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "worktables/dbf_table.h"

namespace pasahorario {

// A DIASHORAST row: the day number and the DELPHOS code of a time slot.
struct TimeSlot {
  std::string dia;
  std::string coddiho;
};

class WorkTableIndex {
 public:
  // Reads the five tables, which must be open and unfiltered. Throws the
  // engine's Error when a table lacks a field read here or a text cannot be
  // read, and an Error naming the table when memory runs out.
  WorkTableIndex(dbf::DbfTable& asignomt, dbf::DbfTable& diashorast, dbf::DbfTable& aulat,
                 dbf::DbfTable& grupost, dbf::DbfTable& asigt);

  // MATERIA of the first ASIGNOMT row whose COD is `cod`; nullptr when none.
  const std::string* MateriaDeCod(const std::string& cod) const;

  // The first DIASHORAST row whose DIHO is `diho`; nullptr when none.
  const TimeSlot* Tramo(const std::string& diho) const;

  // DEPCENTRO of the first AULAT row whose ABREV is `abrev`; nullptr when none.
  const std::string* DepCentro(const std::string& abrev) const;

  // UNIDAD of the first GRUPOST row whose ABREV is `abrev`; nullptr when none.
  const std::string* Unidad(const std::string& abrev) const;

  // MATERIA of the first ASIGT row with this CASIG and CGRUP, blank or not;
  // nullptr when none.
  const std::string* MateriaDeGrupo(const std::string& casig, const std::string& cgrup) const;

  // Among the ASIGT rows with this CASIG, NIVEL and CURSO, in stored order:
  // the MATERIA of the first one whose MATERIA is not blank, or else that of
  // the last one; nullptr when no row has them.
  const std::string* MateriaDeCurso(const std::string& casig, const std::string& nivel,
                                    const std::string& curso) const;

  // Whether some ASIGT row has this CASIG.
  bool HasCasig(const std::string& casig) const { return casigs_.count(casig) > 0; }

  // The keys of the lookups, in byte order, for proposing a correspondence:
  // ASIGNOMT's COD, AULAT's and GRUPOST's ABREV, and the subject codes
  // (ASIGT's CASIG with ASIGNOMT's COD).
  std::vector<std::string> Cods() const;
  std::vector<std::string> AulaAbrevs() const;
  std::vector<std::string> GrupoAbrevs() const;
  std::vector<std::string> SubjectCodes() const;

 private:
  std::unordered_map<std::string, std::string> materia_de_cod_;
  std::unordered_set<std::string> casigs_;
  std::unordered_map<std::string, TimeSlot> tramos_;
  std::unordered_map<std::string, std::string> depcentros_;
  std::unordered_map<std::string, std::string> unidades_;
  std::unordered_map<std::string, std::string> materia_de_grupo_;
  struct CourseMateria {
    std::string materia;
    bool settled = false;  // a row with a MATERIA that is not blank was met
  };
  std::unordered_map<std::string, CourseMateria> materia_de_curso_;
};

}  // namespace pasahorario
