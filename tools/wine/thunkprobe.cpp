// The program's own call of a 16-bit function through QT_Thunk (src/exitwin/QtThunk.cpp, built in
// with this probe) run against Wine's real 16-bit route, for version-check.sh under win98. The
// 16-bit functions called are harmless ones whose work can be seen from 32-bit code:
//   USER.SetWindowLong(HWND16, INT16, LONG)            8 bytes of arguments: the window's user
//                                                      data reads the value afterwards
//   USER.PostMessage(HWND16, UINT16, WPARAM16, LPARAM) 10 bytes: the message arrives with them
// Each is called twice: through QT_Thunk itself, and through a stand-in that first fills the
// 0x40 bytes below the caller's frame pointer, as Windows 9x's QT_Thunk may, then jumps to the
// real one. Both times the registers the caller keeps (EBX, ESI, EDI, EBP) and its stack pointer
// must come back as they were, and the arguments must reach the 16-bit function in order.
// Last, KERNEL.GetVersion's answer through QT_Thunk and through Wine's K32WOWCallback16Ex.
//
// Prints one line per case ("ok ..." or "FAIL ...") and "answer<TAB>QT_Thunk EAX<TAB>callback
// DX:AX" in hex. Exit codes: 0 = every case held, 1 = one failed, 2 = the 16-bit route is missing.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "exitwin/QtThunk.h"

namespace {

// What a call left in the registers its caller keeps, recorded by ProbeCall.
struct After {
  DWORD ebx, esi, edi, ebp, stackLeft, eax;
};

}  // namespace

extern "C" {
FARPROC probeRealThunk = nullptr;
DWORD probeEbpBefore = 0;
After probeAfter = {};
// Calls OrvantaQtThunkCall(thunk, target, instance, stack, bytes) with EBX, ESI and EDI holding
// marks, and records into probeAfter what they, EBP and the stack pointer hold afterwards.
void ProbeCall(FARPROC thunk, DWORD target, DWORD instance, const void* stack, DWORD bytes);
// The stand-in for Windows 9x's QT_Thunk: scribbles over its caller's 0x40 bytes below EBP, then
// goes on into the real thunk with every register as it came.
void ScribblingThunk();
}

asm(R"(
    .text
    .globl _ProbeCall
_ProbeCall:
    pushl %ebp
    movl  %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl  %ebp, _probeEbpBefore
    movl  $0x0b0b0b0b, %ebx
    movl  $0x5151a5a5, %esi
    movl  $0xd1d1c3c3, %edi
    pushl 24(%ebp)
    pushl 20(%ebp)
    pushl 16(%ebp)
    pushl 12(%ebp)
    pushl 8(%ebp)
    call  _OrvantaQtThunkCall
    movl  %eax, _probeAfter+20
    movl  %ebx, _probeAfter
    movl  %esi, _probeAfter+4
    movl  %edi, _probeAfter+8
    movl  %ebp, _probeAfter+12
    movl  _probeEbpBefore, %ebp
    leal  -12(%ebp), %eax       # where ESP was before the five arguments
    subl  %esp, %eax
    movl  %eax, _probeAfter+16  # 20 when the call kept its stack
    leal  -12(%ebp), %esp
    popl  %edi
    popl  %esi
    popl  %ebx
    popl  %ebp
    ret

    .globl _ScribblingThunk
_ScribblingThunk:
    pushl %eax
    pushl %ecx
    pushl %edi
    leal  -64(%ebp), %edi
    movl  $64, %ecx
    movb  $0xcc, %al
    cld
    rep stosb
    popl  %edi
    popl  %ecx
    popl  %eax
    jmp   *_probeRealThunk
)");

namespace {

typedef DWORD(WINAPI* LoadLibrary16Proc)(LPCSTR name);
typedef DWORD(WINAPI* GetProcAddress16Proc)(WORD instance, LPCSTR name);
typedef BOOL(WINAPI* WowCallback16ExProc)(DWORD target, DWORD flags, DWORD argumentBytes,
                                          PVOID arguments, PDWORD result);

template <class F>
F ProcAs(FARPROC proc) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}

int failures = 0;

void Report(bool held, const char* what, const char* thunkName, const char* detail) {
  std::printf("%s %s through %s%s%s\n", held ? "ok" : "FAIL", what, thunkName, *detail ? ": " : "",
              detail);
  if (!held) ++failures;
}

// The registers came back; appends what did not to `detail`.
bool KeptRegisters(char* detail, size_t size) {
  const After& a = probeAfter;
  const bool kept = a.ebx == 0x0b0b0b0b && a.esi == 0x5151a5a5 && a.edi == 0xd1d1c3c3 &&
                    a.ebp == probeEbpBefore && a.stackLeft == 20;
  if (!kept) {
    std::snprintf(detail, size,
                  "EBX %08lx ESI %08lx EDI %08lx EBP %08lx (was %08lx), %ld bytes left", a.ebx,
                  a.esi, a.edi, a.ebp, probeEbpBefore, static_cast<long>(a.stackLeft));
  }
  return kept;
}

