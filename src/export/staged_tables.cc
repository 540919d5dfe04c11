#include "export/staged_tables.h"

#include <system_error>
#include <utility>

#include "base/atomic_file.h"
#include "base/error.h"
#include "base/text.h"
#include "worktables/dbf_table.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

// A second name for the old table's bytes, kept until every new table is in
// place: a hard link where the file system has them, a copy elsewhere.
void KeepBackup(const fs::path& target, const fs::path& backup) {
  std::error_code ec;
  fs::create_hard_link(target, backup, ec);
  if (!ec) return;
  fs::copy_file(target, backup, ec);
  if (ec) {
    fs::remove(backup, ec);
    throw Error("No se pudo guardar una copia de la tabla " + target.string() +
                " antes de sustituirla; no se ha cambiado ninguna tabla");
  }
}

void RemoveQuietly(const fs::path& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

// Deletes the .MDX file of table `name` in `dir`, whatever its letter case.
// A failure is ignored: the new table does not refer to any index file.
void DeleteIndexFile(const fs::path& dir, const std::string& name) {
  const std::string wanted = AsciiLower(name + ".MDX");
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (AsciiLower(it->path().filename().string()) == wanted) RemoveQuietly(it->path());
  }
}

}  // namespace

StagedTables::StagedTables(fs::path dir, ReplaceFileFn replace)
    : dir_(std::move(dir)), replace_(replace ? std::move(replace) : ReplaceFileFn(ReplaceFile)) {}

StagedTables::~StagedTables() {
  if (!committed_) RemoveStaged();
}

fs::path StagedTables::Stage(std::string_view name) {
  Entry entry{std::string(name), StagingPath(dir_ / (std::string(name) + ".DBF"), "nuevo")};
  entries_.push_back(entry);
  return entry.staged;
}

void StagedTables::RemoveStaged() {
  for (const Entry& entry : entries_) RemoveQuietly(entry.staged);
}

void StagedTables::Commit() {
  struct Step {
    fs::path target;
    fs::path backup;  // empty when there was no old table
  };
  std::vector<Step> steps;
  steps.reserve(entries_.size());
  const auto remove_backups = [&] {
    for (const Step& step : steps) {
      if (!step.backup.empty()) RemoveQuietly(step.backup);
    }
  };

  try {
    for (const Entry& entry : entries_) {
      Step step{dbf::TablePath(dir_, entry.name), {}};
      std::error_code ec;
      if (fs::exists(step.target, ec)) {
        step.backup = StagingPath(step.target, "anterior");
        KeepBackup(step.target, step.backup);
      }
      steps.push_back(std::move(step));
    }
  } catch (const Error&) {
    remove_backups();
    RemoveStaged();
    throw;
  }

  for (size_t i = 0; i < entries_.size(); ++i) {
    try {
      replace_(entries_[i].staged, steps[i].target);
    } catch (const Error& e) {
      // Undo the replacements already made, newest first.
      std::string lost;
      for (size_t j = i; j-- > 0;) {
        if (steps[j].backup.empty()) {
          std::error_code ec;
          fs::remove(steps[j].target, ec);
          if (ec) {
            lost += "\nNo se pudo quitar la tabla nueva " + steps[j].target.string() +
                    ", que antes no existía";
          }
          continue;
        }
        try {
          replace_(steps[j].backup, steps[j].target);
        } catch (const Error&) {
          lost += "\nNo se pudo devolver a su sitio la tabla anterior " + steps[j].target.string() +
                  "; su contenido está en " + steps[j].backup.string();
        }
        steps[j].backup.clear();  // moved back, or kept for the user
      }
      remove_backups();
      RemoveStaged();
      throw Error(
          std::string(e.what()) +
          (lost.empty() ? "\nLas tablas de trabajo anteriores se han dejado como estaban." : lost));
    }
  }

  committed_ = true;
  remove_backups();
  for (const Entry& entry : entries_) DeleteIndexFile(dir_, entry.name);
}

}  // namespace pasahorario
