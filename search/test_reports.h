// Test support: the scripted callee. Record keeps every report and answers
// as `answer` says (no stop when it is empty); `answer` may throw to show how
// failures travel.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

struct Report {
  std::int32_t code;
  std::string path;
  bool operator==(const Report& other) const { return code == other.code && path == other.path; }
};

inline std::ostream& operator<<(std::ostream& out, const Report& report) {
  return out << "{" << report.code << ", \"" << report.path << "\"}";
}

inline std::vector<Report> reports;
inline std::function<bool(const Report&)> answer;

inline void Record(const std::string& path, std::int32_t code, bool& stop) {
  EXPECT_FALSE(stop) << "every report starts with the flag false";
  reports.push_back({code, path});
  stop = answer ? answer(reports.back()) : false;
}
