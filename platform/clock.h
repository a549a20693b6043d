// Wall-clock time as the window uses it: a local date-time value, counting
// days since 1899-12-30 with the time of day as the fraction. Tests install a
// fixed clock through ScopedClock.
#pragma once

namespace kop {

class Clock {
 public:
  virtual ~Clock() = default;
  // Now, in local time, with millisecond resolution.
  virtual double LocalNowDays() = 0;
};

Clock& CurrentClock();

class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* previous_;
};

}  // namespace kop
