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

}  // namespace
}  // namespace pasahorario
