#include "platform/clock.h"

#include <ctime>

namespace kop {
namespace {

// Days from 1899-12-30 to 1970-01-01.
constexpr double kUnixEpochDays = 25569.0;

class SystemClock : public Clock {
 public:
  double LocalNowDays() override {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    tm local;
    localtime_r(&now.tv_sec, &local);
    // Whole days of the local date, counted through timegm so that no
    // daylight-saving rule shifts them, plus the local time of day.
    tm date = local;
    date.tm_hour = date.tm_min = date.tm_sec = 0;
    const double days = static_cast<double>(timegm(&date) / 86400) + kUnixEpochDays;
    const double milliseconds =
        ((local.tm_hour * 60.0 + local.tm_min) * 60.0 + local.tm_sec) * 1000.0 +
        now.tv_nsec / 1000000;
    return days + milliseconds / 86400000.0;
  }
};

Clock* current = nullptr;

}  // namespace

Clock& CurrentClock() {
  static SystemClock system;
  return current != nullptr ? *current : system;
}

ScopedClock::ScopedClock(Clock& clock) : previous_(current) { current = &clock; }

ScopedClock::~ScopedClock() { current = previous_; }

}  // namespace kop
