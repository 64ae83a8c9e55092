// GDI+ for a whole suite, as the program's entry holds it.
#include <gtest/gtest.h>

#include <memory>

#include "ui/win32/GdiplusSession.h"

namespace {

class GdiplusEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    session_ = std::make_unique<TGdiplusSession>();
    ASSERT_TRUE(session_->Started());
  }
  void TearDown() override { session_.reset(); }

 private:
  std::unique_ptr<TGdiplusSession> session_;
};

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

}  // namespace
