#include "base/report.h"

#include <map>

namespace pasahorario {
namespace {

// How the summary names `n` findings of `kind`.
std::string Counted(FindingKind kind, int n) {
  const bool one = n == 1;
  const char* what = "";
  switch (kind) {
    case FindingKind::kCut:
      what = one ? "valor recortado" : "valores recortados";
      break;
    case FindingKind::kCutCollision:
      what = one ? "clave repetida tras recortar" : "claves repetidas tras recortar";
      break;
    case FindingKind::kReplaced:
      what = one ? "carácter sustituido" : "caracteres sustituidos";
      break;
    case FindingKind::kDuplicateKey:
      what = one ? "clave repetida" : "claves repetidas";
      break;
    case FindingKind::kSkipped:
      what = one ? "sección con registros omitidos" : "secciones con registros omitidos";
      break;
    case FindingKind::kUnmatched:
      what = one ? "valor sin correspondencia" : "valores sin correspondencia";
      break;
    case FindingKind::kUnknownTeacher:
      what = one ? "profesor de SOLUC que no está en PROFT"
                 : "profesores de SOLUC que no están en PROFT";
      break;
    case FindingKind::kNoActivity:
      what = "SOLUC sin actividades";
      break;
    case FindingKind::kOldSolution:
      what = "SOLUC anterior a la última exportación";
      break;
    case FindingKind::kCodePageAssumed:
      what = "página de códigos supuesta";
      break;
    case FindingKind::kFileLeft:
      what = one ? "archivo sin borrar" : "archivos sin borrar";
      break;
    case FindingKind::kNotFlushed:
      what = one ? "carpeta sin guardar en el disco" : "carpetas sin guardar en el disco";
      break;
    case FindingKind::kMisplacedValues:
      what = one ? "registro con valores fuera de su sitio"
                 : "registros con valores fuera de su sitio";
      break;
    case FindingKind::kMissingSection:
      what = one ? "sección que falta" : "secciones que faltan";
      break;
    case FindingKind::kBlankKey:
      what = one ? "clave en blanco" : "claves en blanco";
      break;
    case FindingKind::kEquivApplied:
      what = one ? "equivalencia aplicada" : "equivalencias aplicadas";
      break;
    case FindingKind::kEquivBroken:
      what = one ? "equivalencia que apunta a un valor que no está en las tablas"
                 : "equivalencias que apuntan a valores que no están en las tablas";
      break;
    case FindingKind::kEquivUnused:
      what = one ? "equivalencia sin usar" : "equivalencias sin usar";
      break;
    case FindingKind::kProposal:
      what = one ? "propuesta de equivalencia" : "propuestas de equivalencia";
      break;
  }
  return std::to_string(n) + " " + what;
}

}  // namespace

std::vector<std::string> Report::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(findings_.size());
  for (const Finding& f : findings_) {
    std::string line;
    if (!f.where.empty()) line += f.where;
    if (f.record > 0)
      line += (line.empty() ? "Registro " : ", registro ") + std::to_string(f.record);
    if (!line.empty()) line += ": ";
    lines.push_back(line + f.text);
  }
  return lines;
}

std::string Report::Summary() const {
  if (findings_.empty()) return "Sin avisos";
  std::map<FindingKind, int> per_kind;
  for (const Finding& f : findings_) ++per_kind[f.kind];
  std::string text =
      std::to_string(findings_.size()) + (findings_.size() == 1 ? " aviso: " : " avisos: ");
  bool first = true;
  for (const auto& [kind, n] : per_kind) {
    if (!first) text += ", ";
    text += Counted(kind, n);
    first = false;
  }
  return text;
}

}  // namespace pasahorario
