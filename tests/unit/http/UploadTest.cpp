#include <fstream>

#include "platform/Text.h"
#include "tests/unit/http/TransferFixture.h"
#include "tests/unit/http/TransferServers.h"

namespace {

using namespace http_testing;

std::string FilePart(const std::string& boundary, const std::string& name, const std::string& type,
                     const std::string& content) {
  return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + name +
         "\"\r\nContent-Type: " + type + "\r\n\r\n" + content + "\r\n";
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

TEST(Multipart, BodyOnTheWireIsExactlyStreamSize) {
  testing_tools::TempDir dir;
  const std::string big = Pattern(50000);
  WriteFile(dir / "big.bin", big);
  WriteFile(dir / "small.txt", "tiny");

  const struct {
    const char* name;
    bool dataParts;
  } cases[] = {{"data and files", true}, {"files only", false}};
  TransferServers servers;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TQVHTTP http;
    Outcome outcome;
    Watch(http, outcome);
    http.SetMultiPartMode(true);
    if (c.dataParts) {
      http.AddData("version", "2.1.0", "");
      http.AddData("note", "\xEA\xB0\x80", "text/plain");
    }
    http.AddFile("ignored", dir / "big.bin", "");
    http.AddFile("ignored", dir / "small.txt", "text/plain");
    http.SetURL(servers.rawUrl("/upload"));
    ASSERT_TRUE(RunToEnd(http, outcome));
    EXPECT_TRUE(outcome.success);

    const std::string b = http.Boundary();
    std::string expected;
    if (c.dataParts) {
      expected +=
          "--" + b + "\r\nContent-Disposition: form-data; name=\"version\" \r\n\r\n2.1.0\r\n";
      expected += "--" + b +
                  "\r\nContent-Disposition: form-data; name=\"note\" \r\nContent-Type: "
                  "text/plain\r\n\r\n" +
                  platform::Utf8ToSystemCodePage("\xEA\xB0\x80") + "\r\n";
    }
    expected += FilePart(b, "big.bin", "application/octet-stream", big);
    expected += FilePart(b, "small.txt", "text/plain", "tiny");
    expected += "--" + b + "--\r\n";

    const std::string request = http.ReturnStr();
    const std::string head = HeadOf(request);
    EXPECT_EQ(head.rfind("POST /upload HTTP/1.0\r\n", 0), 0u) << head;
    EXPECT_NE(head.find("Content-Type: multipart/form-data; charset=UTF-8; boundary=" + b + "\r\n"),
              std::string::npos)
        << head;
    EXPECT_NE(head.find("Content-Length: " + std::to_string(http.StreamSize()) + "\r\n"),
              std::string::npos)
        << head;
    EXPECT_EQ(static_cast<int32_t>(expected.size()), http.StreamSize());
    EXPECT_EQ(BodyOf(request), expected);
    ASSERT_FALSE(outcome.progress.empty());
    for (const auto& [sent, total] : outcome.progress) EXPECT_EQ(total, http.StreamSize());
    EXPECT_EQ(outcome.progress.back().first, http.StreamSize());
  }
}

TEST(Multipart, ServerSeesTheFieldsAndFiles) {
  testing_tools::TempDir dir;
  WriteFile(dir / "data.bin", Pattern(20000));
  TransferServers servers;

  TQVHTTP http;
  Outcome outcome;
  Watch(http, outcome);
  http.SetMultiPartMode(true);
  http.AddData("title", "patch", "");
  http.AddFile("upload", dir / "data.bin", "application/octet-stream");
  http.SetURL(servers.url("/form"));
  ASSERT_TRUE(RunToEnd(http, outcome));
  EXPECT_TRUE(outcome.success);
  // Name, file name, size and content of each part, as the server parsed them.
  EXPECT_EQ(http.ReturnStr(), "file data.bin 20000 pattern\ntitle  5 patch\n");
}

TEST(Multipart, FilesThatNoLongerMatchTheAnnouncedSizeFail) {
  const struct {
    const char* name;
    std::function<void(const std::string&)> change;
  } cases[] = {
      {"grew", [](const std::string& path) { WriteFile(path, Pattern(9000)); }},
      {"shrank", [](const std::string& path) { WriteFile(path, "x"); }},
      {"vanished", [](const std::string& path) { std::remove(path.c_str()); }},
  };
  TransferServers servers;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing_tools::TempDir dir;
    WriteFile(dir / "f.bin", Pattern(3000));
    TQVHTTP http;
    Outcome outcome;
    Watch(http, outcome);
    http.SetMultiPartMode(true);
    http.AddFile("f", dir / "f.bin", "");
    c.change(dir / "f.bin");
    http.SetURL(servers.rawUrl("/upload"));
    ASSERT_TRUE(RunToEnd(http, outcome));
    EXPECT_FALSE(outcome.success);
  }
}

}  // namespace
