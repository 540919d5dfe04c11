#include "base/report.h"

#include <algorithm>
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

namespace {

// The last sentence (or sentences) that every one of `texts` ends with,
// after a ". " or "; " of each, when there are two texts or more and none
// is all advice; empty when they share none.
std::string SharedAdvice(const std::vector<std::string>& texts) {
  if (texts.size() < 2) return "";
  const std::string& first = texts.front();
  for (size_t at = 2; at < first.size(); ++at) {
    const std::string_view before(first.data() + at - 2, 2);
    if (before != ". " && before != "; ") continue;
    const std::string_view advice(first.data() + at, first.size() - at);
    const bool shared = std::all_of(texts.begin(), texts.end(), [&](const std::string& t) {
      if (t.size() < advice.size() + 3 || !t.ends_with(advice)) return false;
      const std::string_view sep(t.data() + t.size() - advice.size() - 2, 2);
      return sep == ". " || sep == "; ";
    });
    if (shared) return std::string(advice);
  }
  return "";
}

std::string Capitalized(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 32);
  return text;
}

}  // namespace

std::vector<std::string> Report::GroupedLines() const {
  std::vector<FindingKind> order;
  std::map<FindingKind, std::vector<size_t>> members;
  for (size_t i = 0; i < findings_.size(); ++i) {
    auto& list = members[findings_[i].kind];
    if (list.empty()) order.push_back(findings_[i].kind);
    list.push_back(i);
  }
  const std::vector<std::string> lines = Lines();
  std::vector<std::string> out;
  for (FindingKind kind : order) {
    const std::vector<size_t>& group = members[kind];
    std::vector<std::string> texts;
    for (size_t i : group) texts.push_back(findings_[i].text);
    const std::string advice = SharedAdvice(texts);
    if (!out.empty()) out.emplace_back();
    out.push_back(Counted(kind, static_cast<int>(group.size())) + ":");
    if (!advice.empty()) out.push_back("  " + Capitalized(advice));
    for (size_t i : group) {
      std::string line = lines[i];
      if (!advice.empty()) {
        line.resize(line.size() - advice.size() - 2);  // the advice and its ". " or "; "
        line += '.';
      }
      out.push_back("  \u2022 " + line);
    }
  }
  return out;
}

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
