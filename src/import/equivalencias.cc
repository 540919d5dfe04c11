#include "import/equivalencias.h"

#include <fstream>
#include <optional>
#include <system_error>

#include "base/atomic_file.h"
#include "base/error.h"
#include "base/message_text.h"
#include "base/text.h"
#include "base/unicode.h"
#include "base/utf8_path.h"
#include "worktables/codepage.h"
#include "worktables/table_path.h"

namespace pasahorario {
namespace {

namespace fs = std::filesystem;

constexpr char kBom[] = "\xEF\xBB\xBF";

constexpr const char* kKindNames[] = {"AULA", "GRUPO", "PROFESOR", "TAREA", "ASIGNATURA", "TRAMO"};

constexpr char kHeader[] =
    "# Equivalencias de Pasahorario: valores de la solución de Tablerix (SOLUC) que no están\r\n"
    "# en las tablas de trabajo y el valor de las tablas al que corresponden.\r\n"
    "# AULA | GRUPO | PROFESOR | TAREA | ASIGNATURA | TRAMO   valor de la solución = valor de "
    "las tablas\r\n"
    "# TRAMO lleva día y hora a cada lado: TRAMO 1 9 = 1 8\r\n"
    "# \"-\" a la derecha: sin correspondencia a propósito (no se vuelve a avisar).\r\n"
    "# Valores con espacios, =, # o comillas, entre comillas (\"\" es una comilla).\r\n";

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t n = ValidUtf8SequenceLength(text, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// The file's text in UTF-8, without its byte-order mark.
std::string DecodedText(std::string_view bytes) {
  if (bytes.substr(0, 3) == kBom) bytes.remove_prefix(3);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return dbf::CodePage::Windows1252().Decode(bytes);
}

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }
bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads one line's parts; every failure is a LineError with the reason.
struct LineError {
  std::string reason;
};

class LineReader {
 public:
  explicit LineReader(std::string_view line) : line_(line) {}

