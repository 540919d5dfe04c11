#include "import/import_proposals.h"

#include <optional>
#include <string>

#include "base/text.h"
#include "import/equivalencias.h"

namespace pasahorario {
namespace {

ImportSummary::Proposed Proposed(EquivalenceKind kind, const std::string& code,
                                 const Proposal& proposal) {
  Equivalence e;
  e.kind = kind;
  e.from = code;
  e.to = proposal.code;
  return {EquivalenceLine(e), proposal.why};
}

}  // namespace

std::vector<ImportSummary::Proposed> Proposals(
    const UnknownTeachers& unknown, const std::vector<TeacherName>& teachers,
    const std::vector<ImportSummary::Unmatched>& unmatched, const WorkTableIndex& index) {
  std::vector<ImportSummary::Proposed> proposals;
  for (const auto& [code, rows] : unknown.codes()) {
    // A code whose rows have no day loses nothing.
    if (IsBlank(code) || rows.with_day == 0) continue;
    if (const std::optional<Proposal> p = ProposeTeacher(code, teachers)) {
      proposals.push_back(Proposed(EquivalenceKind::kProfesor, code, *p));
    }
  }
  const struct {
    const char* label;
    EquivalenceKind kind;
    std::vector<std::string> (WorkTableIndex::*codes)() const;
  } kTables[] = {
      {kTareaSinMateria, EquivalenceKind::kTarea, &WorkTableIndex::Cods},
      {kAulaSinFila, EquivalenceKind::kAula, &WorkTableIndex::AulaAbrevs},
      {kGrupoSinFila, EquivalenceKind::kGrupo, &WorkTableIndex::GrupoAbrevs},
      {kAsigSinMateria, EquivalenceKind::kAsignatura, &WorkTableIndex::SubjectCodes},
  };
  for (const auto& table : kTables) {
    std::vector<std::string> codes;
    bool read = false;
    for (const ImportSummary::Unmatched& u : unmatched) {
      if (u.kind != table.label || IsBlank(u.code)) continue;
      if (!read) {
        codes = (index.*table.codes)();
        read = true;
      }
      std::vector<std::string> others;  // the value itself may be a key without MATERIA
      for (const std::string& c : codes) {
        if (c != u.code) others.push_back(c);
      }
      if (const std::optional<Proposal> p = ProposeCode(u.code, others)) {
        proposals.push_back(Proposed(table.kind, u.code, *p));
      }
    }
  }
  return proposals;
}

void ReportProposals(const std::vector<ImportSummary::Proposed>& proposals, Report& report) {
  for (const ImportSummary::Proposed& p : proposals) {
    report.Add({FindingKind::kProposal, "SOLUC", 0, p.line,
                "Propuesta: " + p.why + ". Si es la correspondencia buena, añada a " +
                    kEquivalenciasName + " la línea \"" + p.line +
                    "\" y vuelva a importar; no se aplica sola."});
  }
}

}  // namespace pasahorario
