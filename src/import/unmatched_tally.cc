#include "import/unmatched_tally.h"

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

void UnmatchedTally::Add(UnmatchedKind kind, const std::string& code, int activities) {
  counts_[{kind, code}] += activities;
}

std::vector<ImportSummary::Unmatched> UnmatchedTally::Entries() const {
  std::vector<ImportSummary::Unmatched> entries;
  for (const auto& [key, activities] : counts_) {
    entries.push_back({UnmatchedLabel(key.first), key.second, activities});
  }
  return entries;
}

}  // namespace pasahorario
