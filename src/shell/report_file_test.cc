#include "shell/report_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "base/error.h"
#include "base/utf8_path.h"
#include "support/test_files.h"

namespace pasahorario {
namespace {
namespace fs = std::filesystem;

Report TwoFindings() {
  Report report;
  report.Add({FindingKind::kUnmatched, "SOLUC", 7, "A-99", "el aula «A-99» no está en AULAT"});
  report.Add(
      {FindingKind::kCut, "PROFT", 2, "Muñoz Ibáñez, María", "NOMBRE recortado a 10 caracteres"});
  return report;
}

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ReportFileTest, ByteOrderMarkSummaryThenTheGroupedLinesInCrLf) {
  const Report report = TwoFindings();
  EXPECT_EQ(ReportFileBytes(report), "\xEF\xBB\xBF" + report.Summary() +
                                         "\r\n\r\n"
                                         "1 valor sin correspondencia:\r\n"
                                         "  \u2022 SOLUC, registro 7: el aula \xC2\xAB"
                                         "A-99\xC2\xBB no est\xC3\xA1 en AULAT\r\n"
                                         "\r\n"
                                         "1 valor recortado:\r\n"
                                         "  \u2022 PROFT, registro 2: NOMBRE recortado a 10 "
                                         "caracteres\r\n");
}

class SaveReportFileTest : public ::testing::Test {
 protected:
  testing_support::TempDir temp_{"report_file_test"};
  const fs::path& dir_ = temp_.path();
};

TEST_F(SaveReportFileTest, ReplacesAnOldFileAndLeavesNothingElse) {
  const fs::path file = dir_ / PathFromUtf8("informe año.txt");
  std::ofstream(file, std::ios::binary) << "viejo";
  SaveReportFile(file, TwoFindings());
  EXPECT_EQ(Read(file), ReportFileBytes(TwoFindings()));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SaveReportFileTest, AFolderThatDoesNotExistIsAnErrorNamingTheFile) {
  const fs::path file = dir_ / "no_existe" / "informe.txt";
  try {
    SaveReportFile(file, TwoFindings());
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(PathToUtf8(file)), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(dir_ / "no_existe"));
}

}  // namespace
}  // namespace pasahorario
