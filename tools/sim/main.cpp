// orvantabrevo-sim: the console of the emulated machine (/work/shared/console.md has its words).
//
//   orvantabrevo-sim [--script FILE] [--root DIR]
//
// Reads commands from FILE, or from standard input, one per line, and answers on standard output
// after each line. When standard input is a terminal and no script is given, the console is
// interactive instead (Interactive.h): a ready machine on a running clock. The machine's disk is
// DIR (kept), or a fresh temporary folder removed at the end. At the end of the script or at `quit`
// the running copies of the program are ended. Exit code: 0, 1 when a command answered `error:`, 2
// when the console itself could not run.
//
// Served: the commands of console.md (`help` lists them; `watch` only at a terminal).
// Texts are UTF-8 here and code page 932 on the machine. tools/sim/README.md has examples.
#include <unistd.h>

#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>

#include "Console.h"
#include "Interactive.h"

namespace {

constexpr const char* kUsage = "usage: orvantabrevo-sim [--script FILE] [--root DIR]\n";

}  // namespace

int main(int argc, char** argv) {
  const char* script = nullptr;
  emu::MachineOptions options;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--script") == 0 && hasValue && !script) {
      script = argv[++i];
    } else if (std::strcmp(argv[i], "--root") == 0 && hasValue && options.root.empty()) {
      options.root = argv[++i];
    } else if (std::strcmp(argv[i], "--help") == 0) {
      std::cout << kUsage;
      return 0;
    } else {
      std::cerr << "orvantabrevo-sim: unexpected argument \"" << argv[i] << "\"\n" << kUsage;
      return 2;
    }
  }
  try {
    if (script) {
      std::ifstream file(script, std::ios::binary);
      if (!file) {
        std::cerr << "orvantabrevo-sim: cannot read " << script << '\n';
        return 2;
      }
      return sim::RunScript(file, std::cout, options);
    }
    if (isatty(STDIN_FILENO)) return sim::RunInteractive(options);
    return sim::RunScript(std::cin, std::cout, options);
  } catch (const std::exception& e) {
    std::cerr << "orvantabrevo-sim: " << e.what() << '\n';
    return 2;
  }
}
