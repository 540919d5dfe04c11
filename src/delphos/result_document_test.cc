#include "delphos/result_document.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "base/error.h"
#include "support/test_files.h"

namespace pasahorario::delphos {
namespace {
namespace fs = std::filesystem;
using testing::HasSubstr;

constexpr char kErrorBlock[] =
    "<ERROR><salida dato=\"CN_ERROR\">0</salida>"
    "<salida dato=\"TE_ERROR\">Servicio finalizado Correctamente</salida></ERROR>";

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ReemplazarSalidasTest, NewSalidasGoesLastAndEverythingElseStays) {
  XmlDocument doc = XmlDocument::Parse(
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- Exportaci\xF3n -->\n"
      "<SERVICIO v=\"1\">\n  <A/>\n  <SALIDAS><listasal seq=\"MATERIAS\"/></SALIDAS>\n  "
      "<B>b</B>\n</SERVICIO>\n");
  XmlNode salidas = ReemplazarSalidas(doc);
  AgregarBloqueError(salidas);
  EXPECT_EQ(doc.Serialize(),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- Exportaci\xF3n -->\n"
            "<SERVICIO v=\"1\">\n  <A/>\n  \n  <B>b</B>\n<SALIDAS>" +
                std::string(kErrorBlock) + "</SALIDAS></SERVICIO>\n");
}

TEST(ReemplazarSalidasTest, ReturnsTheCreatedElementWhenTheRootHadTwo) {
  XmlDocument doc =
      XmlDocument::Parse("<SERVICIO><SALIDAS>1</SALIDAS><SALIDAS>2</SALIDAS></SERVICIO>");
  XmlNode salidas = ReemplazarSalidas(doc);
  EXPECT_EQ(salidas.Text(), "");
  AgregarBloqueError(salidas);
  EXPECT_EQ(doc.Serialize(), "<SERVICIO><SALIDAS>2</SALIDAS><SALIDAS>" + std::string(kErrorBlock) +
                                 "</SALIDAS></SERVICIO>\n");
}

TEST(ReemplazarSalidasTest, RootWithoutSalidasIsAnError) {
  XmlDocument doc = XmlDocument::Parse("<SERVICIO><salidas/><X><SALIDAS/></X></SERVICIO>");
  try {
    ReemplazarSalidas(doc);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(),
                HasSubstr("El documento no tiene elemento SALIDAS bajo la raíz SERVICIO"));
  }
}

TEST(ResultRecordsTest, TeacherAndActivityRecordsAreNumberedAndFilled) {
  struct Case {
    int n;
    std::string empleado, actividad;
  };
  for (const Case& c :
       {Case{1, "EMPLEADO_1", "ACTIVIDAD_1"}, Case{10, "EMPLEADO_10", "ACTIVIDAD_10"},
        Case{123, "EMPLEADO_123", "ACTIVIDAD_123"}}) {
    EXPECT_EQ(SeqEmpleado(c.n), c.empleado);
    EXPECT_EQ(SeqActividad(c.n), c.actividad);
  }

  XmlDocument doc = XmlDocument::Parse(
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<SERVICIO><SALIDAS/></SERVICIO>");
  XmlNode salidas = ReemplazarSalidas(doc);
  XmlNode teacher = AgregarRegistro(salidas, SeqEmpleado(2));
  AgregarSalida(teacher, "X_EMPLEADO", "Ruiz & <Hijos> €");
  AgregarSalida(teacher, "F_TOMAPOS", "");
  XmlNode activity = AgregarRegistro(teacher, SeqActividad(1));
  AgregarSalida(activity, "X_ACTIVIDAD", " 7 ");
  EXPECT_THAT(
      doc.Serialize(),
      HasSubstr("<SALIDAS><listasal seq=\"EMPLEADO_2\">"
                "<salida dato=\"X_EMPLEADO\">Ruiz &amp; &lt;Hijos&gt; &#8364;</salida>"
                "<salida dato=\"F_TOMAPOS\"/>"
                "<listasal seq=\"ACTIVIDAD_1\"><salida dato=\"X_ACTIVIDAD\"> 7 </salida></listasal>"
                "</listasal></SALIDAS>"));
  const XmlDocument back = XmlDocument::Parse(doc.Serialize());
  const XmlNode read = back.Root().FirstChild("SALIDAS").FirstChild("listasal");
  EXPECT_EQ(read.Children("salida")[0].Text(), "Ruiz & <Hijos> €");
  EXPECT_EQ(read.Children("salida")[1].Attribute("dato"), "F_TOMAPOS");
}

TEST(NombreResultadoTest, PutsThePrefixBeforeTheFileName) {
  struct Case {
    std::string chosen, result;
  };
  const Case cases[] = {
      {R"(C:\datos\horario.xml)", R"(C:\datos\ResultadoTablerixhorario.xml)"},
      {"/tmp/a.xml", "/tmp/ResultadoTablerixa.xml"},
      {"C:horario.xml", "C:ResultadoTablerixhorario.xml"},
      {"horario.xml", "ResultadoTablerixhorario.xml"},
      {R"(\\servidor\centro\h.xml)", R"(\\servidor\centro\ResultadoTablerixh.xml)"},
      {R"(C:\datos/sub\x.y.xml)", R"(C:\datos/sub\ResultadoTablerixx.y.xml)"},
      {R"(C:\año\Exportación 1.xml)", R"(C:\año\ResultadoTablerixExportación 1.xml)"},
  };
  for (const Case& c : cases) EXPECT_EQ(NombreResultado(c.chosen), c.result) << c.chosen;
}

TEST(GuardarResultadoTest, WritesBesideTheChosenFileAndReplacesAnEarlierResult) {
  const testing_support::TempDir temp("resultado-guardar-ñ");
  const fs::path& dir = temp.path();
  const fs::path chosen = dir / "horario.xml";
  const std::string original = "<SERVICIO><SALIDAS/></SERVICIO>";
  std::ofstream(chosen, std::ios::binary) << original;
  for (const std::string teacher : {"primero", "segundo"}) {
    XmlDocument doc = XmlDocument::Load(chosen);
    XmlNode salidas = ReemplazarSalidas(doc);
    AgregarRegistro(salidas, teacher);
    const fs::path written = GuardarResultado(doc, Utf8(chosen));
    EXPECT_EQ(written, dir / "ResultadoTablerixhorario.xml");
    EXPECT_THAT(ReadAll(written), HasSubstr("seq=\"" + teacher + "\""));
  }
  EXPECT_EQ(ReadAll(chosen), original);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace pasahorario::delphos
