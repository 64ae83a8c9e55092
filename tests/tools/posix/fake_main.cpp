// Stands in for the main application (and for installers and other programs
// the updater starts): records its arguments and working folder in
// "<own path>.calls", one line a start, fields separated by 0x1F. When
// "<own path>.hold" exists it then stays running until it is killed; when
// "<own path>.exitcode" exists it exits with the number written there.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  char self[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return 3;
  const std::string me(self, static_cast<size_t>(n));
  char cwd[PATH_MAX] = {};
  if (!getcwd(cwd, sizeof cwd)) cwd[0] = '\0';

  std::string line = cwd;
  for (int i = 1; i < argc; ++i) line += '\x1f' + std::string(argv[i]);
  {
    std::ofstream calls(me + ".calls", std::ios::app);
    calls << line << '\n';
  }
  if (std::ifstream(me + ".hold")) {
    while (true) pause();
  }
  std::ifstream code(me + ".exitcode");
  int exitCode = 0;
  if (code >> exitCode) return exitCode;
  return 0;
}
