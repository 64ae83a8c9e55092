#include "updater/LaunchModes.h"

int main(int argc, char** argv) {
  try {
    return RunLaunchMode(TCommandLine(argc, argv), nullptr);
  } catch (...) {
    return 0;
  }
}
