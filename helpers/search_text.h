// Small rules of the search commands that need no window: the blank-location
// test, the elapsed time and the texts of the summary and the error report.
#pragma once

#include <string>

namespace kop {

// True when `text` holds nothing but bytes 0 to 32 (blanks and controls).
bool IsBlankText(const std::string& text);

// Seconds between two local date-time values (days).
double ElapsedSeconds(double startDays, double endDays);

// "搜索完毕,找到文件<count>个,耗时：<seconds with two decimals>秒", UTF-8.
std::string SearchSummaryText(int count, double seconds);

// The failure's text as the error report shows it: "." appended when the
// last byte sorts after ".".
std::string ErrorReportText(const std::string& message);

}  // namespace kop