// Appends `value`'s bytes to the 16-bit stack image at `at`.
template <class T>
BYTE* Put(BYTE* at, T value) {
  std::memcpy(at, &value, sizeof value);
  return at + sizeof value;
}

}  // namespace

int main() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto load16 = ProcAs<LoadLibrary16Proc>(GetProcAddress(kernel, MAKEINTRESOURCEA(35)));
  auto getProc16 = ProcAs<GetProcAddress16Proc>(GetProcAddress(kernel, MAKEINTRESOURCEA(37)));
  probeRealThunk = GetProcAddress(kernel, "QT_Thunk");
  if (!load16 || !getProc16 || !probeRealThunk) {
    std::printf("FAIL kernel32 has no LoadLibrary16, GetProcAddress16 or QT_Thunk\n");
    return 2;
  }
  const DWORD user = load16("User.exe");
  const DWORD kernel16 = load16("Kernel");
  if (user < 32 || kernel16 < 32) {
    std::printf("FAIL the 16-bit USER or KERNEL did not load (%lu, %lu)\n", user, kernel16);
    return 2;
  }
  const DWORD setWindowLong = getProc16(static_cast<WORD>(user), "SetWindowLong");
  const DWORD postMessage = getProc16(static_cast<WORD>(user), "PostMessage");
  const DWORD getVersion = getProc16(static_cast<WORD>(kernel16), "GetVersion");
  if (!setWindowLong || !postMessage || !getVersion) {
    std::printf("FAIL USER.SetWindowLong, USER.PostMessage or KERNEL.GetVersion is missing\n");
    return 2;
  }
  const HWND window = CreateWindowExA(0, "STATIC", "thunkprobe", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, nullptr, nullptr);
  if (!window) {
    std::printf("FAIL no window (%lu)\n", GetLastError());
    return 2;
  }
  const WORD window16 = LOWORD(reinterpret_cast<UINT_PTR>(window));

  const struct {
    FARPROC thunk;
    const char* name;
  } thunks[] = {{probeRealThunk, "QT_Thunk"},
                {reinterpret_cast<FARPROC>(ScribblingThunk), "a QT_Thunk that fills its area"}};
  DWORD mark = 0x13572468;
  for (const auto& thunk : thunks) {
    char detail[200] = "";
    // SetWindowLong(window, GWL_USERDATA, mark): pushed left to right, so the stack holds the
    // value first.
    ++mark;
    BYTE stack[10];
    BYTE* end = Put(Put(Put(stack, mark), static_cast<SHORT>(GWL_USERDATA)), window16);
    ProbeCall(thunk.thunk, setWindowLong, user, stack, static_cast<DWORD>(end - stack));
    bool held = KeptRegisters(detail, sizeof detail);
    const LONG stored = GetWindowLongA(window, GWL_USERDATA);
    if (held && static_cast<DWORD>(stored) != mark) {
      std::snprintf(detail, sizeof detail, "the window's user data is %08lx, not %08lx", stored,
                    mark);
      held = false;
    }
    Report(held, "USER.SetWindowLong", thunk.name, detail);

    // PostMessage(window, WM_USER + 7, 0x4321, mark).
    detail[0] = '\0';
    end = Put(Put(Put(Put(stack, mark), static_cast<WORD>(0x4321)), static_cast<WORD>(WM_USER + 7)),
              window16);
    ProbeCall(thunk.thunk, postMessage, user, stack, static_cast<DWORD>(end - stack));
    held = KeptRegisters(detail, sizeof detail);
    MSG message;
    if (held && !PeekMessageA(&message, window, 0, 0, PM_REMOVE)) {
      std::snprintf(detail, sizeof detail, "no message arrived");
      held = false;
    } else if (held && (message.message != WM_USER + 7 || message.wParam != 0x4321 ||
                        static_cast<DWORD>(message.lParam) != mark)) {
      std::snprintf(detail, sizeof detail,
                    "the message arrived as %04x %04lx %08lx, not %04x 4321 %08lx", message.message,
                    static_cast<unsigned long>(message.wParam),
                    static_cast<unsigned long>(message.lParam), WM_USER + 7, mark);
      held = false;
    }
    Report(held, "USER.PostMessage", thunk.name, detail);
  }

  // The answer, both ways. (Wine's QT_Thunk is not asked to hand it back right: only reported.)
  ProbeCall(probeRealThunk, getVersion, kernel16, nullptr, 0);
  const DWORD thunkAnswer = probeAfter.eax;
  DWORD callbackAnswer = 0;
  const HMODULE wineKernel16 = GetModuleHandleA("krnl386.exe16");
  auto wow = ProcAs<WowCallback16ExProc>(
      wineKernel16 ? GetProcAddress(wineKernel16, "K32WOWCallback16Ex") : nullptr);
  if (wow) wow(getVersion, 0, 0, nullptr, &callbackAnswer);
  std::printf("answer\t%08lx\t%08lx\n", thunkAnswer, callbackAnswer);
  DestroyWindow(window);
  return failures ? 1 : 0;
}
