#include "worktables/dbf_table.h"

#include <system_error>
#include <utility>
#include <variant>

#include "base/atomic_file.h"
#include "base/error.h"
#include "base/message_text.h"
#include "base/text.h"
#include "base/utf8_path.h"
#include "worktables/table_path.h"
#include "worktables/table_state.h"

namespace pasahorario::dbf {
namespace fs = std::filesystem;

namespace {

// What a person does about a table another program holds.
constexpr char kHeldAdvice[] =
    ", probablemente Tablerix. Ciérrelo (o guarde y cierre el horario) y vuelva a intentarlo";

// A blank record for `fields`: blanks in text fields, zero bytes in the
// binary ones, whose empty value that is.
std::string BlankRecord(const TableHeader& header) {
  std::string record(static_cast<size_t>(header.record_length), ' ');
  for (const StoredField& f : header.fields) {
    const char t = f.layout.type;
    const bool binary =
        (header.flavor == Flavor::kLevel7 && (t == 'I' || t == '+' || t == 'O' || t == '@')) ||
        (header.flavor == Flavor::kVisualFoxPro && (t == 'I' || t == 'B' || t == 'Y' || t == 'T'));
    if (binary) record.replace(f.offset, f.layout.width, f.layout.width, '\0');
  }
  return record;
}

}  // namespace

FieldLayout TextField(std::string name, int width) { return {std::move(name), 'C', width, 0}; }
FieldLayout LogicalField(std::string name) { return {std::move(name), 'L', 1, 0}; }
FieldLayout IntegerField(std::string name) { return {std::move(name), 'N', 11, 0}; }
FieldLayout FloatField(std::string name) { return {std::move(name), 'N', 20, 4}; }

DbfTable::DbfTable(fs::path dir, std::string name) : impl_(std::make_unique<Impl>()) {
  impl_->base_name = TableBaseName(name);
  impl_->by_name = true;
  impl_->file = TablePath(dir, impl_->base_name);
  impl_->dir = std::move(dir);
}

DbfTable::DbfTable(fs::path file) : impl_(std::make_unique<Impl>()) {
  const std::string file_name = PathToUtf8(file.filename());
  impl_->base_name = file_name.substr(0, file_name.find('.'));
  impl_->file = std::move(file);
}

DbfTable::DbfTable(DbfTable&&) noexcept = default;
DbfTable& DbfTable::operator=(DbfTable&& other) noexcept {
  if (this != &other) {
    CloseQuietly();  // the table this object held
    impl_ = std::move(other.impl_);
  }
  return *this;
}

DbfTable::~DbfTable() { CloseQuietly(); }

void DbfTable::CloseQuietly() noexcept {
  if (!impl_) return;
  try {
    Close();
  } catch (const Error&) {
    impl_->Reset();  // nowhere to report it from here
  }
}

void DbfTable::Create(const std::vector<FieldLayout>& fields) {
  Impl& t = *impl_;
  if (t.open) throw Error("No se puede crear de nuevo " + t.Label() + " mientras está abierta");
  if (t.by_name) t.file = TablePath(t.dir, t.base_name);
  const std::string problem = FieldListProblem(fields);
  if (!problem.empty()) throw Error("No se puede crear " + t.Label() + ": " + problem);

  // A table another program holds open is not replaced under its feet.
  std::error_code ec;
  if (fs::exists(t.file, ec)) {
    LockedFile probe;
    std::string reason;
    if (probe.Open(t.file, true, &reason) == LockedFile::Status::kBusy) {
      throw Error("No se puede crear " + t.Label() + ": está abierta en otro programa" +
                  kHeldAdvice);
    }
  }
  try {
    WriteFileAtomically(t.file, BuildHeader(fields, Today()) + '\x1A');
  } catch (const Error& e) {
    throw Error("No se pudo crear " + t.Label() + ": " + e.what());
  }
}

void DbfTable::Open(Access access) {
  Impl& t = *impl_;
  if (t.open) return;
  if (t.by_name) t.file = TablePath(t.dir, t.base_name);
  std::string reason;
  switch (t.handle.Open(t.file, access == Access::kExclusive, &reason)) {
    case LockedFile::Status::kOpen:
      break;
    case LockedFile::Status::kMissing: {
      std::error_code ec;
      const fs::path dir = t.file.parent_path();
      if (!dir.empty() && !fs::is_directory(dir, ec)) {
        throw Error("No existe la carpeta " + PathToUtf8(dir) + ", donde debería estar la tabla " +
                    t.base_name);
      }
      throw Error("No existe la tabla " + t.base_name + " en la carpeta " +
                  PathToUtf8(dir.empty() ? fs::path(".") : dir));
    }
    case LockedFile::Status::kBusy:
      throw Error("No se puede abrir " + t.Label() + ": está abierta en otro programa" +
                  kHeldAdvice);
    case LockedFile::Status::kFailed:
      throw Error("No se pudo abrir " + t.Label() + ": " + reason);
  }

  // The header is at most 64 KiB (its length is a 16-bit number).
  std::string bytes;
  uint64_t file_size = 0;
  if (!t.handle.Size(&file_size) || !t.handle.ReadAt(0, 65536, &bytes)) {
    t.Reset();
    throw Error("No se pudo leer " + t.Label());
  }
  auto read = ReadHeader(bytes);
  std::string count_problem;
  if (const auto* header = std::get_if<TableHeader>(&read)) {
    count_problem = RecordCountProblem(*header, file_size);
  }
  if (const auto* problem = std::get_if<HeaderProblem>(&read)) {
    const std::string label = t.Label();
    t.Reset();
    switch (problem->kind) {
      case HeaderProblem::kNotDbase:
        throw Error("No se puede abrir " + label + ": no es una tabla dBase (" + problem->detail +
                    ")");
      case HeaderProblem::kTruncated:
        throw Error("No se puede abrir " + label + ": está incompleta (" + problem->detail + ")");
      case HeaderProblem::kMultiByte:
        throw Error("No se puede abrir " + label + ": su texto está en la página de códigos " +
                    std::to_string(problem->code_page) +
                    ", de varios bytes por carácter, que este programa no lee");
      case HeaderProblem::kEncrypted:
        throw Error("No se puede abrir " + label + ": está cifrada");
      case HeaderProblem::kDamaged:
        throw Error("No se puede abrir " + label + ": la tabla parece dañada (" + problem->detail +
                    ")");
    }
  }
  if (!count_problem.empty()) {
    const std::string label = t.Label();
    t.Reset();
    throw Error("No se puede abrir " + label + ": está incompleta (" + count_problem + ")");
  }
  TableHeader& header = std::get<TableHeader>(read);

  t.flavor = header.flavor;
  t.page = CodePage::Find(header.code_page);
  t.header_length = header.header_length;
  t.record_length = header.record_length;
  t.specs.clear();
  t.offsets.clear();
  for (StoredField& f : header.fields) {
    t.specs.push_back(std::move(f.layout));
    t.offsets.push_back(f.offset);
  }
  t.blank_record = BlankRecord(header);
  t.stored_rows = header.record_count;
  t.pending = false;
  t.filter_ready = false;
  t.open = true;
  try {
    t.Reading([&] {
      if (!header.code_page_declared || !header.unknown_driver.empty()) {
        t.AssumeCodePage(header.unknown_driver);
      }
      First();
    });
  } catch (const Error&) {
    t.Reset();
    throw;
  }
}

void DbfTable::Close() {
  Impl& t = *impl_;
  if (!t.open) return;
  if (t.pending) {  // a row appended and never posted is dropped
    t.appended.resize(t.appended.size() - static_cast<size_t>(t.record_length));
    t.pending = false;
  }
  const size_t rows = t.row_count();
  if (rows > t.stored_rows) {
    const uint64_t from =
        static_cast<uint64_t>(t.header_length) + uint64_t{t.stored_rows} * t.record_length;
    std::string reason;
    const bool written =
        t.handle.WriteAt(from, t.appended, &reason) &&
        t.handle.WriteAt(from + t.appended.size(), "\x1A", &reason) &&
        t.handle.WriteAt(1, DateAndCount(Today(), static_cast<uint32_t>(rows)), &reason);
    if (!written) {
      const std::string label = t.Label();
      t.Reset();
      throw Error("No se pudieron guardar las filas nuevas de " + label + ": " + reason);
    }
  }
  t.Reset();
}

bool DbfTable::is_open() const { return impl_->open; }
std::string DbfTable::name() const { return impl_->base_name; }
const fs::path& DbfTable::path() const { return impl_->file; }
const std::vector<FieldLayout>& DbfTable::fields() const { return impl_->specs; }

std::optional<std::string> DbfTable::code_page_assumption() const {
  return impl_->open ? impl_->code_page_assumption : std::nullopt;
}

bool DbfTable::HoldsNumber(int field) const {
  impl_->RequireField(field);
  return impl_->HoldsNumber(field);
}

int DbfTable::FieldIndex(std::string_view name) const {
  const Impl& t = *impl_;
  t.RequireOpen();
  const std::string wanted = AsciiLower(name);
  for (size_t i = 0; i < t.specs.size(); ++i) {
    if (AsciiLower(t.specs[i].name) == wanted) return static_cast<int>(i);
  }
  throw Error("No existe el campo " + NameForMessage(name) + " en " + t.Label());
}

void DbfTable::Append() {
  Impl& t = *impl_;
  t.RequireOpen();
  if (!t.handle.writable())
    throw Error("No se pueden añadir filas a " + t.Label() + ": es de solo lectura");
  if (t.row_count() >= 0xFFFFFFFFu) throw Error("No caben más filas en " + t.Label());
  t.PostPending();
  t.Reading([&] { t.appended += t.blank_record; });
  t.pending = true;
  t.current = t.row_count() - 1;
}

void DbfTable::Post() { impl_->PostPending(); }

void DbfTable::First() {
  Impl& t = *impl_;
  t.RequireOpen();
  t.PostPending();
  if (t.filtered && !t.filter_ready) t.PrepareFilter();
  t.current = t.Reading([&] { return t.VisibleFrom(0); });
}

void DbfTable::Next() {
  Impl& t = *impl_;
  t.RequireOpen();
  t.PostPending();
  if (t.filtered && !t.filter_ready) t.PrepareFilter();
  if (!t.at_end()) t.current = t.Reading([&] { return t.VisibleFrom(t.current + 1); });
}

bool DbfTable::Eof() const { return !impl_->open || impl_->at_end(); }

size_t DbfTable::RowCount() const {
  const Impl& t = *impl_;
  if (!t.open) return 0;
  return t.Reading([&] { return t.LiveStoredRows(); }) + t.live_appended_rows;
}

void DbfTable::SetFilter(std::string_view expression) {
  Impl& t = *impl_;
  std::optional<EqualityFilter> filter = ParseEqualityFilter(expression);
  if (!filter) {
    throw Error("El filtro \"" + EscapedForMessage(expression) + "\" de " + t.Label() +
                " no tiene la forma CAMPO= 'valor'");
  }
  t.filter = std::move(filter);
  t.filter_text = std::string(expression);
  t.filter_ready = false;
  if (t.open && t.filtered) First();
}

void DbfTable::SetFiltered(bool on) {
  Impl& t = *impl_;
  t.filtered = on;
  if (t.open && on) First();
}

}  // namespace pasahorario::dbf
