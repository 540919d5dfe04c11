#include "import/import_report.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "base/message_text.h"
#include "base/text.h"
#include "base/utf8_path.h"
#include "import/unmatched_tally.h"

namespace pasahorario {
namespace {

namespace fs = std::filesystem;

constexpr char kSoluc[] = "SOLUC";

std::string Rows(long long n, std::string_view what) {
  return std::to_string(n) + (n == 1 ? " fila" : " filas") + std::string(what);
}

// Local date and time of a file's modification, as a person reads it.
std::string LocalTime(fs::file_time_type time) {
  const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      std::chrono::file_clock::to_sys(time));
  const std::time_t seconds = std::chrono::system_clock::to_time_t(system);
  const std::tm* local = std::localtime(&seconds);
  char text[32] = "";
  if (local) std::strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", local);
  return text;
}

// What the result holds for the activities whose value found no match.
std::string Consequence(const std::string& kind, int activities) {
  const bool one = activities == 1;
  const struct {
    const char* kind;
    const char* what;
  } kConsequences[] = {
      {kTareaSinMateria, "ese código como actividad"},
      {kTramoSinFila, "sin día ni tramo"},
      {kAulaSinFila, "sin dependencia"},
      {kGrupoSinFila, "sin unidad"},
      {kAsigSinMateria, "sin materia"},
  };
  for (const auto& c : kConsequences) {
    if (kind != c.kind) continue;
    const char* verb = kind == kTareaSinMateria ? (one ? "que lleva " : "que llevan ")
                                                : (one ? "que queda " : "que quedan ");
    return verb + std::string(c.what);
  }
  return "";
}

// The rows of SOLUC without a teacher.
std::string BlankTeacherText(long long all, long long with_day) {
  std::string text = (all == 1 ? std::string("Una fila no tiene") : Rows(all, " no tienen")) +
                     " profesor (PROF en blanco)";
  if (with_day == 0) {
    return text + " ni día, así que no se pierde ninguna actividad.";
  }
  return text + ": " +
         (with_day == 1 ? std::string("su actividad no pasa")
                        : "sus " + std::to_string(with_day) + " actividades no pasan") +
         " al resultado. Asígneles profesor en Tablerix, guarde el horario y vuelva a importar.";
}

// "1, 2 y 3" for the items of `parts`.
std::string Listed(const std::vector<std::string>& parts) {
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += i + 1 == parts.size() ? " y " : ", ";
    text += parts[i];
  }
  return text;
}

}  // namespace

std::string Quoted(std::string_view text) { return "'" + EscapedForMessage(text) + "'"; }

void ReportUnknownTeachers(const UnknownTeachers& unknown, Report& report) {
  for (const auto& [code, rows] : unknown.codes()) {
    if (IsBlank(code)) {
      report.Add({FindingKind::kUnknownTeacher, kSoluc, 0, code,
                  BlankTeacherText(rows.all, rows.with_day)});
      continue;
    }
    std::string text = "El profesor " + Quoted(code) + " no está en PROFT";
    if (rows.with_day > 0) {
      text += ": " +
              (rows.with_day == 1 ? std::string("su fila con actividad no pasa")
                                  : "sus " + Rows(rows.with_day, " con actividad") + " no pasan") +
              " al resultado. Compruebe que su abreviatura es la misma en DELPHOS y en "
              "Tablerix, exporte de nuevo y vuelva a importar.";
    } else {
      text += "; " +
              std::string(rows.all == 1 ? "su fila no tiene"
                                        : "ninguna de sus " + Rows(rows.all, "") + " tiene") +
              " día, así que no se pierde ninguna actividad.";
    }
    report.Add({FindingKind::kUnknownTeacher, kSoluc, 0, code, text});
  }
  const UnknownTeachers::Rows& others = unknown.others();
  if (others.all > 0) {
    report.Add({FindingKind::kUnknownTeacher, kSoluc, 0, "",
                "Hay " + Rows(others.all, " más") + " en SOLUC (" +
                    std::to_string(others.with_day) +
                    " con actividad) de profesores que no están en PROFT; ninguna pasa al "
                    "resultado. Solo se nombran los " +
                    std::to_string(UnknownTeachers::kMaxCodes) +
                    " primeros códigos: compruebe que SOLUC es la solución de este centro."});
  }
}

