#include "tests/unit/script/ScriptTestSupport.h"
#include "tests/unit/script/posix/ScriptEnvironment.h"

namespace script_test {

struct ScopedUserLocale::Saved {
  explicit Saved(const std::string& name) : locale(name + ".UTF-8", std::nullopt, std::nullopt) {}
  ScopedLocale locale;
};

ScopedUserLocale::ScopedUserLocale(const std::string& name)
    : saved_(std::make_unique<Saved>(name)) {}

ScopedUserLocale::~ScopedUserLocale() = default;

}  // namespace script_test
