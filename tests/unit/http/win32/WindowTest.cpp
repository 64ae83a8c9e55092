// The component's hidden window: the three messages posted to it are its
// events, on the thread that made it.
#include <windows.h>

#include "tests/unit/http/TransferFixture.h"

namespace {

using namespace http_testing;

TEST(HiddenWindow, IsAMessageOnlyWindowOfTheCreatingThread) {
  HWND window = nullptr;
  {
    TQVHTTP http;
    window = http.Handle();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
    EXPECT_FALSE(IsWindowVisible(window));
    // A message-only window is no child of the desktop and is not listed
    // among its windows.
    EXPECT_NE(GetAncestor(window, GA_PARENT), GetDesktopWindow());
  }
  EXPECT_FALSE(IsWindow(window));
}

TEST(HiddenWindow, PostedMessagesRaiseTheEvents) {
  const struct {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string event;
    bool success;
  } cases[] = {
      {2247, 0, 0, "start", false},
      {2249, 5000, 100000, "progress", false},
      {2248, 1, 0, "end", true},
      {2248, 0, 0, "end", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    TQVHTTP http;
    Outcome outcome;
    Watch(http, outcome);
    ASSERT_TRUE(PostMessageW(http.Handle(), c.message, c.wParam, c.lParam));
    ASSERT_TRUE(PumpUntil([&] { return !outcome.events.empty(); }, 5000));
    EXPECT_EQ(outcome.events, std::vector<std::string>{c.event});
    EXPECT_FALSE(outcome.offThread);
    EXPECT_EQ(http.Success(), c.success);
    if (c.event == "progress") {
      EXPECT_EQ(outcome.progress.back(),
                (std::pair<int32_t, int32_t>{static_cast<int32_t>(c.wParam),
                                             static_cast<int32_t>(c.lParam)}));
    }
  }
}

// A component made on another thread hears its transfer there, never on the
// thread that merely waits for it.
TEST(HiddenWindow, EventsRunOnTheThreadThatMadeTheComponent) {
  Outcome outcome;
  DWORD raisedOn = 0;
  DWORD madeOn = 0;
  std::thread owner([&] {
    TQVHTTP http;
    madeOn = GetCurrentThreadId();
    Watch(http, outcome);
    http.OnEnd = [&](THTTPSender*, bool success) {
      raisedOn = GetCurrentThreadId();
      outcome.success = success;
      outcome.ended = true;
    };
    http.SetMethod("GET");
    http.SetURL("http://127.0.0.1:1/");  // refused at once
    http.RequestHTTPData();
    PumpUntil([&] { return outcome.ended; });
  });
  owner.join();
  ASSERT_TRUE(outcome.ended);
  EXPECT_FALSE(outcome.success);
  EXPECT_EQ(raisedOn, madeOn);
  EXPECT_FALSE(outcome.offThread);
}

}  // namespace
