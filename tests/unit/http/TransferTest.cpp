#include <chrono>
#include <functional>

#include "http/HTTPMailbox.h"
#include "platform/Text.h"
#include "tests/tools/http/RouteSizes.h"
#include "tests/unit/http/TransferFixture.h"
#include "tests/unit/http/TransferServers.h"

namespace {

using namespace http_testing;

constexpr size_t kBodySize = testing_tools::RouteSizes::kBodySize;
const std::pair<int32_t, int32_t> kAllOfIt{kBodySize, kBodySize};

class Transfer : public ::testing::Test {
 protected:
  TransferServers server;
  const std::string body = Pattern(kBodySize);
  testing_tools::TempDir dir;
};

TEST_F(Transfer, DownloadsIntoAFile) {
  const struct {
    const char* path;
    bool success;
    const char* status;
    bool fileMade;
    size_t fileSize;  // when made
    bool progress;
  } cases[] = {
      {"/file", true, "200", true, kBodySize, true},
      {"/empty", true, "200", true, 0, false},
      {"/nolength", true, "200", true, kBodySize, false},
      {"/redirect", true, "200", true, kBodySize, true},
      {"/missing", false, "404", false, 0, false},
      {"/loop", false, "302", false, 0, false},
      {"/short", false, "200", true, 20000, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    TQVHTTP http;
    Outcome outcome;
    Watch(http, outcome);
    const std::string target = dir / (std::string("download") + (c.path + 1));
    http.SetMethod("GET");
    http.SetDownFileName(target);
    http.SetURL(server.url(c.path));
    ASSERT_TRUE(RunToEnd(http, outcome));
    EXPECT_EQ(outcome.success, c.success);
    EXPECT_EQ(http.Success(), c.success);
    EXPECT_EQ(http.StatusCode(), c.status);
    EXPECT_EQ(Exists(target), c.fileMade);
    if (c.fileMade) {
      EXPECT_EQ(ReadAll(target), body.substr(0, c.fileSize));
    }
    EXPECT_EQ(!outcome.progress.empty(), c.progress);
    if (c.success && c.progress) {
      EXPECT_EQ(outcome.progress.back(), kAllOfIt);
    }
    EXPECT_EQ(http.ReturnHeader().empty(), std::string(c.status) != "200");
    EXPECT_TRUE(http.ReturnStr().empty());
    EXPECT_FALSE(http.UseSSL());
    EXPECT_EQ(http.Host(), "127.0.0.1");
  }
}

// A response whose Content-Length is not a number is refused: its body has
// no trustworthy end.
TEST_F(Transfer, ContentLengthThatIsNotANumberFails) {
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.SetMethod("GET");
  http.SetURL(server.url("/badlength"));
  ASSERT_TRUE(RunToEnd(http, outcome));
  EXPECT_FALSE(outcome.success);
  EXPECT_TRUE(http.ReturnStr().empty());
}

TEST_F(Transfer, EventsArriveInOrderOnTheCreatingThread) {
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.SetMethod("GET");
  http.SetURL(server.url("/file"));
  ASSERT_TRUE(RunToEnd(http, outcome));
  EXPECT_FALSE(outcome.offThread);
  ASSERT_GE(outcome.events.size(), 3u);
  EXPECT_EQ(outcome.events.front(), "start");
  EXPECT_EQ(outcome.events.back(), "end");
  for (size_t i = 1; i + 1 < outcome.events.size(); ++i) EXPECT_EQ(outcome.events[i], "progress");
  for (size_t i = 1; i < outcome.progress.size(); ++i)
    EXPECT_LT(outcome.progress[i - 1].first, outcome.progress[i].first);
  EXPECT_EQ(outcome.progress.back(), kAllOfIt);
  // Memory mode: the body and the raw header block come back.
  EXPECT_EQ(http.ReturnStr(), body);
  EXPECT_EQ(http.ReturnHeader().rfind("HTTP/1.1 200", 0), 0u) << http.ReturnHeader();
  EXPECT_NE(http.ReturnHeader().find("Content-Length: 100000\r\n"), std::string::npos);
  EXPECT_EQ(http.ReturnHeader().substr(http.ReturnHeader().size() - 4), "\r\n\r\n");
  EXPECT_EQ(http.GetReturnCharSet(), "EUC-KR");
}

TEST_F(Transfer, ProgressNeverQueuesUpButEndsWithTheLastFigure) {
  // A receiver that is slow to dispatch: the worker finishes long before
  // anything is delivered, so every read's figures fold into one message.
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.SetMethod("GET");
  http.SetURL(server.url("/file"));
  const int servedBefore = server.served();
  http.RequestHTTPData();
  // The worker names itself before it sends; once the server has the request,
  // the worker's end is visible from outside.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while ((server.served() == servedBefore || WorkerRunning()) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(PumpUntil([&] { return outcome.ended; }));
  EXPECT_EQ(outcome.events, (std::vector<std::string>{"start", "progress", "end"}));
  EXPECT_EQ(outcome.progress.back(), kAllOfIt);
}

TEST_F(Transfer, ProgressIsPacedToWhatAWindowCanShow) {
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  std::chrono::steady_clock::time_point first;
  http.OnProgress = [&outcome, &first, inner = http.OnProgress](THTTPSender* sender, int32_t done,
                                                                int32_t total) {
    if (outcome.progress.empty()) first = std::chrono::steady_clock::now();
    inner(sender, done, total);
  };
  http.SetMethod("GET");
  http.SetURL(server.url("/steady"));
  ASSERT_TRUE(RunToEnd(http, outcome));
  ASSERT_TRUE(outcome.success);
  const auto spanMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - first)
                          .count();
  // One message per interval, plus the first and the last figure.
  EXPECT_LE(static_cast<int64_t>(outcome.progress.size()),
            spanMs / THTTPMailbox::kProgressInterval.count() + 2)
      << "over " << spanMs << " ms";
  EXPECT_EQ(outcome.progress.back(), kAllOfIt);
}

TEST_F(Transfer, FiguresHeldBackArriveWhileTheServerPauses) {
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.SetMethod("GET");
  http.SetURL(server.url("/pause"));
  http.RequestHTTPData();
  const std::pair<int32_t, int32_t> half{kBodySize / 2, kBodySize};
  const bool shown =
      PumpUntil([&] { return !outcome.progress.empty() && outcome.progress.back() == half; }, 5000);
  server.Release();
  EXPECT_TRUE(shown) << (outcome.progress.empty() ? 0 : outcome.progress.back().first);
  ASSERT_TRUE(PumpUntil([&] { return outcome.ended; }));
  EXPECT_TRUE(outcome.success);
  EXPECT_EQ(outcome.progress.back(), kAllOfIt);
}

TEST_F(Transfer, MaxSizeStopsAfterTheReadThatReachesIt) {
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.SetMethod("GET");
  http.SetMaxSize(30000);
  http.SetURL(server.url("/file"));
  ASSERT_TRUE(RunToEnd(http, outcome));
  EXPECT_TRUE(outcome.success);
  EXPECT_GE(http.ReturnStr().size(), 30000u);
  EXPECT_LT(http.ReturnStr().size(), 30000u + 8192u);
  EXPECT_EQ(http.ReturnStr(), body.substr(0, http.ReturnStr().size()));
}

TEST_F(Transfer, StallEndsWithTheTimeOut) {
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.SetMethod("GET");
  http.SetTimeOut(500);
  http.SetDownFileName(dir / "stalled.bin");
  http.SetURL(server.url("/stall"));
  ASSERT_TRUE(RunToEnd(http, outcome));
  EXPECT_FALSE(outcome.success);
  EXPECT_EQ(http.StatusCode(), "200");
  EXPECT_EQ(ReadAll(dir / "stalled.bin"), body.substr(0, 100));
  EXPECT_FALSE(IsOpenHere(dir / "stalled.bin"));
}

TEST_F(Transfer, RefusedConnectionFails) {
  const std::string url = "http://127.0.0.1:1/";  // nobody listens there
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.SetMethod("GET");
  http.SetURL(url);
  ASSERT_TRUE(RunToEnd(http, outcome));
  EXPECT_FALSE(outcome.success);
  EXPECT_EQ(http.StatusCode(), "");
}

TEST_F(Transfer, GetAppendsParametersToTheQuery) {
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.SetMethod("GET");
  http.SetValues("x", "1");
  http.SetParameter2("y=2");
  http.SetURL(server.url("/echo?q=0"));
  ASSERT_TRUE(RunToEnd(http, outcome));
  EXPECT_TRUE(outcome.success);
  EXPECT_EQ(http.ReturnStr(),
            "GET\nHTTP/1.0\n/echo?q=0&x=1&y=2\napplication/x-www-form-urlencoded; charset=UTF-8\n");

  TQVHTTP bare;
  Outcome second;
  Watch(bare, second);
  bare.SetMethod("get");
  bare.SetParameter2("y=2");
  bare.SetURL(server.url("/echo"));
  ASSERT_TRUE(RunToEnd(bare, second));
  EXPECT_EQ(bare.ReturnStr().substr(0, 20), "GET\nHTTP/1.0\n/echo?y");
}

TEST_F(Transfer, PostSendsPostDataOrElseTheParameters) {
  const struct {
    const char* name;
    std::string postData;
    std::string expectedBody;
  } cases[] = {
      {"parameters", "", "a=1&b=x+y"},
      // Sent in the system's 8-bit code page (UTF-8 itself on Linux).
      {"raw body", "{\"k\":\"\xEA\xB0\x80\"}",
       platform::Utf8ToSystemCodePage("{\"k\":\"\xEA\xB0\x80\"}")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TQVHTTP http;
    Outcome outcome;
    Watch(http, outcome);
    http.SetAutoHTTPEncode(true);
    http.AddData("a", "1", "");
    http.AddData("b", "x y", "");
    http.SetPostData(c.postData);
    http.SetURL(server.url("/echo"));
    ASSERT_TRUE(RunToEnd(http, outcome));
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(http.ReturnStr(),
              "POST\nHTTP/1.0\n/echo\napplication/x-www-form-urlencoded; "
              "charset=UTF-8\n" +
                  c.expectedBody);
  }
}

TEST_F(Transfer, OtherVerbsSendNothing) {
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.SetMethod("DELETE");
  http.SetDownFileName(dir / "never.bin");
  http.SetURL(server.url("/echo"));
  const int echoedBefore = server.echoed();
  ASSERT_TRUE(RunToEnd(http, outcome));
  EXPECT_FALSE(outcome.success);
  EXPECT_EQ(server.echoed(), echoedBefore);
  EXPECT_TRUE(Exists(dir / "never.bin"));
  EXPECT_EQ(ReadAll(dir / "never.bin"), "");
}

TEST_F(Transfer, TargetThatCannotTakeTheBody) {
  const struct {
    const char* name;
    std::string path;
  } cases[] = {
      {"cannot be created", dir / "no-such-folder/file.bin"},
      {"disk full", FullDevice()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TQVHTTP http;
    Outcome outcome;
    Watch(http, outcome);
    http.SetMethod("GET");
    http.SetDownFileName(c.path);
    http.SetURL(server.url("/file"));
    ASSERT_TRUE(RunToEnd(http, outcome));
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(http.StatusCode(), "200");
  }
}

TEST_F(Transfer, BlockModeReturnsWhenTheTransferIsOver) {
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.SetBlockMode(true);
  http.SetMethod("GET");
  http.SetURL(server.url("/file"));
  http.RequestHTTPData();
  EXPECT_TRUE(http.Success());
  EXPECT_EQ(http.ReturnStr(), body);
  EXPECT_TRUE(outcome.events.empty());
  ASSERT_TRUE(PumpUntil([&] { return outcome.ended; }));
  EXPECT_EQ(outcome.events, (std::vector<std::string>{"start", "progress", "end"}));
  EXPECT_EQ(outcome.progress.back(), kAllOfIt);
  EXPECT_TRUE(outcome.success);
}

TEST_F(Transfer, HandlerExceptionsAreDropped) {
  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.OnStart = [](THTTPSender*) { throw std::runtime_error("handler failed"); };
  http.SetMethod("GET");
  http.SetURL(server.url("/file"));
  ASSERT_TRUE(RunToEnd(http, outcome));
  EXPECT_TRUE(outcome.success);
}

TEST(WireHeaders, HeaderTextGoesOutAsRendered) {
  const struct {
    const char* name;
    std::function<void(TQVHTTP&)> compose;
    std::vector<std::string> absent;
    bool inOrder;  // the rendered lines go out together, in their order
  } cases[] = {
      {"defaults", [](TQVHTTP&) {}, {}, true},
      {"cleared, no agent",
       [](TQVHTTP& h) {
         h.HeaderClear();
         h.SetAgent("");
       },
       {"User-Agent", "Accept-Language"},
       true},
      // WinInet keeps the connection header for itself and sends it last.
      {"keep-alive", [](TQVHTTP& h) { h.SetKeepAlive(true); }, {}, false},
  };
  TransferServers servers;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TQVHTTP http;
    Outcome outcome;
    Watch(http, outcome);
    c.compose(http);
    http.SetMethod("GET");
    http.SetURL(servers.rawUrl("/dir/patch.zip"));
    const std::string header = http.MakeHeader();
    ASSERT_TRUE(RunToEnd(http, outcome));
    EXPECT_TRUE(outcome.success);
    const std::string head = HeadOf(http.ReturnStr());
    EXPECT_EQ(head.rfind("GET /dir/patch.zip HTTP/1.0\r\n", 0), 0u) << head;
    if (c.inOrder) {
      EXPECT_NE(head.find("\r\n" + header), std::string::npos) << head;
    }
    for (size_t at = 0, end; (end = header.find("\r\n", at)) != std::string::npos; at = end + 2) {
      const std::string line = "\r\n" + header.substr(at, end - at + 2);
      EXPECT_NE(head.find(line), std::string::npos) << line << head;
      EXPECT_EQ(head.find(line), head.rfind(line)) << line << head;
    }
    EXPECT_NE(head.find("\r\nAccept: */*\r\n"), std::string::npos) << head;
    for (const std::string& name : c.absent) EXPECT_EQ(head.find(name), std::string::npos) << head;
  }
}

}  // namespace
