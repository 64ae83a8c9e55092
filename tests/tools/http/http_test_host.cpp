// The HTTP suites' servers for the Windows test programs, which reach them
// on 127.0.0.1 from under Wine: a Linux process of their own, started and
// stopped around the suites by CTest.
//   http_test_host start <folder>   returns once every server listens
//   http_test_host stop <folder>
// <folder>/servers.txt names each server and its port, one a line: "plain"
// (the transfer routes), "raw" (answers each request with itself), "tls"
// (certified for localhost by <folder>/authority.crt) and "self" (a
// self-signed certificate for localhost) and "packages" (the update-run
// suites' packages, see ServePackages).
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/tools/http/RawServer.h"
#include "tests/tools/http/TestCertificates.h"
#include "tests/tools/http/TestServer.h"
#include "tests/tools/http/TransferRoutes.h"

namespace {

using namespace testing_tools;

// Nothing here outlives a test run that forgot to stop it by much.
constexpr int kLifetimeSeconds = 3600;

// Every suite of a run shares these servers, and Wine's WinInet keeps its
// connections open after a transfer (it asks for keep-alive): each request
// gets a connection of its own, and a stalled answer holds no more than one
// of many threads.
void Share(TestServer& server) {
  server.http().set_keep_alive_max_count(1);
  server.http().new_task_queue = [] { return new httplib::ThreadPool(64); };
}

// `plain` is the plain server's GET /file, where "/downgrade" sends.
void ServeTls(TestServer& server, const std::string& plain) {
  Share(server);
  server.http().Get("/patch.zip", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("PK-payload", "application/zip");
  });
  server.http().Get("/a", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("secure", "text/plain");
  });
  server.http().Get(
      "/hop", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/a"); });
  server.http().Get("/downgrade", [plain](const httplib::Request&, httplib::Response& res) {
    res.set_redirect(plain);
  });
  server.start();
}

// GET /<name> answers with the file <root>/<name>. A name ending in ".7z" or
// ".zip" whose file is missing but whose folder (the name without the ending)
// is there is answered with that folder packed by the 7z command: a Windows
// suite writes the tree its package holds, this side packs it as the Linux
// suites do, with the switches in the file of the folder's name and the
// ending ".switches" (such as "-mx1"), if there is one. Anything else is 404.
void ServePackages(TestServer& server, const std::string& root) {
  namespace fs = std::filesystem;
  Share(server);
  server.http().Get("/(.+)", [root](const httplib::Request& req, httplib::Response& res) {
    const fs::path wanted = fs::path(root) / req.matches[1].str();
    std::error_code ec;
    const fs::path relative = fs::relative(wanted, root, ec);
    if (ec || relative.empty() || *relative.begin() == "..") {
      res.status = 404;
      return;
    }
    fs::path file = wanted;
    fs::path packed;
    const std::string type = wanted.extension() == ".7z"    ? "7z"
                             : wanted.extension() == ".zip" ? "zip"
                                                            : "";
    fs::path source = wanted;
    source.replace_extension();
    if (!fs::is_regular_file(file) && !type.empty() && fs::is_directory(source)) {
      packed = wanted.string() + ".packing-" + std::to_string(gettid());
      std::string switches;
      std::ifstream switchesFile(source.string() + ".switches");
      std::getline(switchesFile, switches);
      // Switches only: the text goes into a shell command.
      if (switches.find_first_not_of("-=abcdefghijklmnopqrstuvwxyz0123456789 ") !=
          std::string::npos) {
        res.status = 400;
        return;
      }
      const std::string command = "cd '" + source.string() + "' && 7z a -bd -bso0 -bsp0 -t" + type +
                                  " " + switches + " '" + packed.string() + "' . >/dev/null";
      if (std::system(command.c_str()) != 0) {
        res.status = 500;
        return;
      }
      file = packed;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      res.status = 404;
      return;
    }
    res.set_content(std::string(std::istreambuf_iterator<char>(in), {}),
                    "application/octet-stream");
    if (!packed.empty()) fs::remove(packed, ec);
  });
  server.start();
}