  void SkipBlanks() {
    while (pos_ < line_.size() && IsBlankChar(line_[pos_])) ++pos_;
  }
  // Nothing left but blanks and a comment.
  bool AtEnd() {
    SkipBlanks();
    return pos_ == line_.size() || line_[pos_] == '#';
  }
  bool Take(char c) {
    SkipBlanks();
    if (pos_ < line_.size() && line_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  // A value, bare or quoted; `quoted` tells which. `what` names it in the
  // reasons ("el valor de la solución").
  std::string Value(const std::string& what, bool* quoted = nullptr) {
    if (AtEnd()) throw LineError{"falta " + what};
    if (quoted) *quoted = line_[pos_] == '"';
    if (line_[pos_] == '"') return QuotedValue(what);
    const size_t start = pos_;
    while (pos_ < line_.size() && !IsBlankChar(line_[pos_]) && line_[pos_] != '=' &&
           line_[pos_] != '#' && line_[pos_] != '"' &&
           !IsControl(static_cast<unsigned char>(line_[pos_]))) {
      ++pos_;
    }
    if (pos_ == start) {
      if (line_[pos_] == '=') throw LineError{"falta " + what + " antes de '='"};
      throw LineError{"carácter inesperado " + Shown(line_.substr(pos_, 1)) + " en " + what};
    }
    return std::string(line_.substr(start, pos_ - start));
  }

  std::string Rest() const { return std::string(line_.substr(pos_)); }

 private:
  static std::string Shown(std::string_view text) { return "'" + EscapedForMessage(text) + "'"; }

  std::string QuotedValue(const std::string& what) {
    ++pos_;  // the opening quote
    std::string value;
    while (true) {
      if (pos_ >= line_.size()) throw LineError{"falta la comilla que cierra " + what};
      const char c = line_[pos_++];
      if (c == '"') {
        if (pos_ < line_.size() && line_[pos_] == '"') {
          value += '"';
          ++pos_;
          continue;
        }
        break;
      }
      if (c == '\\') {
        if (pos_ < line_.size() && line_[pos_] == '\\') {
          value += '\\';
          ++pos_;
          continue;
        }
        if (pos_ + 2 < line_.size() && line_[pos_] == 'x') {
          const int high = HexDigit(line_[pos_ + 1]), low = HexDigit(line_[pos_ + 2]);
          const int byte = high < 0 || low < 0 ? -1 : high * 16 + low;
          if (byte >= 0 && IsControl(static_cast<unsigned char>(byte))) {
            value += static_cast<char>(byte);
            pos_ += 3;
            continue;
          }
        }
        throw LineError{"barra invertida sin sentido en " + what +
                        ": entre comillas se escribe \\\\ para una barra y \\xNN para un "
                        "carácter de control"};
      }
      value += c;
    }
    if (pos_ < line_.size() && !IsBlankChar(line_[pos_]) && line_[pos_] != '=' &&
        line_[pos_] != '#') {
      throw LineError{"falta un espacio tras la comilla que cierra " + what};
    }
    return value;
  }

  std::string_view line_;
  size_t pos_ = 0;
};

std::optional<EquivalenceKind> KindOfWord(std::string_view word) {
  for (size_t i = 0; i < std::size(kKindNames); ++i) {
    if (AsciiLower(word) == AsciiLower(kKindNames[i])) return static_cast<EquivalenceKind>(i);
  }
  return std::nullopt;
}

int32_t Hour(const std::string& text, const std::string& what) {
  try {
    return ParseInteger(text);
  } catch (const Error&) {
    throw LineError{"la hora " + what + " '" + EscapedForMessage(text) +
                    "' no es un número entero"};
  }
}

// One line that is not blank nor a comment.
Equivalence ParseLine(std::string_view line) {
  LineReader reader(line);
  Equivalence e;
  const std::string word = reader.Value("el tipo");
  const std::optional<EquivalenceKind> kind = KindOfWord(word);
  if (!kind) {
    throw LineError{"el tipo '" + EscapedForMessage(word) +
                    "' no existe (los tipos son AULA, GRUPO, PROFESOR, TAREA, ASIGNATURA y "
                    "TRAMO)"};
  }
  e.kind = *kind;
  const bool tramo = e.kind == EquivalenceKind::kTramo;
  e.from = reader.Value(tramo ? "el día de la solución" : "el valor de la solución");
  if (tramo) e.from_hour = Hour(reader.Value("la hora de la solución"), "de la solución");
  if (!reader.Take('=')) {
    throw LineError{reader.AtEnd() ? "falta '=' y el valor de las tablas"
                                   : "se esperaba '=' tras el valor de la solución, y sigue '" +
                                         EscapedForMessage(reader.Rest()) +
                                         "' (ponga entre comillas un valor con espacios)"};
  }
  bool quoted = false;
  e.to = reader.Value(tramo ? "el día de las tablas" : "el valor de las tablas", &quoted);
  if (e.to == "-" && !quoted) {
    e.to.clear();
    e.none = true;
  } else if (tramo) {
    e.to_hour = Hour(reader.Value("la hora de las tablas"), "de las tablas");
  }
  if (!reader.AtEnd()) {
    throw LineError{"sobra '" + EscapedForMessage(reader.Rest()) +
                    "' al final (ponga entre comillas un valor con espacios)"};
  }
  return e;
}

std::string FromText(const Equivalence& e) {
  std::string text = "'" + EscapedForMessage(e.from) + "'";
  if (e.kind == EquivalenceKind::kTramo) text += " " + std::to_string(e.from_hour);
  return text;
}

}  // namespace

const char* EquivalenceKindName(EquivalenceKind kind) {
  return kKindNames[static_cast<size_t>(kind)];
}

Equivalencias Equivalencias::Parse(std::string_view bytes, const std::string& file_name) {
  const std::string text = DecodedText(bytes);
  Equivalencias result;
  int number = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (LineReader(line).AtEnd()) continue;
    const std::string where = "En " + file_name + ", línea " + std::to_string(number) + ": ";
    const std::string after = ". No se ha importado nada: corrija la línea y vuelva a importar.";
    Equivalence e;
    try {
      e = ParseLine(line);
    } catch (const LineError& error) {
      throw Error(where + error.reason + after);
    }
    e.line = number;
    const Key key{e.kind, e.from, e.from_hour};
    const auto [found, added] = result.index_.emplace(key, result.entries_.size());
    if (!added) {
      throw Error(where + EquivalenceKindName(e.kind) + " " + FromText(e) +
                  " ya tiene equivalencia en la línea " +
                  std::to_string(result.entries_[found->second].line) + after);
    }
    result.entries_.push_back(std::move(e));
  }
  return result;
}

const Equivalence* Equivalencias::Find(EquivalenceKind kind, std::string_view from,
                                       int32_t hour) const {
  const auto found = index_.find(Key{kind, std::string(from), hour});
  return found == index_.end() ? nullptr : &entries_[found->second];
}

Equivalencias ReadEquivalencias(const fs::path& exchange_dir) {
  const fs::path file = dbf::ResolveLetterCase(exchange_dir / kEquivalenciasName);
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(file, ec))) return {};
  const std::string name = PathToUtf8(file);
  const fs::file_status status = fs::status(file, ec);
  if (ec || !fs::is_regular_file(status)) {
    throw Error("El archivo de equivalencias " + name +
                " no es un archivo normal; no se ha importado nada.");
  }
  const uintmax_t size = fs::file_size(file, ec);
  if (ec || size > kEquivalenciasMaxBytes) {
    throw Error("El archivo de equivalencias " + name + " pasa de " +
                std::to_string(kEquivalenciasMaxBytes / 1024) + " KB; no se ha importado nada.");
  }
  std::ifstream in(file, std::ios::binary);
  std::string bytes(static_cast<size_t>(size) + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad() || !in.eof()) {
    throw Error("No se pudo leer el archivo de equivalencias " + name +
                "; no se ha importado nada.");
  }
  bytes.resize(static_cast<size_t>(in.gcount()));
  return Equivalencias::Parse(bytes, name);
}

