#include "export/exportar.h"

#include <algorithm>
#include <system_error>

#include "base/error.h"
#include "base/system_error.h"
#include "base/utf8_path.h"
#include "delphos/reading.h"
#include "export/asignaturas.h"
#include "export/catalogos.h"
#include "export/staged_tables.h"
#include "export/table_locks.h"
#include "export/tramos.h"
#include "worktables/work_tables.h"

namespace pasahorario {
namespace fs = std::filesystem;

namespace {

// The table each section of delphos::kSections becomes, in that order.
constexpr const auto& kTableOfSection = kWorkTables;
static_assert(std::size(kTableOfSection) == std::size(delphos::kSections));

constexpr std::string_view kNoEsExportacion = "El documento no es una exportación de DELPHOS: ";

// The six section names found directly under SERVICIO/SALIDAS. Throws Error
// when the document is not a DELPHOS export.
std::vector<std::string> SectionsPresent(const delphos::XmlDocument& doc) {
  const delphos::XmlNode root = doc.Root();
  if (root.Name() != "SERVICIO") {
    throw Error(std::string(kNoEsExportacion) + "su elemento raíz es " +
                (root.empty() ? std::string("(ninguno)") : "<" + root.Name() + ">") +
                ", no <SERVICIO>");
  }
  const std::vector<delphos::XmlNode> salidas = root.Children("SALIDAS");
  if (salidas.empty()) {
    throw Error(std::string(kNoEsExportacion) + "<SERVICIO> no tiene el elemento <SALIDAS>");
  }
  std::vector<std::string> present;
  for (const delphos::XmlNode& s : salidas) {
    for (const delphos::XmlNode& section : s.Children("listasal")) {
      const std::optional<std::string> seq = section.Attribute("seq");
      if (seq && std::ranges::find(delphos::kSections, *seq) != std::end(delphos::kSections)) {
        present.push_back(*seq);
      }
    }
  }
  if (present.empty()) {
    throw Error(std::string(kNoEsExportacion) +
                "<SALIDAS> no tiene ninguna de las secciones MATERIAS, PROFESORES, AULAS, "
                "GRUPOS, ASIGNATURAS y TRAMOS");
  }
  return present;
}

}  // namespace

void CheckExchangeDir(const fs::path& dir) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) {
    if (fs::exists(fs::symlink_status(dir, ec))) {
      throw Error("La carpeta de intercambio " + PathToUtf8(dir) +
                  " no es una carpeta, sino un archivo; no se ha cambiado ninguna tabla");
    }
    throw Error("No existe la carpeta de intercambio " + PathToUtf8(dir) +
                "; no se ha cambiado ninguna tabla");
  }
  fs::directory_iterator listing(dir, ec);
  if (ec) {
    throw Error("No se puede leer la carpeta de intercambio " + PathToUtf8(dir) + " (" +
                SystemErrorText(ec) + "); no se ha cambiado ninguna tabla");
  }
}

ExportSummary ExportarTodo(const delphos::XmlDocument& doc, const fs::path& exchange_dir,
                           const AskStartTimeFn& ask_start_time) {
  const std::vector<std::string> present = SectionsPresent(doc);
  CheckExchangeDir(exchange_dir);
  CheckTablesNotHeld(exchange_dir);

  ExportSummary summary;
  for (size_t i = 0; i < std::size(delphos::kSections); ++i) {
    const std::string section(delphos::kSections[i]);
    if (std::ranges::find(present, section) != present.end()) continue;
    summary.absent_sections.push_back(section);
    summary.report.Add({FindingKind::kMissingSection, section, 0, "",
                        "La sección no está en el documento: la tabla " +
                            std::string(kTableOfSection[i]) +
                            " queda vacía. Si debía tener datos, vuelva a sacar la exportación "
                            "de DELPHOS con esa sección."});
  }

  StagedTables staged(exchange_dir);
  Report& report = summary.report;
  try {
    const fs::path asignomt = staged.Stage("ASIGNOMT");
    summary.tables.push_back({"ASIGNOMT", ExportarMaterias(doc, asignomt, report)});
    summary.tables.push_back({"PROFT", ExportarProfesores(doc, staged.Stage("PROFT"), report)});
    summary.tables.push_back({"AULAT", ExportarAulas(doc, staged.Stage("AULAT"), report)});
    summary.tables.push_back({"GRUPOST", ExportarGrupos(doc, staged.Stage("GRUPOST"), report)});
    summary.tables.push_back(
        {"ASIGT", ExportarAsignaturas(doc, staged.Stage("ASIGT"), asignomt, report)});
    summary.tables.push_back(
        {"DIASHORAST", ExportarTramos(doc, staged.Stage("DIASHORAST"), ask_start_time, report)});
  } catch (const Error& e) {
    throw staged.InTableTerms(e);
  }
  for (Finding& finding : staged.Commit()) report.Add(std::move(finding));
  return summary;
}

}  // namespace pasahorario
