#include "helpers/search_text.h"

#include <gtest/gtest.h>

namespace kop {
namespace {

TEST(SearchText, BlankMeansOnlyBytesUpToSpace) {
  struct Case { const char* name; std::string text; bool blank; };
  const Case cases[] = {
      {"empty", "", true},
      {"blanks and controls", std::string(" \t\r\n\x01 \0", 7), true},
      {"one letter among blanks", "  a ", false},
      {"ideographic space is not blank", "\xE3\x80\x80", false},
      {"DEL is not blank", "\x7F", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsBlankText(c.text), c.blank);
  }
}

TEST(SearchText, SummaryHasCountAndTwoDecimals) {
  EXPECT_EQ(SearchSummaryText(0, 0.0), "搜索完毕,找到文件0个,耗时：0.00秒");
  EXPECT_EQ(SearchSummaryText(123, 4.567), "搜索完毕,找到文件123个,耗时：4.57秒");
  EXPECT_NEAR(ElapsedSeconds(46000.5, 46000.5 + 1.5 / 86400.0), 1.5, 1e-6);
}

TEST(SearchText, ErrorReportAppendsDotAfterLaterCharacters) {
  EXPECT_EQ(ErrorReportText("不能创建文件 /x/txt.dat"), "不能创建文件 /x/txt.dat.");
  EXPECT_EQ(ErrorReportText("ends with a dot."), "ends with a dot.");
  EXPECT_EQ(ErrorReportText("ends with a comma,"), "ends with a comma,");
  EXPECT_EQ(ErrorReportText(""), "");
}

}  // namespace
}  // namespace kop