std::string EquivalenceValueText(std::string_view value) {
  bool bare = !value.empty() && value != "-";
  for (const char c : value) {
    if (IsBlankChar(c) || c == '=' || c == '#' || c == '"' ||
        IsControl(static_cast<unsigned char>(c))) {
      bare = false;
    }
  }
  // A no-break space would look like a blank in an editor.
  if (value.find("\xC2\xA0") != std::string_view::npos) bare = false;
  if (bare) return std::string(value);
  std::string text = "\"";
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"') {
      text += "\"\"";
    } else if (c == '\\') {
      text += "\\\\";
    } else if (IsControl(byte)) {
      static const char kHex[] = "0123456789ABCDEF";
      text += "\\x";
      text += kHex[byte >> 4];
      text += kHex[byte & 15];
    } else {
      text += c;
    }
  }
  return text + "\"";
}

std::string EquivalenceLine(const Equivalence& e) {
  const bool tramo = e.kind == EquivalenceKind::kTramo;
  std::string line = std::string(EquivalenceKindName(e.kind)) + " " + EquivalenceValueText(e.from);
  if (tramo) line += " " + std::to_string(e.from_hour);
  line += " = ";
  if (e.none) return line + "-";
  line += EquivalenceValueText(e.to);
  if (tramo) line += " " + std::to_string(e.to_hour);
  return line;
}

std::string EquivalenciasText(const std::vector<Equivalence>& entries) {
  std::string text = std::string(kBom) + kHeader;
  for (const Equivalence& e : entries) text += EquivalenceLine(e) + "\r\n";
  return text;
}

std::string WithEquivalence(std::string_view current, const Equivalence& e,
                            const std::string& file_name) {
  std::string text = DecodedText(current);
  Equivalencias::Parse(text, file_name);  // refuses a broken file before it grows
  if (IsBlank(text)) return EquivalenciasText({e});
  const bool crlf = text.find("\r\n") != std::string::npos || text.find('\n') == std::string::npos;
  const std::string end = crlf ? "\r\n" : "\n";
  if (text.back() != '\n') text += end;
  text += EquivalenceLine(e) + end;
  Equivalencias::Parse(text, file_name);  // a second line for the value is refused
  return kBom + text;
}

void AddEquivalence(const fs::path& exchange_dir, const Equivalence& e) {
  const fs::path file = dbf::ResolveLetterCase(exchange_dir / kEquivalenciasName);
  std::string current;
  std::error_code ec;
  if (fs::exists(fs::symlink_status(file, ec))) {
    if (!fs::is_regular_file(file, ec) || fs::file_size(file, ec) > kEquivalenciasMaxBytes) {
      throw Error("El archivo de equivalencias " + PathToUtf8(file) +
                  " no es un archivo normal o es demasiado grande; no se ha cambiado.");
    }
    std::ifstream in(file, std::ios::binary);
    current.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
      throw Error("No se pudo leer el archivo de equivalencias " + PathToUtf8(file) +
                  "; no se ha cambiado.");
    }
  }
  WriteFileAtomically(file, WithEquivalence(current, e, PathToUtf8(file)));
}

}  // namespace pasahorario
