#include "exitwin/ExitWin32.h"

#include <cstring>
#include <string>

#include "exitwin/ExportTable.h"
#include "exitwin/QtThunk.h"
#include "toolkit/FormReader.h"

namespace {

constexpr UINT kRestartWindows = 0x42;  // EW_RESTARTWINDOWS, for the 16-bit ExitWindows

// What the two operations of the privileged exit say when they fail.
struct ExitTexts {
  const char* tokenFailed;
  const char* adjustFailed;
};
constexpr ExitTexts kShutdownTexts{
    "Could not open the Token.\r\nShutting down Windows is failed",
    "Could not adjust the Privilege.\r\nShutting down Windows is failed"};
constexpr ExitTexts kRebootTexts{"Could not open the Token.\r\nRebooting Windows is failed",
                                 "Could not adjust the Privilege.\r\nRebooting Windows is failed"};

// Closes a handle when the scope ends, however it ends.
class HandleCloser {
 public:
  explicit HandleCloser(HANDLE handle) : handle_(handle) {}
  ~HandleCloser() { CloseHandle(handle_); }
  HandleCloser(const HandleCloser&) = delete;
  HandleCloser& operator=(const HandleCloser&) = delete;

 private:
  HANDLE handle_;
};

// Shut-down and reboot on Windows NT: the process enables its shutdown privilege, then asks.
void PrivilegedExit(UINT flags, const ExitTexts& texts) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    throw EExitError(texts.tokenFailed);
  }
  // The token is not needed once the privilege is set.
  HandleCloser closer(token);
  TOKEN_PRIVILEGES privileges;
  std::memset(&privileges, 0, sizeof privileges);
  // Without the privilege's identifier nothing can be enabled, and Windows would refuse the exit:
  // that is the adjustment failing, and the user is told so.
  if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
    throw EExitError(texts.adjustFailed);
  }
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  const bool adjusted = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  if (!adjusted || !ExitWindowsEx(flags, 0)) throw EExitError(texts.adjustFailed);
}

// --- The Windows 9x restart: USER's 16-bit ExitWindows through the flat thunk ------------------

// A 64-bit program has no 16-bit route, and no 64-bit Windows has a 16-bit USER.
#if defined(_WIN32) && !defined(__i386__)
#define ORVANTA_16BIT_ROUTE 0
#else
#define ORVANTA_16BIT_ROUTE 1
#endif

#if ORVANTA_16BIT_ROUTE

// Windows 9x's kernel32 exports these by number only (35, 36, 37).
typedef DWORD(WINAPI* LoadLibrary16Proc)(LPCSTR name);  // instance; below 32: failure
typedef void(WINAPI* FreeLibrary16Proc)(WORD instance);
typedef DWORD(WINAPI* GetProcAddress16Proc)(WORD instance, LPCSTR name);  // 16:16; 0: none

// Set on each call of ExitWindows16; nothing else reads them.
WORD user16Instance = 0;
DWORD exitWindows1616 = 0;
HMODULE kernel32Module = nullptr;
FARPROC qtThunk = nullptr;

template <class F>
F ProcAs(FARPROC proc) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}

// Runs a release when the scope ends, on every way out.
template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F release) : release_(release) {}
  ~ScopeExit() { release_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  F release_;
};

#if defined(_WIN32) && defined(__i386__)
// K32WOWCallback16Ex of Wine's 16-bit kernel (no Windows 9x has it): calls a 16-bit function with
// its arguments as the 16-bit stack holds them and hands its DX:AX back in memory.
typedef BOOL(WINAPI* WowCallback16ExProc)(DWORD target, DWORD flags, DWORD argumentBytes,
                                          PVOID arguments, PDWORD result);
constexpr DWORD kPascalCallback = 0;  // WCB16_PASCAL
#endif

WORD CallExitWindows16(DWORD returnCode, WORD reserved) {
  // ExitWindows is a Pascal function: the return code is pushed first, the reserved word last,
  // so the 16-bit stack holds the reserved word first.
  BYTE stack[sizeof reserved + sizeof returnCode];
  std::memcpy(stack, &reserved, sizeof reserved);
  std::memcpy(stack + sizeof reserved, &returnCode, sizeof returnCode);
#if defined(_WIN32) && defined(__i386__)
  // Wine's QT_Thunk returns from the 16-bit call through NtSetContextThread on the calling
  // thread, and the 16-bit DX:AX does not come back: EAX is that call's own status, 0, which
  // would read as "refused" after ExitWindows answered 1. Wine's 16-bit kernel, loaded behind
  // kernel32's 16-bit exports, also has K32WOWCallback16Ex, which hands the answer back in
  // memory: where that module is, the call goes through it. Windows 9x has no such module.
  const HMODULE wineKernel16 = GetModuleHandleA("krnl386.exe16");
  if (auto wow = ProcAs<WowCallback16ExProc>(
          wineKernel16 ? GetProcAddress(wineKernel16, "K32WOWCallback16Ex") : nullptr)) {
    DWORD result = 0;
    if (!wow(exitWindows1616, kPascalCallback, sizeof stack, stack, &result)) return 0;
    return LOWORD(result);
  }
  return LOWORD(OrvantaQtThunkCall(qtThunk, exitWindows1616, user16Instance, stack, sizeof stack));
#else
  // The emulated machine's QT_Thunk takes EDX and the 16-bit stack's bytes.
  return ProcAs<EMU_QT_THUNK>(qtThunk)(exitWindows1616, stack, sizeof stack);
#endif
}