// In the background process: serves until told to stop.
int Serve(const std::string& folder, int ready) {
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  // Before any thread exists, so that every one of them leaves it to sigtimedwait.
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  signal(SIGPIPE, SIG_IGN);

  TestAuthority authority(folder);
  const CertificateFiles tlsFiles = authority.Issue("localhost", "DNS:localhost,IP:127.0.0.1");
  const CertificateFiles selfFiles =
      TestAuthority::SelfSigned(folder, "self", "DNS:localhost,IP:127.0.0.1");
  TestServer plain;
  TransferRoutes routes(plain);
  Share(plain);
  plain.start();
  RawServer raw{RawServer::EchoRequests{}};
  TestServer tls(tlsFiles.certFile, tlsFiles.keyFile);
  ServeTls(tls, plain.url("/file"));
  TestServer self(selfFiles.certFile, selfFiles.keyFile);
  ServeTls(self, plain.url("/file"));
  TestServer packages;
  ServePackages(packages, std::filesystem::absolute(folder + "/packages").string());

  const std::string list = folder + "/servers.txt";
  {
    std::ofstream out(list + ".new");
    out << "plain " << plain.port() << "\nraw " << raw.port() << "\ntls " << tls.port() << "\nself "
        << self.port() << "\npackages " << packages.port() << "\n";
  }
  std::rename((list + ".new").c_str(), list.c_str());
  std::ofstream(folder + "/host.pid") << getpid() << "\n";
  const char ok = 1;
  (void)!write(ready, &ok, 1);
  close(ready);

  // A packing's 7z ending interrupts the wait too (EINTR): only a stop or
  // the end of the lifetime ends it.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(kLifetimeSeconds);
  while (true) {
    const auto left =
        std::chrono::ceil<std::chrono::seconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    const timespec wait{static_cast<time_t>(left.count()), 0};
    const int got = sigtimedwait(&stop, nullptr, &wait);
    if (got == SIGTERM || got == SIGINT || (got < 0 && errno == EAGAIN)) break;
  }
  // The routes' handlers use the routes: they end before the routes go.
  plain.stop();
  return 0;
}

int Start(const std::string& folder) {
  mkdir(folder.c_str(), 0755);
  mkdir((folder + "/packages").c_str(), 0755);
  std::remove((folder + "/servers.txt").c_str());
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return 1;
  const pid_t child = fork();
  if (child < 0) return 1;
  if (child == 0) {
    close(pipeFds[0]);
    setsid();
    // CTest waits for the output of what it started to close.
    const int log = open((folder + "/host.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int none = open("/dev/null", O_RDONLY);
    dup2(none, 0);
    dup2(log, 1);
    dup2(log, 2);
    close(log);
    close(none);
    try {
      _exit(Serve(folder, pipeFds[1]));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "http_test_host: %s\n", e.what());
      _exit(1);
    }
  }
  close(pipeFds[1]);
  char ok = 0;
  const bool ready = read(pipeFds[0], &ok, 1) == 1 && ok == 1;
  close(pipeFds[0]);
  if (!ready)
    std::fprintf(stderr, "http_test_host: the servers did not start (%s/host.log)\n",
                 folder.c_str());
  return ready ? 0 : 1;
}

int Stop(const std::string& folder) {
  std::ifstream in(folder + "/host.pid");
  pid_t pid = 0;
  if (!(in >> pid) || pid <= 0) return 0;
  kill(pid, SIGTERM);
  for (int i = 0; i < 200 && kill(pid, 0) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::remove((folder + "/host.pid").c_str());
  return kill(pid, 0) == 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: http_test_host start|stop <folder>\n");
    return 2;
  }
  const std::string command = argv[1];
  if (command == "start") return Start(argv[2]);
  if (command == "stop") return Stop(argv[2]);
  std::fprintf(stderr, "usage: http_test_host start|stop <folder>\n");
  return 2;
}
