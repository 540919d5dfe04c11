// The import over work tables that the export direction wrote from a DELPHOS
// document, and a solution table as the host leaves it: the codes go out
// and come back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/exportar.h"
#include "import/import_test_support.h"
#include "import/importar.h"

namespace pasahorario::import_testing {
namespace {
using testing::ElementsAre;
using testing::IsEmpty;

std::string Rec(std::initializer_list<const char*> values) {
  std::string xml = "<listasal>";
  for (const char* v : values) xml += std::string("<salida>") + v + "</salida>";
  return xml + "</listasal>";
}

std::string Tramo(const char* delphos, const char* code, const char* minutes) {
  return std::string("<listasal><salida dato=\"CODIGO_DELPHOS\">") + delphos +
         "</salida><salida dato=\"NOMBRE\">" + code + "</salida><salida dato=\"MINUTOS\">" +
         minutes + "</salida><salida dato=\"DIA\">" + code + "</salida></listasal>";
}

using ImportarIdaVueltaTest = ImportTest;

TEST_F(ImportarIdaVueltaTest, CodesWrittenByTheExportComeBack) {
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<SERVICIO><SALIDAS>"
      "<listasal seq=\"MATERIAS\">" +
      Rec({"37001", "MAT", "MATL", "Matem\xe1ticas"}) + Rec({"G100", "GUA", "GUAL", "Guardia"}) +
      "</listasal><listasal seq=\"PROFESORES\">" + Rec({"E1", "01/09/2015", "Ana", "ANA"}) +
      Rec({"E2", "02/09/2016", "Se\xe1n", "O'NEIL"}) + "</listasal><listasal seq=\"AULAS\">" +
      Rec({"DEP1", "A1", "Aula 1", "A"}) + Rec({"DEP2", "", "Patio", "B"}) +
      "</listasal><listasal seq=\"GRUPOS\">" + Rec({"U1", "1A", "M", "ESO", "1", "A"}) +
      "</listasal><listasal seq=\"ASIGNATURAS\">" +
      Rec({"MAT", "1A", "A1", "M", "ESO", "1", "A", "240", "37001"}) +
      "</listasal><listasal seq=\"TRAMOS\">" + Tramo("T-L1", "L1", "55") +
      Tramo("T-L2", "L2", "55") + Tramo("T-M1", "M1", "55") + Tramo("T-M2", "M2", "55") +
      "</listasal></SALIDAS></SERVICIO>\n";
  WriteBytes(chosen_, xml);
  {
    const delphos::XmlDocument doc = delphos::XmlDocument::Load(chosen_);
    ExportarTodo(doc, xtemp_, [](const std::string&) { return std::string("08:00"); });
  }
  WriteTable(
      xtemp_, "SOLUC", SolucLayout(),
      {Soluc({"ANA", "1", "2", "", "A1", "1A", "MAT", "ESO", "1"}),
       Soluc({"O'NEIL", "2", "1", "GUA", "DEP2", "", "GUA"}), Soluc({"ANA", "0", "1", "MAT"})});

  const ImportSummary summary = Run();
  EXPECT_THAT(Records(delphos::XmlDocument::Load(result_)),
              ElementsAre("EMPLEADO_1 E1|01/09/2015",  //
                          "  ACTIVIDAD_1 G439|1|T-L2|DEP1|U1|37001",
                          "EMPLEADO_2 E2|02/09/2016",  //
                          "  ACTIVIDAD_1 G100|2|T-M1|DEP2||G100"));
  EXPECT_THAT(summary.unmatched, IsEmpty());  // the duty without a group is no mismatch
  // Only the first SALIDAS changes; the exported sections are gone from it.
  EXPECT_EQ(delphos::XmlDocument::Load(result_)
                .Select("/SERVICIO/SALIDAS/listasal[@seq=\"TRAMOS\"]")
                .size(),
            0u);
}

}  // namespace
}  // namespace pasahorario::import_testing
