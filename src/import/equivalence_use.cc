#include "import/equivalence_use.h"

#include <cassert>

#include "base/message_text.h"

namespace pasahorario {
namespace {

std::string Activities(long long n) {
  return std::to_string(n) + (n == 1 ? " actividad" : " actividades");
}

// The right side as a sentence names it, after "apunta".
std::string Target(const Equivalence& e) {
  const std::string text = "'" + EscapedForMessage(e.to) + "'";
  if (e.kind == EquivalenceKind::kTramo) {
    return "al día " + text + ", hora " + std::to_string(e.to_hour);
  }
  return "a " + text;
}

// What the records of a broken correspondence are left with.
std::string Consequence(const Equivalence& e, long long n) {
  if (e.kind == EquivalenceKind::kProfesor) {
    return n == 1 ? "su fila con actividad no pasa al resultado"
                  : "sus " + std::to_string(n) + " filas con actividad no pasan al resultado";
  }
  const char* what = "";
  switch (e.kind) {
    case EquivalenceKind::kAula:
      what = "sin dependencia";
      break;
    case EquivalenceKind::kGrupo:
      what = "sin unidad";
      break;
    case EquivalenceKind::kTarea:
      what = "con el código de SOLUC como actividad";
      break;
    case EquivalenceKind::kAsignatura:
      what = "sin materia";
      break;
    case EquivalenceKind::kTramo:
      what = "sin día ni tramo";
      break;
    case EquivalenceKind::kProfesor:
      break;
  }
  return Activities(n) + (n == 1 ? " queda " : " quedan ") + what;
}

}  // namespace

const char* EquivalenceTable(EquivalenceKind kind) {
  switch (kind) {
    case EquivalenceKind::kAula:
      return "AULAT";
    case EquivalenceKind::kGrupo:
      return "GRUPOST";
    case EquivalenceKind::kProfesor:
      return "PROFT";
    case EquivalenceKind::kTarea:
      return "ASIGNOMT";
    case EquivalenceKind::kAsignatura:
      return "ASIGT ni en ASIGNOMT";
    case EquivalenceKind::kTramo:
      return "DIASHORAST";
  }
  return "";
}

EquivalenceUse::EquivalenceUse(const Equivalencias& file)
    : file_(file), uses_(file.entries().size()) {}

EquivalenceUse::Use& EquivalenceUse::UseOf(const Equivalence& e) {
  const auto i = static_cast<size_t>(&e - file_.entries().data());
  assert(i < uses_.size());
  uses_[i].met = true;
  return uses_[i];
}

void EquivalenceUse::Applied(const Equivalence& e, int activities) {
  UseOf(e).applied += activities;
}

void EquivalenceUse::Ignored(const Equivalence& e, int activities) {
  UseOf(e).ignored += activities;
}

void EquivalenceUse::Broken(const Equivalence& e, int activities) { UseOf(e).broken += activities; }

void EquivalenceUse::AddFindings(Report& report) const {
  for (size_t i = 0; i < uses_.size(); ++i) {
    const Equivalence& e = file_.entries()[i];
    const Use& use = uses_[i];
    const std::string line = "la línea " + std::to_string(e.line) + " (" + EquivalenceLine(e) + ")";
    if (use.broken > 0 || (use.met && !e.none && use.applied == 0)) {
      report.Add({FindingKind::kEquivBroken, kEquivalenciasName, 0, e.from,
                  "La equivalencia de la línea " + std::to_string(e.line) + " apunta " + Target(e) +
                      ", que no está en " + EquivalenceTable(e.kind) + ": " +
                      Consequence(e, use.broken) +
                      ". Corrija la línea con el código que tiene la tabla y vuelva a importar."});
    }
    if (use.applied > 0) {
      report.Add({FindingKind::kEquivApplied, kEquivalenciasName, 0, e.from,
                  "Se ha aplicado " + line + " en " + Activities(use.applied) + "."});
    }
    if (!use.met) {
      report.Add({FindingKind::kEquivUnused, kEquivalenciasName, 0, e.from,
                  "No se ha usado " + line +
                      ": ningún valor de SOLUC sin correspondencia en las tablas la necesita. "
                      "Si ya no hace falta, puede borrarla."});
    }
  }
}

}  // namespace pasahorario
