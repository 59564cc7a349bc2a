// The Windows process entry.
#include <cstdlib>

#include "app/Program.h"
#include "platform/win32.h"

// libstdc++'s default terminate handler prints the uncaught exception's demangled type to stderr,
// which links the demangler and a printf (some 45 KB) into the exe. Every window procedure, timer
// and hook already hands its exceptions to the application's error box, and a GUI program's
// stderr goes nowhere: this definition stands in for the library's (linked statically, the
// library's is then never pulled in).
namespace __gnu_cxx {
[[noreturn]] void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return OrvantaBrevoMain();
}
