#pragma once

#include <cstdint>

namespace platform {

// A moment of the local calendar, to the millisecond.
struct LocalTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

LocalTime LocalTimeNow();

// Milliseconds from an arbitrary start; never goes back.
uint64_t TickCount();

}  // namespace platform
