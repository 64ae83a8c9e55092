#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <stdexcept>

#include "http/QVHTTP.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/http/EventPump.h"
#include "tests/unit/http/TransferFixture.h"

namespace {

// Stands for the component's own boundary in expected texts.
const std::string kBoundaryMark = "<boundary>";

const std::string kAgent = "ORNEC HTTP CONTROL/" UPDATER_VERSION " (" UPDATER_BUILD_NUMBER ")";

// Set by the test's entry from its own file version, as the updater's entry does.
TEST(AgentVersion, IsTheApplicationsFileVersionWithItsBuildAgain) {
  EXPECT_EQ(AgentVersion(), UPDATER_VERSION " (" UPDATER_BUILD_NUMBER ")");
  const std::string own = AgentVersion();
  SetAgentVersion(TFileVersion{2, 1, 0, 37});
  EXPECT_EQ(AgentVersion(), "2.1.0.37 (37)");
  SetAgentVersion(TFileVersion{-1, 0, 2147483647, 0});
  EXPECT_EQ(AgentVersion(), "-1.0.2147483647.0 (0)");
  SetAgentVersion(ReadFileVersion(platform::ExecutablePath()));
  EXPECT_EQ(AgentVersion(), own);
}

TEST(HeaderText, FreshComponent) {
  TQVHTTP http;
  EXPECT_EQ(http.MakeHeader(),
            "Accept-Language: ko\r\n"
            "User-Agent: " +
                kAgent +
                "\r\n"
                "Content-Type: application/x-www-form-urlencoded; charset=UTF-8\r\n");
}

TEST(HeaderText, UpdateControllerDownload) {
  testing_tools::TempDir dir;
  TQVHTTP http;
  http.SetTimeOut(10000);
  http.SetCharSet("UTF-8");
  http.SetMethod("POST");
  http.SetMultiPartMode(false);
  http.SetKeepAlive(false);
  http.SetMaxSize(0);
  http.BufferClear();
  http.SetMethod("GET");
  http.SetAutoHTTPEncode(true);
  http.SetBlockMode(false);
  http.SetDownFileMode(true);
  http.SetDownFileName(dir / "patch_20260101.zip");
  http.SetURL("https://server/dir/patch.zip");
  const std::string expected =
      "Accept-Language: ko\r\n"
      "User-Agent: " +
      kAgent +
      "\r\n"
      "Content-Type: application/x-www-form-urlencoded; charset=UTF-8\r\n";
  EXPECT_EQ(http.MakeHeader(), expected);
  // Rendering again changes nothing: the lines it added are reused.
  EXPECT_EQ(http.MakeHeader(), expected);
}

TEST(HeaderText, ContentTypeAndAgentRules) {
  const struct {
    const char* name;
    std::function<void(TQVHTTP&)> compose;
    std::string expected;
  } cases[] = {
      {"other charset", [](TQVHTTP& h) { h.SetCharSet("EUC-KR"); },
       "Accept-Language: ko\r\nUser-Agent: " + kAgent +
           "\r\nContent-Type: application/x-www-form-urlencoded\r\n"},
      {"charset compared exactly", [](TQVHTTP& h) { h.SetCharSet("utf-8"); },
       "Accept-Language: ko\r\nUser-Agent: " + kAgent +
           "\r\nContent-Type: application/x-www-form-urlencoded\r\n"},
      {"own content type kept", [](TQVHTTP& h) { h.SetHeader("content-type", "text/plain"); },
       "Accept-Language: ko\r\nUser-Agent: " + kAgent + "\r\ncontent-type: text/plain\r\n"},
      {"multipart",
       [](TQVHTTP& h) {
         h.SetHeader("Content-Type", "text/plain");
         h.SetMultiPartMode(true);
       },
       "Accept-Language: ko\r\nUser-Agent: " + kAgent +
           "\r\nContent-Type: multipart/form-data; charset=UTF-8; boundary=" + kBoundaryMark +
           "\r\n"},
      {"agent replaces the default in place", [](TQVHTTP& h) { h.SetAgent("Zelvar"); },
       "Accept-Language: ko\r\nUser-Agent: Zelvar/" + AgentVersion() +
           "\r\nContent-Type: application/x-www-form-urlencoded; charset=UTF-8\r\n"},
      {"later equals signs stay", [](TQVHTTP& h) { h.SetHeader("X-Pair", "a=b=c"); },
       "Accept-Language: ko\r\nUser-Agent: " + kAgent + "\r\nX-Pair: a=b=c\r\n" +
           "Content-Type: application/x-www-form-urlencoded; charset=UTF-8\r\n"},
      {"cleared, no agent",
       [](TQVHTTP& h) {
         h.HeaderClear();
         h.SetAgent("");
       },
       "Content-Type: application/x-www-form-urlencoded; charset=UTF-8\r\n"},
  };
  for (const auto& c : cases) {
    TQVHTTP http;
    c.compose(http);
    std::string expected = c.expected;
    const size_t at = expected.find(kBoundaryMark);
    if (at != std::string::npos) expected.replace(at, kBoundaryMark.size(), http.Boundary());
    EXPECT_EQ(http.MakeHeader(), expected) << c.name;
  }
}

TEST(Properties, WriteRules) {
  const struct {
    const char* name;
    std::function<void(TQVHTTP&)> write;
    std::string method;
    bool multiPart;
    bool downFileMode;
  } cases[] = {
      {"defaults", [](TQVHTTP&) {}, "POST", false, false},
      {"lower-case get keeps multipart",
       [](TQVHTTP& h) {
         h.SetMultiPartMode(true);
         h.SetMethod("get");
       },
       "get", true, false},
      {"GET clears multipart",
       [](TQVHTTP& h) {
         h.SetMultiPartMode(true);
         h.SetMethod("GET");
       },
       "GET", false, false},
      {"multipart turns the method into POST",
       [](TQVHTTP& h) {
         h.SetMethod("PUT");
         h.SetMultiPartMode(true);
       },
       "POST", true, false},
      {"multipart off keeps the method",
       [](TQVHTTP& h) {
         h.SetMethod("PUT");
         h.SetMultiPartMode(false);
       },
       "PUT", false, false},
      {"a file name alone switches to file mode", [](TQVHTTP& h) { h.SetDownFileName("/tmp/x"); },
       "POST", false, true},
      {"file mode can be switched back",
       [](TQVHTTP& h) {
         h.SetDownFileName("/tmp/x");
         h.SetDownFileMode(false);
       },
       "POST", false, false},
  };
  for (const auto& c : cases) {
    TQVHTTP http;
    c.write(http);
    EXPECT_EQ(http.Method(), c.method) << c.name;
    EXPECT_EQ(http.MultiPartMode(), c.multiPart) << c.name;
    EXPECT_EQ(http.DownFileMode(), c.downFileMode) << c.name;
  }
}

TEST(Properties, Defaults) {
  TQVHTTP http;
  EXPECT_EQ(http.TimeOut(), 10000);
  EXPECT_EQ(http.CharSet(), "UTF-8");
  EXPECT_EQ(http.StreamSize(), 0);
  EXPECT_EQ(http.MaxSize(), 0);
  EXPECT_FALSE(http.AutoHTTPEncode());
  EXPECT_FALSE(http.BlockMode());
  EXPECT_FALSE(http.KeepAlive());
  EXPECT_FALSE(http.Success());
  EXPECT_FALSE(http.UseSSL());
  EXPECT_TRUE(http.ReturnStr().empty());
  EXPECT_TRUE(http.StatusCode().empty());
  EXPECT_TRUE(http_testing::HandleIsTheComponentsOwn(http));
  const std::string& boundary = http.Boundary();
  ASSERT_EQ(boundary.size(), 41u);
  EXPECT_EQ(boundary.substr(0, 27), std::string(27, '-'));
  EXPECT_EQ(boundary.find_first_not_of("0123456789abcdef", 27), std::string::npos) << boundary;
  TQVHTTP other;
  EXPECT_NE(http.Boundary(), other.Boundary());
}

TEST(HeaderList, NamedLines) {
  TQVHTTP http;
  http.SetHeader("X-One", "1");
  http.SetHeader("accept-language", "en");  // replaces in place, under the new spelling
  EXPECT_EQ(http.Header("ACCEPT-LANGUAGE"), "en");
  http.SetHeader("User-Agent", "");  // the empty text removes the line
  EXPECT_EQ(http.Header("User-Agent"), "");
  http.DeleteHeader("x-one");
  http.DeleteHeader("Not-There");
  EXPECT_EQ(http.MakeHeader(),
            "accept-language: en\r\n"
            "Content-Type: application/x-www-form-urlencoded; charset=UTF-8\r\n");
}

TEST(HeaderList, KeepAlive) {
  TQVHTTP http;
  http.SetKeepAlive(true);
  EXPECT_EQ(http.Header("Connection"), "Keep-Alive");
  EXPECT_TRUE(http.KeepAlive());
  http.SetHeader("Connection", " \tKeep-Alive \r");
  EXPECT_TRUE(http.KeepAlive());
  http.SetHeader("Connection", "keep-alive");
  EXPECT_FALSE(http.KeepAlive());
  http.SetKeepAlive(false);
  EXPECT_EQ(http.Header("Connection"), "");
  EXPECT_EQ(http.MakeHeader().find("Connection"), std::string::npos);
}

TEST(ParameterList, ValuesAndJoining) {
  TQVHTTP http;
  EXPECT_EQ(http.ParamList(), "");
  http.SetValues("a", "1");
  http.SetValues("b", "2");
  EXPECT_EQ(http.ParamList(), "a=1&b=2");
  http.SetValues("A", "x y");  // replaced in place, nothing encoded
  http.SetValues("c", "");     // the empty value keeps a line
  EXPECT_EQ(http.ParamList(), "A=x y&b=2&c=");
  EXPECT_EQ(http.Values("c"), "");
  EXPECT_EQ(http.Values("B"), "2");
}

TEST(FormFields, AddDataWithoutMultipart) {
  TQVHTTP http;
  http.SetAutoHTTPEncode(true);
  http.AddData("q", "a b", "");
  http.AddData("r", "a b&\xC3\xBC~", "text/plain");
  http.SetAutoHTTPEncode(false);
  http.AddData("s", "a b", "");
  EXPECT_EQ(http.ParamList(), "q=a+b&r=a+b%26%C3%BC%7E&s=a b");
  EXPECT_TRUE(http.Stream().empty());
  EXPECT_EQ(http.StreamSize(), 0);
}

TEST(FormFields, MultipartParts) {
  TQVHTTP http;
  http.SetMultiPartMode(true);
  http.AddData("name", "\xEA\xB0\x80 x", "");
  http.AddData("kind", "zip", "text/plain");
  const std::string b = http.Boundary();
  ASSERT_EQ(http.Stream().size(), 2u);
  // In the system's 8-bit code page, as it goes out (UTF-8 itself on Linux).
  EXPECT_EQ(http.Stream()[0], "--" + b +
                                  "\r\nContent-Disposition: form-data; name=\"name\" \r\n"
                                  "\r\n" +
                                  platform::Utf8ToSystemCodePage("\xEA\xB0\x80 x") + "\r\n");
  EXPECT_EQ(http.Stream()[1], "--" + b +
                                  "\r\nContent-Disposition: form-data; name=\"kind\" \r\n"
                                  "Content-Type: text/plain\r\n\r\nzip\r\n");
  EXPECT_EQ(http.StreamSize(),
            static_cast<int32_t>(http.Stream()[0].size() + http.Stream()[1].size()));
  EXPECT_TRUE(http.ParamList().empty());
}

TEST(FormFields, AddFile) {
  testing_tools::TempDir dir;
  const std::string file = dir / "report.bin";
  std::ofstream(file, std::ios::binary) << std::string(1000, 'x');

  TQVHTTP plain;
  plain.AddFile("upload", file, "");
  EXPECT_TRUE(plain.FileList().empty());
  EXPECT_EQ(plain.StreamSize(), 0);

  TQVHTTP http;
  http.SetMultiPartMode(true);
  http.AddFile("upload", file, "");
  http.AddFile("upload", dir / "missing.bin", "image/png");
  const std::string b = http.Boundary();
  const std::string first =
      "--" + b +
      "\r\nContent-Disposition: form-data; name=\"file\"; "
      "filename=\"report.bin\"\r\nContent-Type: application/octet-stream\r\n\r\n";
  const std::string second = "--" + b +
                             "\r\nContent-Disposition: form-data; name=\"file\"; "
                             "filename=\"missing.bin\"\r\nContent-Type: image/png\r\n\r\n";
  EXPECT_EQ(http.FileList(), (std::vector<std::string>{file, dir / "missing.bin"}));
  EXPECT_EQ(http.StreamSize(), static_cast<int32_t>(first.size() + 1000 + 2 + second.size() + 2));
}

TEST(Request, BufferClearThenRequestLeavesTheClosingLine) {
  TQVHTTP http;
  http.SetMultiPartMode(true);
  http.AddData("a", "1", "");
  http.SetPostData("raw");
  http.SetParameter2("p=2");
  http.SetValues("x", "1");
  http.BufferClear();
  EXPECT_TRUE(http.ParamList().empty());
  EXPECT_EQ(http.PostData(), "raw");
  EXPECT_EQ(http.Parameter2(), "p=2");

  // In block mode a URL that cannot be split leaves the call; the end is
  // still reported, as a failure.
  std::vector<std::string> events;
  http.OnStart = [&](THTTPSender*) { events.push_back("start"); };
  http.OnEnd = [&](THTTPSender*, bool success) {
    events.push_back(success ? "end ok" : "end failed");
  };
  http.SetBlockMode(true);
  http.SetURL("");
  EXPECT_THROW(http.RequestHTTPData(), std::invalid_argument);
  ASSERT_EQ(http.Stream().size(), 1u);
  EXPECT_EQ(http.Stream()[0], "--" + http.Boundary() + "--\r\n");
  EXPECT_EQ(http.StreamSize(), 47);
  EXPECT_TRUE(events.empty());  // raised only when the thread next dispatches
  http_testing::PumpUntil([&] { return events.size() == 2; }, 2000);
  EXPECT_EQ(events, (std::vector<std::string>{"start", "end failed"}));
  EXPECT_FALSE(http.Success());
}

TEST(Request, EveryRequestAppendsAnotherClosingLine) {
  TQVHTTP http;
  http.SetBlockMode(true);
  http.SetMethod("NONE");  // never sent
  http.SetURL("http://127.0.0.1:9/");
  http.RequestHTTPData();
  http.RequestHTTPData();
  EXPECT_EQ(http.Stream().size(), 2u);
  EXPECT_EQ(http.StreamSize(), 94);
  EXPECT_FALSE(http.Success());
}

}  // namespace
