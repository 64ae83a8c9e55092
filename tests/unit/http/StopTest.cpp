#include <chrono>
#include <filesystem>
#include <memory>

#include "tests/tools/http/RouteSizes.h"
#include "tests/unit/http/TransferFixture.h"
#include "tests/unit/http/TransferServers.h"

namespace {

using namespace http_testing;

constexpr size_t kSlowSize = testing_tools::RouteSizes::kSlowSize;

class Stopping : public ::testing::Test {
 protected:
  // Whether the worker has ended, waiting up to a few seconds for it.
  bool WorkerGone() {
    return PumpUntil([] { return !WorkerRunning(); }, 5000);
  }

  TransferServers server;
  const std::string chunk = Pattern(testing_tools::RouteSizes::kSlowChunk);
  testing_tools::TempDir dir;
};

TEST_F(Stopping, StopDuringTheBody) {
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  const std::string target = dir / "partial.bin";
  http.SetMethod("GET");
  http.SetDownFileName(target);
  http.SetURL(server.url("/slow"));
  http.RequestHTTPData();
  ASSERT_TRUE(PumpUntil([&] { return !outcome.progress.empty(); }));
  EXPECT_TRUE(WorkerRunning());
  http.Stop();
  EXPECT_TRUE(WorkerGone());
  PumpFor(300);
  EXPECT_FALSE(outcome.ended);
  EXPECT_FALSE(http.Success());
  EXPECT_FALSE(IsOpenHere(target));
  const std::string partial = ReadAll(target);
  EXPECT_GT(partial.size(), 0u);
  EXPECT_LT(partial.size(), kSlowSize);
  std::string arrived;
  while (arrived.size() < partial.size()) arrived += chunk;
  EXPECT_EQ(partial, arrived.substr(0, partial.size()));  // what arrived, in order
  EXPECT_TRUE(std::filesystem::remove(target));
}

TEST_F(Stopping, StopWhileTheWorkerWaitsInTheNetwork) {
  if (const char* why = StopWaitsForANetworkCall()) GTEST_SKIP() << why;
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.SetTimeOut(60000);
  http.SetMethod("GET");
  http.SetDownFileName(dir / "silent.bin");
  http.SetURL(server.url("/silent"));
  http.RequestHTTPData();
  ASSERT_TRUE(PumpUntil([&] { return !outcome.events.empty(); }));
  PumpFor(200);
  EXPECT_TRUE(WorkerRunning());
  http.Stop();
  EXPECT_TRUE(WorkerGone());
  PumpFor(200);
  EXPECT_FALSE(outcome.ended);
}

TEST_F(Stopping, AFreshRequestAfterStopIsUnaffected) {
  TQVHTTP http;
  Outcome stopped;
  Watch(http, stopped);
  http.SetMethod("GET");
  http.SetURL(server.url("/slow"));
  http.SetMaxSize(0);
  http.RequestHTTPData();
  ASSERT_TRUE(PumpUntil([&] { return !stopped.progress.empty(); }));
  http.Stop();

  Outcome next;
  Watch(http, next);
  http.SetMaxSize(20000);
  http.RequestHTTPData();
  ASSERT_TRUE(PumpUntil([&] { return next.ended; }));
  EXPECT_TRUE(next.success);
  EXPECT_EQ(next.events.front(), "start");
  EXPECT_EQ(next.events.back(), "end");
  EXPECT_FALSE(stopped.ended);
  EXPECT_GE(http.ReturnStr().size(), 20000u);
}

TEST_F(Stopping, ComponentDestroyedDuringATransfer) {
  Outcome outcome;
  bool heardAfterwards = false;
  bool destroyed = false;
  {
    auto http = std::make_unique<TQVHTTP>();
    Watch(*http, outcome);
    http->OnProgress = [&](THTTPSender*, int32_t done, int32_t total) {
      heardAfterwards |= destroyed;
      outcome.progress.emplace_back(done, total);
    };
    http->OnEnd = [&](THTTPSender*, bool) { heardAfterwards = true; };
    http->SetMethod("GET");
    http->SetDownFileName(dir / "orphan.bin");
    http->SetURL(server.url("/slow"));
    http->RequestHTTPData();
    ASSERT_TRUE(PumpUntil([&] { return !outcome.progress.empty(); }));
    // Let more progress queue up undelivered, then go away.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    http.reset();
    destroyed = true;
  }
  EXPECT_TRUE(WorkerGone());
  PumpFor(300);
  EXPECT_FALSE(heardAfterwards);
  EXPECT_FALSE(IsOpenHere(dir / "orphan.bin"));
}

}  // namespace
