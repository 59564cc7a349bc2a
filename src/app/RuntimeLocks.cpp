// The C++ runtime's locks (libgcc's win32 threads: std::mutex, the exception pool, function-local
// statics) each make an unnamed semaphore with CreateSemaphoreW, and wait on it only when two
// threads want the lock at once. Windows 9x has CreateSemaphoreW only as a stub that fails, so
// there such a lock would fail the first time it was contended. In the 32-bit exe the runtime's
// import of it is bound here instead, to the ANSI call, which every Windows has and which makes
// the same semaphore when it has no name. (The 64-bit exe runs on NT only.)
#if defined(__i386__)
#include "platform/win32.h"

namespace {

HANDLE WINAPI CreateUnnamedSemaphore(LPSECURITY_ATTRIBUTES attributes, LONG initialCount,
                                     LONG maximumCount, LPCWSTR name) {
  if (name && *name) {
    // The runtime never names one; a name would need converting, which no caller asks for.
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateSemaphoreA(attributes, initialCount, maximumCount, nullptr);
}

}  // namespace

// The import address slot the runtime calls through (stdcall, 16 bytes of arguments): defined
// here, it keeps the linker from taking kernel32's.
extern "C" {
extern decltype(&CreateUnnamedSemaphore)
    const orvantaCreateSemaphoreW __asm__("__imp__CreateSemaphoreW@16");
decltype(&CreateUnnamedSemaphore) const orvantaCreateSemaphoreW = &CreateUnnamedSemaphore;
}
#endif
