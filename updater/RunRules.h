#pragma once

#include <cstdint>
#include <string>

#include "platform/Clock.h"

// The small rules of the update run, kept apart from the window so that they
// can be checked on their own.

enum TPatchMode { pmZip, pm7z, pmPkgExe };

// The package name's stamp, "YYYMMDHHNNSSZZZ": four-digit year, two-digit
// month, day without a leading zero, then hour, minute, second and
// millisecond with fixed widths.
std::string PatchStamp(const platform::LocalTime& local);

// The package kind from the URL's case-sensitive ending (".7z", ".zip",
// ".exe", tested in that order) and its file-name extension. False when none
// matches.
bool PatchModeFromUrl(const std::string& url, TPatchMode* mode, std::string* extension);

// Whether `name` is one a run gives its package: "patch_", a stamp, and
// ".7z", ".zip" or ".exe".
bool IsPatchPackageName(const std::string& name);

// The installer package's URL: the first ".7z" becomes ".exe".
std::string FallbackUrl(const std::string& url);

// part ÷ total × 100, rounded half to even; 0 when total is not positive.
int ProgressPercent(double part, double total);

// percent ÷ 100 × trackWidth, truncated toward zero.
int BarWidth(int percent, int trackWidth);

// The status line of attempt n of 10: "압축 해제 중(n/10)".
std::string UnpackStatusText(int attempt);

// The main application's process id: parameter 4 as a decimal integer, 0
// when it is not one.
int32_t ParseProcessId(const std::string& text);
