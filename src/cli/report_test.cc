#include "cli/report.h"

#include <gtest/gtest.h>

#include <sstream>

namespace pasahorario {
namespace {

TEST(ReportTest, ImportSaysSoWhenEveryValueMatchedAndListsTheOthers) {
  ImportSummary summary;
  summary.result_path = "ResultadoTablerixcentro.xml";
  summary.teachers = 2;
  summary.activities = 5;
  std::ostringstream all_found;
  PrintImportReport(summary, all_found);
  EXPECT_EQ(all_found.str(),
            "Resultado: ResultadoTablerixcentro.xml\nProfesores: 2\nActividades: 5\n"
            "Todos los valores han encontrado correspondencia.\n");

  summary.unmatched = {{kTareaSinMateria, "", 1}, {kAulaSinFila, "LAB2", 3}};
  std::ostringstream some_missing;
  PrintImportReport(summary, some_missing);
  EXPECT_EQ(some_missing.str(),
            "Resultado: ResultadoTablerixcentro.xml\nProfesores: 2\nActividades: 5\n"
            "Valores sin correspondencia (2):\n"
            "  TAREA sin materia en ASIGNOMT: '' (1 actividad)\n"
            "  AULA sin fila en AULAT: 'LAB2' (3 actividades)\n");
}

TEST(ReportTest, FindingsFollowTheirSummaryOnScreenAndInTheFile) {
  Report report;
  report.Add({FindingKind::kCut, "PROFT", 3, "Ana Belén", "NOMBRE recortado a 6 caracteres"});
  report.Add({FindingKind::kNoActivity, "SOLUC", 0, "", "SOLUC no tiene ninguna actividad"});
  std::ostringstream screen;
  PrintFindings(report, screen);
  EXPECT_EQ(screen.str(), report.Summary() + "\n\n" +
                              "  1 valor recortado:\n"
                              "    \u2022 PROFT, registro 3: NOMBRE recortado a 6 caracteres\n"
                              "\n"
                              "  1 SOLUC sin actividades:\n"
                              "    \u2022 SOLUC: SOLUC no tiene ninguna actividad\n");

  const Report none;
  const std::string file = ReportFileText("comprobar", "/datos/centro.xml", "/XTEMP",
                                          {{"Exportación", &report, ""},
                                           {"Importación", &none, ""},
                                           {"Otra", nullptr, "No se comprueba: falta SOLUC."}});
  EXPECT_EQ(file,
            "Pasahorario: informe de comprobar\nArchivo: /datos/centro.xml\n"
            "Carpeta de intercambio: /XTEMP\n"
            "\nExportación:\n" +
                report.Summary() +
                "\n\n"
                "1 valor recortado:\n"
                "  \u2022 PROFT, registro 3: NOMBRE recortado a 6 caracteres\n"
                "\n"
                "1 SOLUC sin actividades:\n"
                "  \u2022 SOLUC: SOLUC no tiene ninguna actividad\n"
                "\nImportación:\nSin avisos\n"
                "\nOtra:\nNo se comprueba: falta SOLUC.\n");
}

}  // namespace
}  // namespace pasahorario
