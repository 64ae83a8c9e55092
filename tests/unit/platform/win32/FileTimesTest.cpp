#include <gtest/gtest.h>

#include "platform/win32/FileTimes.h"

namespace {

TEST(FileTimes, WindowsTicksAndUnixTimesConvertBothWays) {
  const struct {
    platform::FileTime unix;
    uint64_t ticks;
  } cases[] = {
      {{0, 0}, 116'444'736'000'000'000ull},
      {{1, 100}, 116'444'736'010'000'001ull},
      {{1'700'000'000, 123'456'700}, 133'444'736'001'234'567ull},
      {{-11'644'473'600, 0}, 0},  // 1601, the first time Windows can keep
  };
  for (const auto& c : cases) {
    const FILETIME windows = platform::ToWindowsFileTime(c.unix);
    EXPECT_EQ((static_cast<uint64_t>(windows.dwHighDateTime) << 32) | windows.dwLowDateTime,
              c.ticks)
        << c.unix.seconds;
    const platform::FileTime back = platform::FromWindowsFileTime(windows);
    EXPECT_EQ(back.seconds, c.unix.seconds);
    EXPECT_EQ(back.nanoseconds, c.unix.nanoseconds);
  }
  // Before 1601 there is nothing to keep but 1601 itself.
  const FILETIME earliest = platform::ToWindowsFileTime({-20'000'000'000, 0});
  EXPECT_EQ(earliest.dwLowDateTime | earliest.dwHighDateTime, 0u);
}

}  // namespace
