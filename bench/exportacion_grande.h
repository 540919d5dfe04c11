// A DELPHOS export of a very large school, for the export benchmarks: at
// scale 1, 1,000 teachers, 5,000 subjects (two in five of them tasks, codes
// "G..."), 400 rooms, 600 groups, 50,000 teaching assignments (a third of
// them on tasks) and 350 time slots (seven days of 50). Everything but the
// time slots grows with the scale. ISO-8859-1, as DELPHOS writes it.
#pragma once
#include <cstdio>
#include <string>

namespace bench {

inline std::string ExportacionGrande(double scale) {
  const auto n = [scale](int full) {
    return full * scale < 1 ? 1 : static_cast<int>(full * scale);
  };
  const int teachers = n(1000), subjects = n(5000), rooms = n(400), groups = n(600),
            assignments = n(50000);
  std::string xml;
  xml.reserve(static_cast<size_t>(assignments) * 600 + static_cast<size_t>(subjects) * 300);
  char buf[512];
  const auto value = [&](const char* dato, const std::string& text) {
    xml += "        <salida dato=\"";
    xml += dato;
    xml += "\">";
    xml += text;
    xml += "</salida>\n";
  };
  const auto subject_code = [](int i) {
    return (i % 5 < 2 ? "G" : "37") + std::to_string(100000 + i);
  };

  xml += "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<SERVICIO>\n";
  xml += "  <CABECERA><CENTRO>IES Gran Centro de Pruebas (ficticio)</CENTRO></CABECERA>\n";
  xml += "  <SALIDAS>\n    <listasal seq=\"MATERIAS\">\n";
  for (int i = 0; i < subjects; ++i) {
    xml += "      <listasal>\n";
    value("X_MATERIAOMC", subject_code(i));
    std::snprintf(buf, sizeof buf, "M%05d", i);
    value("ABREVIATURA", buf);
    std::snprintf(buf, sizeof buf, "MAT%05d", i);
    value("CODIGO", buf);
    std::snprintf(buf, sizeof buf,
                  "Materia n\xba %d de Educaci\xf3n Pl\xe1stica y Ling\xfc\xedstica", i);
    value("DENOMINACION", buf);
    xml += "      </listasal>\n";
  }
  xml += "    </listasal>\n    <listasal seq=\"PROFESORES\">\n";
  for (int i = 0; i < teachers; ++i) {
    xml += "      <listasal>\n";
    value("X_EMPLEADO", std::to_string(200000 + i));
    value("F_TOMAPOS", "01/09/2015");
    std::snprintf(buf, sizeof buf,
                  "Mar\xed"
                  "a Jos\xe9 N\xfa\xf1"
                  "ez Pe\xf1"
                  "a %d",
                  i);
    value("NOMBRE", buf);
    std::snprintf(buf, sizeof buf, "P%04d", i);
    value("ABREVIATURA", buf);
    xml += "      </listasal>\n";
  }
  xml += "    </listasal>\n    <listasal seq=\"AULAS\">\n";
  for (int i = 0; i < rooms; ++i) {
    xml += "      <listasal>\n";
    std::snprintf(buf, sizeof buf, "AU%04d", i);
    value("X_DEPENDENCIA", buf);
    std::snprintf(buf, sizeof buf, "A%04d", i);
    value("ABREVIATURA", i % 10 == 0 ? "" : buf);
    std::snprintf(buf, sizeof buf, "Aula %d del edificio principal", i);
    value("DENOMINACION", buf);
    value("EDIFICIO", i % 2 ? "A" : "B");
    xml += "      </listasal>\n";
  }
  xml += "    </listasal>\n    <listasal seq=\"GRUPOS\">\n";
  for (int i = 0; i < groups; ++i) {
    xml += "      <listasal>\n";
    value("X_UNIDAD", std::to_string(300000 + i));
    std::snprintf(buf, sizeof buf, "G%04d", i);
    value("ABREVIATURA", buf);
    value("TURNO", i % 3 ? "M" : "T");
    value("NIVEL", i % 7 == 0 ? "" : "ESO");
    value("CURSO", std::to_string(1 + i % 4));
    value("GRUPO", std::string(1, char('A' + i % 8)));
    xml += "      </listasal>\n";
  }
  xml += "    </listasal>\n    <listasal seq=\"ASIGNATURAS\">\n";
  const int blocks = subjects / 5 < 1 ? 1 : subjects / 5;  // subjects 5k, 5k+1 are tasks
  for (int i = 0; i < assignments; ++i) {
    // A third of the assignments are tasks: a subject code beginning with G.
    const int k = i % blocks;
    const int subject = i % 3 == 0 ? 5 * k + k % 2 : 5 * k + 2 + k % 3;
    xml += "      <listasal>\n";
    std::snprintf(buf, sizeof buf, "M%05d", subject);
    value("X_MATERIA_ABREV", buf);
    std::snprintf(buf, sizeof buf, "G%04d", i % groups);
    value("UNIDAD", buf);
    std::snprintf(buf, sizeof buf, "A%04d", i % rooms);
    value("DEPENDENCIA", buf);
    value("TURNO", "M");
    value("NIVEL", "ESO");
    value("CURSO", std::to_string(1 + i % 4));
    value("GRUPO", std::string(1, char('A' + i % 8)));
    value("MINUTOS", std::to_string(55 * (1 + i % 16)));
    value("X_MATERIAOMC", subject_code(subject));
    xml += "      </listasal>\n";
  }
  xml += "    </listasal>\n    <listasal seq=\"TRAMOS\">\n";
  const char days[] = "LMXJVSD";
  for (int d = 0; d < 7; ++d) {
    for (int h = 1; h <= 50; ++h) {
      const std::string code = days[d] + std::to_string(h);
      xml += "      <listasal>\n";
      value("CODIGO_DELPHOS", std::to_string(5000 + d * 100 + h));
      value("NOMBRE", code);
      value("MINUTOS", std::to_string(h % 4 == 0 ? 30 : 15));
      value("DIA", code);
      value("INICIO", "00:00");
      value("FIN", "00:00");
      xml += "      </listasal>\n";
    }
  }
  xml += "    </listasal>\n  </SALIDAS>\n</SERVICIO>\n";
  return xml;
}

}  // namespace bench
