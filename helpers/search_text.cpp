#include "helpers/search_text.h"

#include <cstdio>

namespace kop {

bool IsBlankText(const std::string& text) {
  for (unsigned char byte : text) {
    if (byte > 32) return false;
  }
  return true;
}

double ElapsedSeconds(double startDays, double endDays) {
  return (endDays - startDays) * 3600.0 * 24.0;
}

std::string SearchSummaryText(int count, double seconds) {
  char text[160];
  std::snprintf(text, sizeof text, "搜索完毕,找到文件%d个,耗时：%.2f秒", count, seconds);
  return text;
}

std::string ErrorReportText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
    return message + ".";
  }
  return message;
}

}  // namespace kop
