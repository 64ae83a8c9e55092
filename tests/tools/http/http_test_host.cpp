// The HTTP suites' servers for the Windows test programs, which reach them
// on 127.0.0.1 from under Wine: a Linux process of their own, started and
// stopped around the suites by CTest.
//   http_test_host start <folder>   returns once every server listens
//   http_test_host stop <folder>
// <folder>/servers.txt names each server and its port, one a line: "plain"
// (the transfer routes), "raw" (answers each request with itself), "tls"
// (certified for localhost by <folder>/authority.crt) and "self" (a
// self-signed certificate for localhost).
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
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

  const std::string list = folder + "/servers.txt";
  {
    std::ofstream out(list + ".new");
    out << "plain " << plain.port() << "\nraw " << raw.port() << "\ntls " << tls.port() << "\nself "
        << self.port() << "\n";
  }
  std::rename((list + ".new").c_str(), list.c_str());
  std::ofstream(folder + "/host.pid") << getpid() << "\n";
  const char ok = 1;
  (void)!write(ready, &ok, 1);
  close(ready);

  const timespec lifetime{kLifetimeSeconds, 0};
  sigtimedwait(&stop, nullptr, &lifetime);
  // The routes' handlers use the routes: they end before the routes go.
  plain.stop();
  return 0;
}

int Start(const std::string& folder) {
  mkdir(folder.c_str(), 0755);
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
