// New work tables written beside the old ones and put in their place
// together: either every old table is replaced or none is.
#pragma once
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pasahorario {

// Renames its first argument over its second; throws Error on failure.
using ReplaceFileFn =
    std::function<void(const std::filesystem::path& from, const std::filesystem::path& to)>;

class StagedTables {
 public:
  // Tables of the exchange directory `dir`. `replace` puts a file in place
  // (ReplaceFile unless a test gives another).
  explicit StagedTables(std::filesystem::path dir, ReplaceFileFn replace = {});
  StagedTables(const StagedTables&) = delete;
  StagedTables& operator=(const StagedTables&) = delete;
  // Removes every staged file when Commit has not succeeded.
  ~StagedTables();

  // A fresh path beside table `name` ("ASIGNOMT") for its new .DBF; the file
  // is not created. Requires: each name staged once, before Commit.
  std::filesystem::path Stage(std::string_view name);

  // Puts every staged file in the place of its table's .DBF (the name's
  // letter case as it is on disk), then deletes the tables' old .MDX files.
  // Requires: every staged file written. When a replacement fails, the ones
  // already made are undone, every old table is back as it was, the staged
  // files are removed, and Error says what failed (and names any old table
  // that could not be put back, with the file that still holds it).
  void Commit();

 private:
  struct Entry {
    std::string name;
    std::filesystem::path staged;
  };
  void RemoveStaged();

  std::filesystem::path dir_;
  ReplaceFileFn replace_;
  std::vector<Entry> entries_;
  bool committed_ = false;
};

}  // namespace pasahorario
