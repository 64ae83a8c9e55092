#include <string>
#include <vector>

int ChildMain(const std::vector<std::string>& args);

int main(int argc, char** argv) {
  return ChildMain(std::vector<std::string>(argv, argv + argc));
}
