#include "delphos/xml_output.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"

namespace pasahorario::delphos {
namespace {

XmlFormat Format(Charset charset, std::string encoding, bool declared, bool crlf = false) {
  XmlFormat format;
  format.charset = charset;
  format.encoding = std::move(encoding);
  format.encoding_declared = declared;
  format.crlf = crlf;
  return format;
}

TEST(EncodeXmlTest, DeclarationNamesTheEncodingOfTheBytes) {
  struct Case {
    std::string label, serialised;
    XmlFormat format;
    std::string bytes;
  };
  const Case cases[] = {
      {"el DOM perdió el nombre", "<?xml version=\"1.0\"?>\n<a/>\n",
       Format(Charset::kLatin1, "ISO-8859-1", true),
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a/>\n"},
      {"standalone queda detrás", "<?xml version=\"1.0\" standalone=\"yes\"?>\n<a/>\n",
       Format(Charset::kWindows1252, "windows-1252", true),
       "<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"yes\"?>\n<a/>\n"},
      {"nombre viejo sustituido", "<?xml version='1.0' encoding='UTF-8'?>\n<a/>\n",
       Format(Charset::kLatin1, "latin1", true),
       "<?xml version=\"1.0\" encoding=\"latin1\"?>\n<a/>\n"},
      {"sin declaración en 8 bits", "<a>\xC3\xB1</a>\n",
       Format(Charset::kLatin1, "ISO-8859-1", false),
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a>\xF1</a>\n"},
      {"UTF-8 sin declaración", "<a>\xC3\xB1</a>\n", Format(Charset::kUtf8, "UTF-8", false),
       "<a>\xC3\xB1</a>\n"},
      {"saltos CR LF", "<?xml version=\"1.0\"?>\r\n<a>\n x\r\n</a>\n",
       Format(Charset::kUtf8, "UTF-8", false, true),
       "<?xml version=\"1.0\"?>\r\n<a>\r\n x\r\n</a>\r\n"},
      {"saltos LF", "<a>\r\n x\r\n</a>\r\n", Format(Charset::kUtf8, "UTF-8", false),
       "<a>\n x\n</a>\n"},
      {"CDATA partida", "<a><![CDATA[1 \xE2\x82\xAC <]]></a>",
       Format(Charset::kLatin1, "ISO-8859-1", true),
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a><![CDATA[1 ]]>&#8364;<![CDATA[ "
       "<]]></a>"},
      {"atributo con comilla simple", "<a b='\xE2\x82\xAC\"'>\xE2\x82\xAC</a>",
       Format(Charset::kLatin1, "ISO-8859-1", true),
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a b='&#8364;\"'>&#8364;</a>"},
      {"comentario que cabe", "<!-- \xC3\xB1 --><a/>", Format(Charset::kLatin1, "ISO-8859-1", true),
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- \xF1 --><a/>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(EncodeXml(c.serialised, c.format), c.bytes);
  }
}

TEST(EncodeXmlTest, CharacterOutsideTextThatTheEncodingLacksIsAnError) {
  for (const std::string serialised :
       {"<!-- \xE2\x82\xAC --><a/>", "<\xCE\xA9/>", "<?p \xE2\x82\xAC?><a/>"}) {
    SCOPED_TRACE(serialised);
    try {
      EncodeXml(serialised, Format(Charset::kLatin1, "ISO-8859-1", true));
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_THAT(e.what(),
                  testing::HasSubstr("no se puede escribir en la codificación ISO-8859-1"));
    }
  }
}

TEST(EncodeXmlTest, Utf16IsLittleEndianAfterAByteOrderMark) {
  EXPECT_EQ(EncodeXml("<a>\xE2\x82\xAC</a>", Format(Charset::kUtf16, "UTF-16", false)),
            std::string("\xFF\xFE<\0a\0>\0\xAC\x20<\0/\0a\0>\0", 18));
}

}  // namespace
}  // namespace pasahorario::delphos
