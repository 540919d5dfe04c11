#include "import/unmatched_tally.h"

#include "base/message_text.h"
#include "base/text.h"

namespace pasahorario {

const char* UnmatchedLabel(UnmatchedKind kind) {
  switch (kind) {
    case UnmatchedKind::kTarea:
      return kTareaSinMateria;
    case UnmatchedKind::kTramo:
      return kTramoSinFila;
    case UnmatchedKind::kAula:
      return kAulaSinFila;
    case UnmatchedKind::kCodGrupo:
      return kGrupoSinFila;
    case UnmatchedKind::kAsig:
      return kAsigSinMateria;
  }
  return "";
}

void UnmatchedTally::Add(UnmatchedKind kind, const std::string& code, int activities,
                         const std::string& slot) {
  counts_[{kind, code, slot}] += activities;
}

std::vector<ImportSummary::Unmatched> UnmatchedTally::Entries() const {
  std::vector<ImportSummary::Unmatched> entries;
  for (const auto& [key, activities] : counts_) {
    const auto& [kind, code, slot] = key;
    entries.push_back({UnmatchedLabel(kind), code, activities, slot});
  }
  return entries;
}

std::string SlotText(const std::string& dia, int32_t hora) {
  return "día " + (IsBlank(dia) ? std::string("en blanco") : EscapedForMessage(TrimmedText(dia))) +
         ", hora " + std::to_string(hora);
}

std::string UnmatchedValueText(const ImportSummary::Unmatched& unmatched) {
  const std::string code = "'" + EscapedForMessage(unmatched.code) + "'";
  return unmatched.slot.empty() ? code : unmatched.slot + " (DIHO " + code + ")";
}

}  // namespace pasahorario