Finding BlankTeacherFinding(int row, const std::string& x_empleado, int activities) {
  std::string text = "El profesor con X_EMPLEADO " + Quoted(x_empleado) +
                     " no tiene abreviatura (ABREV en blanco)";
  if (activities == 0) {
    text += ": no ha recibido ninguna actividad.";
  } else {
    text += activities == 1 ? ": se le ha dado la actividad de SOLUC sin profesor (PROF en "
                              "blanco), que puede ser de cualquier otro."
                            : ": se le han dado las " + std::to_string(activities) +
                                  " actividades de SOLUC sin profesor (PROF en blanco), que "
                                  "pueden ser de cualquier otro.";
  }
  return {FindingKind::kBlankKey, "PROFT", row, "",
          text + " Complete su abreviatura en DELPHOS, exporte de nuevo y vuelva a importar."};
}

Finding SharedTeacherFinding(const std::string& abrev, const std::vector<SharedTeacher>& rows,
                             int activities) {
  std::vector<std::string> places;
  for (const SharedTeacher& t : rows) {
    places.push_back(std::to_string(t.row) + " (X_EMPLEADO " + Quoted(t.x_empleado) + ")");
  }
  std::string text = "La abreviatura " + Quoted(abrev) + " está en " + std::to_string(rows.size()) +
                     " filas de PROFT, las " + Listed(places) + ": ";
  if (activities == 0) {
    text +=
        "ninguna fila con actividad de SOLUC es de ese profesor, así que no se ha dado "
        "ninguna a varios.";
  } else {
    text += (activities == 1
                 ? std::string("su actividad de SOLUC se ha dado")
                 : "sus " + std::to_string(activities) + " actividades de SOLUC se han dado") +
            " a cada uno de ellos, así que el resultado " + (activities == 1 ? "la" : "las") +
            " lleva " + std::to_string(rows.size()) + " veces.";
  }
  text +=
      " Deje esa abreviatura en un solo profesor en DELPHOS, exporte de nuevo y vuelva a "
      "importar.";
  return {FindingKind::kDuplicateKey, "PROFT", 0, abrev, text};
}

void ReportUnmatched(const std::vector<ImportSummary::Unmatched>& unmatched, Report& report) {
  for (const ImportSummary::Unmatched& u : unmatched) {
    report.Add({FindingKind::kUnmatched, kSoluc, 0, u.code,
                u.kind + ": " + UnmatchedValueText(u) + " en " + std::to_string(u.activities) +
                    (u.activities == 1 ? " actividad, " : " actividades, ") +
                    Consequence(u.kind, u.activities) +
                    ". Compruebe que el código se escribe igual en DELPHOS y en Tablerix, "
                    "exporte de nuevo y vuelva a importar."});
  }
}

Finding NoActivityFinding() {
  return {FindingKind::kNoActivity, kSoluc, 0, "",
          "La tabla no tiene ninguna fila con actividad (con DIA distinto de 0): el resultado no "
          "lleva actividades. Compruebe en Tablerix que el horario está resuelto y guardado "
          "antes de importar."};
}

std::optional<Finding> OldSolutionFinding(const fs::path& soluc,
                                          const std::vector<fs::path>& work_tables) {
  std::error_code error;
  const fs::file_time_type solution_time = fs::last_write_time(soluc, error);
  if (error) return std::nullopt;
  fs::file_time_type newest = fs::file_time_type::min();
  for (const fs::path& table : work_tables) {
    const fs::file_time_type time = fs::last_write_time(table, error);
    if (error) return std::nullopt;
    if (time > newest) newest = time;
  }
  if (!(solution_time < newest)) return std::nullopt;
  return Finding{FindingKind::kOldSolution, kSoluc, 0, "",
                 "La tabla (guardada el " + LocalTime(solution_time) +
                     ") es anterior a las tablas de la última exportación (" + LocalTime(newest) +
                     "): puede ser el horario de una exportación anterior. Resuelva y guarde "
                     "el horario en Tablerix y vuelva a importar."};
}

Finding CodePageFinding(const std::string& assumption, const fs::path& cpg) {
  std::string text = assumption;
  if (!text.empty() && text.back() != '.') text += '.';
  text += " Si algún nombre con tildes o eñes sale mal, ";
  text += cpg.empty() ? "guarde SOLUC declarando su página de códigos o ponga a su lado un "
                        "archivo SOLUC.CPG que la indique."
                      : "escriba en " + EscapedForMessage(PathToUtf8(cpg.filename())) +
                            " el número de la página de códigos en que está SOLUC (por ejemplo "
                            "1252 o 850).";
  return {FindingKind::kCodePageAssumed, kSoluc, 0, "", text};
}

}  // namespace pasahorario
