#include "delphos/xml_wellformed.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace pasahorario::delphos {
namespace {

std::string Nested(size_t depth) {
  std::string text;
  for (size_t i = 0; i < depth; ++i) text += "<e>";
  for (size_t i = 0; i < depth; ++i) text += "</e>";
  return text;
}

TEST(FindXmlFaultTest, NestingUpToTheLimitPassesAndOneLevelMoreIsRefused) {
  EXPECT_EQ(FindXmlFault(Nested(kMaxElementDepth)), std::nullopt);
  const std::optional<XmlFault> fault = FindXmlFault(Nested(kMaxElementDepth + 1));
  ASSERT_TRUE(fault.has_value());
  EXPECT_EQ(fault->offset, 3 * kMaxElementDepth);
  EXPECT_THAT(fault->reason, testing::HasSubstr("se anidan en más de " +
                                                std::to_string(kMaxElementDepth) + " niveles"));
  // An empty element one level past the limit counts too.
  std::string self_closing = Nested(kMaxElementDepth);
  self_closing.insert(3 * kMaxElementDepth, "<v/>");
  EXPECT_TRUE(FindXmlFault(self_closing).has_value());
}

// A tag with very many attributes must not make the check quadratic, and a
// repetition among them is still found.
TEST(FindXmlFaultTest, TagWithManyAttributesIsCheckedInLinearTime) {
  constexpr int kAttributes = 160000;
  std::string text = "<SERVICIO";
  for (int i = 0; i < kAttributes; ++i) text += " a" + std::to_string(i) + "=\"\"";
  const std::string unique = text + "/>";
  const std::string repeated = text + " a17=\"\"/>";
  // Then many small tags, which must not pay for the big one.
  std::string followed = text + ">";
  for (int i = 0; i < kAttributes / 4; ++i) followed += "<s d=\"1\" e=\"2\"/>";
  followed += "</SERVICIO>";

  // Processor time where the C library gives it, so that a busy machine counts less.
  const std::clock_t start = std::clock();
  EXPECT_EQ(FindXmlFault(unique), std::nullopt);
  const double one = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  const std::optional<XmlFault> fault = FindXmlFault(repeated);
  EXPECT_EQ(FindXmlFault(followed), std::nullopt);
  const double took = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;

  ASSERT_TRUE(fault.has_value());
  EXPECT_EQ(fault->reason, "atributo a17 repetido");
  EXPECT_EQ(fault->offset, text.size() + 1);
  EXPECT_GT(unique.size(), 1600000u);
  // A scan per attribute took about 27 s for the first alone; linear, the
  // three take a fraction of a second, with room here for a busy machine
  // (the C library of Windows counts elapsed time, not processor time).
  EXPECT_LT(took, 3.0);
  std::printf("160000 attributes (%zu bytes): %.3f s; with the other two checks: %.3f s\n",
              unique.size(), one, took);
}

}  // namespace
}  // namespace pasahorario::delphos
