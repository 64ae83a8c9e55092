#include <windows.h>

#include <stdexcept>

#include "platform/Text.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace script_test {

struct ScopedUserLocale::Saved {
  LCID old;
};

ScopedUserLocale::ScopedUserLocale(const std::string& name)
    : saved_(std::make_unique<Saved>(Saved{GetThreadLocale()})) {
  std::string tag = name;
  for (char& c : tag)
    if (c == '_') c = '-';
  const LCID locale = LocaleNameToLCID(platform::Utf8ToWide(tag).c_str(), 0);
  if (locale == 0 || !SetThreadLocale(locale)) throw std::runtime_error("no locale " + name);
}

ScopedUserLocale::~ScopedUserLocale() {
  SetThreadLocale(saved_->old);
}

}  // namespace script_test
