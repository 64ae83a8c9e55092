#include "updater/RunRules.h"

#include "util/QVUtils.h"

#include <cmath>
#include <cstdio>

namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string PatchStamp(const platform::LocalTime& local) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%d%02d%02d%02d%03d", local.year, local.month,
                local.day, local.hour, local.minute, local.second, local.millisecond);
  return buffer;
}

bool PatchModeFromUrl(const std::string& url, TPatchMode* mode, std::string* extension) {
  static const struct {
    const char* suffix;
    TPatchMode mode;
  } kinds[] = {{".7z", pm7z}, {".zip", pmZip}, {".exe", pmPkgExe}};
  for (const auto& kind : kinds) {
    if (EndsWith(url, kind.suffix)) {
      *mode = kind.mode;
      *extension = kind.suffix;
      return true;
    }
  }
  return false;
}

bool IsPatchPackageName(const std::string& name) {
  const std::string prefix = "patch_";
  if (name.rfind(prefix, 0) != 0) return false;
  size_t digits = prefix.size();
  while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') ++digits;
  const size_t stampLength = digits - prefix.size();
  if (stampLength < 16 || stampLength > 17) return false;
  const std::string extension = name.substr(digits);
  return extension == ".7z" || extension == ".zip" || extension == ".exe";
}

std::string FallbackUrl(const std::string& url) {
  std::string result = url;
  const size_t at = result.find(".7z");
  if (at != std::string::npos) result.replace(at, 3, ".exe");
  return result;
}

int ProgressPercent(double part, double total) {
  if (!(total > 0)) return 0;
  // nearbyint rounds half to even in the default rounding mode.
  const double percent = std::nearbyint(part / total * 100.0);
  if (!(percent < 2147483647.0 && percent > -2147483648.0)) return 0;
  return static_cast<int>(percent);
}

int BarWidth(int percent, int trackWidth) {
  return static_cast<int>(std::trunc(percent / 100.0 * trackWidth));
}

std::string UnpackStatusText(int attempt) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "압축 해제 중(%d/%d)", attempt, 10);
  return buffer;
}

int32_t ParseProcessId(const std::string& text) {
  return DecimalOrZero(text);
}