// A 16-bit export of kernel32, which has numbers only. Windows 9x's kernel32 will not look its
// own exports up by number (GetProcAddress fails), so they are read from its export directory. A
// kernel32 that forwards them to a 16-bit kernel of its own (Wine's) has no code there:
// GetProcAddress follows the forwarder.
FARPROC Kernel16Export(HMODULE kernel, WORD ordinal) {
  if (FARPROC found = ExportByOrdinal(kernel, ordinal)) return found;
  return kernel ? GetProcAddress(kernel, MAKEINTRESOURCEA(ordinal)) : nullptr;
}

#endif  // ORVANTA_16BIT_ROUTE

// USER's ExitWindows(returnCode, reserved) of Windows 9x; 0 when Windows refused.
WORD ExitWindows16(DWORD returnCode, WORD reserved) {
#if !ORVANTA_16BIT_ROUTE
  // The module cannot be loaded. (The ordinals below would name other functions of a 64-bit
  // kernel32.)
  (void)returnCode;
  (void)reserved;
  throw vcl::Exception("Faild to call User.exe");
#else
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto load16 = ProcAs<LoadLibrary16Proc>(Kernel16Export(kernel, 35));
  auto free16 = ProcAs<FreeLibrary16Proc>(Kernel16Export(kernel, 36));
  // Without the exports the module cannot be loaded.
  const DWORD instance = (load16 && free16) ? load16("User.exe") : 0;
  if (instance < 32) throw vcl::Exception("Faild to call User.exe");
  user16Instance = static_cast<WORD>(instance);
  ScopeExit releaseUser([free16] { free16(user16Instance); });

  auto getProc16 = ProcAs<GetProcAddress16Proc>(Kernel16Export(kernel, 37));
  exitWindows1616 = getProc16 ? getProc16(user16Instance, "ExitWindows") : 0;
  if (exitWindows1616 == 0) throw vcl::Exception("Faild to call ExitWindows");

  kernel32Module = LoadLibraryA("Kernel32.dll");
  if (!kernel32Module) throw vcl::Exception("Faild to call Kernel32.dll");
  ScopeExit releaseKernel([] { FreeLibrary(kernel32Module); });

  qtThunk = GetProcAddress(kernel32Module, "QT_Thunk");
  if (!qtThunk) throw vcl::Exception("Faild to call QT_Thunk");

  return CallExitWindows16(returnCode, reserved);
#endif
}

}  // namespace

bool IsWindowsNT() {
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;  // 148
  if (!GetVersionExA(&version)) return true;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void TExitWin::PowerOffWindows() {
  if (IsWindowsNT()) {
    // NT shuts down without being asked to power off.
    PrivilegedExit(EWX_SHUTDOWN, kShutdownTexts);
  } else if (!ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, 0)) {
    throw EExitError("Could not power off Windows");
  }
}

void TExitWin::RebootWindows() {
  if (IsWindowsNT()) {
    PrivilegedExit(EWX_REBOOT, kRebootTexts);
  } else if (!ExitWindowsEx(EWX_REBOOT, 0)) {
    throw EExitError("Could not reboot Windows");
  }
}

void TExitWin::RestartWindows() {
  if (IsWindowsNT()) throw EExitError("Can not restart Windows on Windows NT");
  if (ExitWindows16(kRestartWindows, 0) == 0) throw EExitError("Could not restart Windows");
}

void TExitWin::LogOffWindows() {
  // The same on every platform: a log-off needs no privilege.
  if (!ExitWindowsEx(EWX_LOGOFF, 0)) throw EExitError("Could not log off Windows");
}

void RegisterExitWinClasses() {
  // Once, by the first caller: the initialisation of a function-local static is thread-safe.
  static const bool registered = [] {
    vcl::TClassInfo exitWin{
        "TExitWin", "", [](vcl::TComponent* o) -> vcl::TComponent* { return new TExitWin(o); }, {}};
    vcl::TClassRegistry::Instance().Register(exitWin);
    return true;
  }();
  (void)registered;
}
