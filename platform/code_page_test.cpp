#include "platform/display_text.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kop {
namespace {

using namespace std::string_literals;

TEST(CodePage, UpperCasingFollowsTheCodePageAndKeepsWhatItCannotMap) {
  struct Case { const char* name; CodePage codePage; std::string text; std::string upper; };
  const Case cases[] = {
      {"ASCII", CodePage::Utf8, "abc.Txt", "ABC.TXT"},
      {"Latin letters beyond ASCII", CodePage::Utf8, "bär", "BÄR"},
      {"dotless i maps into ASCII", CodePage::Utf8, "\xC4\xB1", "I"},
      {"invalid bytes stay", CodePage::Utf8, "a\xFF" "b\xC3", "A\xFF" "B\xC3"},
      {"Chinese is unchanged", CodePage::Utf8, "中文", "中文"},
      {"Greek in 936", CodePage::Gbk936, "\xA6\xC1", "\xA6\xA1"},
      {"full-width a in 936", CodePage::Gbk936, "\xA3\xE1", "\xA3\xC1"},
      {"second byte that looks like a letter stays", CodePage::Gbk936, "\x81\x61", "\x81\x61"},
      {"ASCII in 936", CodePage::Gbk936, "x\xD6\xD0y", "X\xD6\xD0Y"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UpperCaseText(c.text, c.codePage), c.upper);
  }
}

TEST(CodePage, Utf16FormsOfBothCodePages) {
  struct Case { const char* name; CodePage codePage; std::string text; std::string wide; };
  const Case cases[] = {
      {"ASCII", CodePage::Utf8, "Ab", "A\0b\0"s},
      {"Chinese from UTF-8", CodePage::Utf8, "中", "\x2D\x4E"},
      {"Chinese from 936", CodePage::Gbk936, "\xD6\xD0", "\x2D\x4E"},
      {"euro sign at 0x80 in 936", CodePage::Gbk936, "\x80", "\xAC\x20"},
      {"outside the BMP", CodePage::Utf8, "\xF0\x9F\x98\x80", "\x3D\xD8\x00\xDE"s},
      {"invalid byte becomes U+FFFD", CodePage::Utf8, "a\xFF", "a\0\xFD\xFF"s},
      {"lone lead byte becomes U+FFFD", CodePage::Gbk936, "\xD6", "\xFD\xFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ToUtf16LeBytes(c.text, c.codePage), c.wide);
  }
}

TEST(CodePage, DisplayDecodingAndEncoding) {
  EXPECT_EQ(DecodeForDisplay("/tmp/中\xFF", CodePage::Utf8), QString::fromUtf8("/tmp/中\uFFFD"));
  EXPECT_EQ(DecodeForDisplay("/tmp/\xD6\xD0\xFF", CodePage::Gbk936),
            QString::fromUtf8("/tmp/中\uFFFD"));
  EXPECT_EQ(EncodeFromDisplay(QString::fromUtf8("中😀€"), CodePage::Gbk936), "\xD6\xD0?\x80");
  EXPECT_EQ(EncodeFromDisplay(QString::fromUtf8("中"), CodePage::Utf8), "中");
  EXPECT_EQ(FromUtf8("不能创建文件 ", CodePage::Gbk936), "\xB2\xBB\xC4\xDC\xB4\xB4\xBD\xA8\xCE\xC4\xBC\xFE ");
}

TEST(CodePage, EnvironmentChoosesTheCodePage) {
  struct Case { const char* value; CodePage codePage; bool warns; };
  const Case cases[] = {{nullptr, CodePage::Utf8, false},
                        {"utf-8", CodePage::Utf8, false},
                        {"936", CodePage::Gbk936, false},
                        {"1252", CodePage::Utf8, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "unset");
    if (c.value) {
      setenv("KOPSOU_CODEPAGE", c.value, 1);
    } else {
      unsetenv("KOPSOU_CODEPAGE");
    }
    std::string warning;
    EXPECT_EQ(CodePageFromEnvironment(&warning), c.codePage);
    EXPECT_EQ(!warning.empty(), c.warns) << warning;
  }
  unsetenv("KOPSOU_CODEPAGE");
}

}  // namespace
}  // namespace kop
