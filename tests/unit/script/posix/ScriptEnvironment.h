#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace script_test {

// Sets (or with nullopt removes) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    Apply(value);
  }
  ~ScopedEnv() { Apply(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Apply(const std::optional<std::string>& value) {
    if (value)
      setenv(name_.c_str(), value->c_str(), 1);
    else
      unsetenv(name_.c_str());
  }
  std::string name_;
  std::optional<std::string> old_;
};

// The locale variables all at once, so the host's settings cannot leak in.
struct ScopedLocale {
  ScopedLocale(std::optional<std::string> all, std::optional<std::string> ctype,
               std::optional<std::string> lang)
      : all_("LC_ALL", std::move(all)),
        ctype_("LC_CTYPE", std::move(ctype)),
        lang_("LANG", std::move(lang)) {}
  ScopedEnv all_, ctype_, lang_;
};

}  // namespace script_test
