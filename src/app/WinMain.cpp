// The Windows process entry.
#include <cstdlib>
#include <exception>
#include <new>

#include "app/Program.h"
#include "platform/win32.h"

// libstdc++'s default terminate handler prints the uncaught exception's demangled type to stderr,
// which links the demangler and a printf (some 45 KB) into the exe. Every window procedure, timer
// and hook already hands its exceptions to the application's error box, and a GUI program's
// stderr goes nowhere: this definition stands in for the library's (linked statically, the
// library's is then never pulled in).
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

// libstdc++ reports a misused container (a string too long, an index out of range) through these
// functions, which make std::logic_error and its kin: exceptions whose text is a reference-counted
// string of the old ABI, linking a second std::string implementation (30 to 45 KB). These make
// the same reports as plain exceptions with a fixed text; the program catches them only as
// std::exception, whose what() reads as before (a format's arguments are left out).
namespace {
class LibraryError : public std::exception {
 public:
  explicit LibraryError(const char* what) : what_(what) {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;
};
}  // namespace

namespace std {
void __throw_bad_alloc() {
  throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
  throw std::bad_array_new_length();
}
void __throw_logic_error(const char* what) {
  throw LibraryError(what);
}
void __throw_invalid_argument(const char* what) {
  throw LibraryError(what);
}
void __throw_length_error(const char* what) {
  throw LibraryError(what);
}
void __throw_out_of_range(const char* what) {
  throw LibraryError(what);
}
void __throw_out_of_range_fmt(const char* format, ...) {
  throw LibraryError(format);
}
}  // namespace std

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return OrvantaBrevoMain();
}
