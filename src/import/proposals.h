// The likely correspondence of a value of SOLUC that the tables lack, for
// the report to propose (never to apply): a code of the table that differs
// only in letter case, blanks or accents; for a teacher, a PROFT row whose
// name the code abbreviates; else a code one or two characters away. Only
// a candidate that stands out alone is proposed.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pasahorario {

struct Proposal {
  std::string code;  // the table's code proposed
  std::string why;   // "'lab1' y 'LAB1' solo difieren en mayúsculas"
  friend bool operator==(const Proposal&, const Proposal&) = default;
};

// A PROFT row as the proposals see it.
struct TeacherName {
  std::string abrev;
  std::string nombre;
};

// The proposal for `value` among `codes` (the keys of its table, in any
// order; `value` itself is not among them), or none: no code is close
// enough, or two are equally close.
std::optional<Proposal> ProposeCode(std::string_view value, const std::vector<std::string>& codes);

// As ProposeCode over the teachers' ABREV, with one more rule before the
// edit distance: the code, without case, accents and blanks, is made of the
// beginnings of words of NOMBRE, in order ("JPR" for "Juan Pérez Ruiz").
std::optional<Proposal> ProposeTeacher(std::string_view code,
                                       const std::vector<TeacherName>& teachers);

// The edit distance between two texts in characters, stopping early: any
// value above `limit` is returned as limit + 1.
int EditDistance(std::string_view a, std::string_view b, int limit);

// `text` without accents on Latin letters (Á gives A, ñ gives n).
std::string WithoutAccents(std::string_view text);

}  // namespace pasahorario
