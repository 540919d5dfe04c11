// The grouped form of a report that every front end shows and saves.
#include "base/report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pasahorario {
namespace {

using ::testing::ElementsAre;

TEST(ReportGroupsTest, FindingsAreGroupedByKindWithTheirSharedAdviceSaidOnce) {
  Report report;
  const std::string cut = "; si así no sirve, acórtelo en DELPHOS.";
  report.Add({FindingKind::kCut, "PROFESORES", 3, "", "'Ana Belén' se ha recortado a 'Ana'" + cut});
  report.Add({FindingKind::kUnmatched, "SOLUC", 0, "LAB2",
              "AULA: 'LAB2' en 3 actividades, sin aula. Compruebe el código y vuelva a importar."});
  report.Add({FindingKind::kCut, "AULAS", 1, "", "'Laboratorio' se ha recortado a 'Lab'" + cut});
  EXPECT_THAT(report.GroupedLines(),
              ElementsAre("2 valores recortados:", "  Si así no sirve, acórtelo en DELPHOS.",
                          "  \u2022 PROFESORES, registro 3: 'Ana Belén' se ha recortado a 'Ana'.",
                          "  \u2022 AULAS, registro 1: 'Laboratorio' se ha recortado a 'Lab'.", "",
                          "1 valor sin correspondencia:",
                          "  \u2022 SOLUC: AULA: 'LAB2' en 3 actividades, sin aula. Compruebe el "
                          "código y vuelva a importar."));
}

TEST(ReportGroupsTest, FindingsWithDifferentEndingsKeepTheirOwnWords) {
  Report report;
  report.Add({FindingKind::kFileLeft, "", 0, "", "No se pudo borrar A. Bórrelo a mano."});
  report.Add({FindingKind::kFileLeft, "", 0, "", "No se pudo borrar B. Se intentará de nuevo."});
  EXPECT_THAT(report.GroupedLines(),
              ElementsAre("2 archivos sin borrar:", "  \u2022 No se pudo borrar A. Bórrelo a mano.",
                          "  \u2022 No se pudo borrar B. Se intentará de nuevo."));
}

}  // namespace
}  // namespace pasahorario
