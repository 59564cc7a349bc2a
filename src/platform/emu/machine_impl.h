// The machine's shared state, for the emulated Win32 functions of this folder only.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/cdaudio/drive.h"
#include "platform/emu/dialog_control.h"
#include "platform/emu/exit_state.h"
#include "platform/emu/gdi_state.h"
#include "platform/emu/hotkey_state.h"
#include "platform/emu/image_state.h"
#include "platform/emu/machine.h"
#include "platform/emu/mci_state.h"
#include "platform/emu/shell_state.h"

namespace emu {

// A message sent to a window of another thread, waiting for that thread to take it.
// The machine's own thread message that carries a RunInProcess action (in the range of registered
// messages, which no program defines by number).
constexpr UINT kRunActionMessage = 0xFFF0;

struct SentMessage {
  MSG msg{};
  LRESULT result = 0;
  bool done = false;
};

struct ThreadRec {
  DWORD id = 0;
  int pid = 0;
  // Started by the machine (program threads): counted when the machine waits for programs to
  // settle.
  bool emulated = false;
  bool blocked = false;
  bool quit = false;
  int quitCode = 0;
  // Its process is being ended from outside: the thread stops at its next wait (BlockLocked) and
  // says so with `parked`.
  bool terminated = false;
  bool parked = false;
  int modalDepth = 0;
  HWND focus = nullptr;                // the window with the keyboard focus
  std::optional<uint64_t> sleepUntil;  // in Sleep
  std::deque<MSG> posted;
  std::deque<SentMessage*> sent;
  std::condition_variable cv;
};

struct MutexObject {
  int refs = 0;
  int fd = -1;  // the system-wide name, held while this machine has a handle open
};

struct HandleRec {
  enum class Kind { Mutex, Thread, Token } kind = Kind::Mutex;
  std::string name;    // mutex
  DWORD threadId = 0;  // thread
  DWORD access = 0;    // token: the rights it was opened with
};

// A program's global variable as one emulated process has it (process_data.h).
struct ProcessDataRec {
  void* data = nullptr;
  void (*destroy)(void*) = nullptr;
};

struct ProcessRec {
  int id = 0;
  bool running = true;
  int exitCode = 0;
  DWORD mainThread = 0;
  std::map<HANDLE, HandleRec> handles;
  // The handles still open when the process ended ("token", "mutex NAME", "thread"), oldest
  // first: Windows closes them, but a program that relies on that has a leak on every path that
  // does not end it.
  std::vector<std::string> leftOpen;
  // The token's shutdown privilege (NT): disabled until the program enables it.
  bool shutdownPrivilege = false;
  // Load counts of the modules the program loaded with LoadLibraryA.
  std::map<HMODULE, int> libraries;
  std::thread thread;
  std::vector<std::thread> workers;
  std::map<const void*, ProcessDataRec> data;
};

// Destroys a process's copies of the program's global variables; called without `mu` held, as
// a destructor may call the machine.
void DestroyProcessData(std::map<const void*, ProcessDataRec> data);

struct WindowClass {
  std::string name;
  WNDPROC proc = nullptr;
};

struct WindowRec {
  HWND handle = nullptr;
  std::string className;
  WNDPROC proc = nullptr;
  std::string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;
  RECT rect{};
  bool visible = false;
  bool minimized = false;
  DWORD threadId = 0;
  LONG_PTR userData = 0;
  int id = 0;  // a child window's control ID
  bool destroying = false;
  int64_t z = 0;         // place among its siblings: the smaller, the nearer the top
  HFONT font = nullptr;  // WM_SETFONT
  // The state of a standard control (controls.cpp).
  int check = 0;                   // BUTTON: BST_CHECKED ...
  std::vector<std::string> items;  // COMBOBOX entries, SysTabControl32 tabs (code page 932)
  int selection = -1;              // COMBOBOX, SysTabControl32
  int dpi = 0;  // a top-level window's monitor's pixels per inch; 0: the system's
};

struct TimerRec {
  HWND window = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  DWORD threadId = 0;
  uint64_t due = 0;
};

struct OpenBox {
  BoxInfo info;  // its buttons are read from the box's window when asked
  DWORD threadId = 0;
  int answer = 0;  // 0 while open
};

struct DriveRec {
  UINT type = DRIVE_FIXED;
  // The medium of a drive that is not a CD-ROM drive.
  std::optional<VolumeAnswer> volume;
  // A CD-ROM drive's disc, door and playback head, on the machine's clock. Its clock is read with
  // `mu` held, as is every call into it.
  std::unique_ptr<cdaudio::Drive> cd;
};

struct Machine::Impl {
  explicit Impl(Machine& m) : machine(m) {}

  Machine& machine;
  mutable std::mutex mu;
  std::condition_variable changed;  // a thread blocked, ended, or a box opened

  bool manualClock = true;
  unsigned endLimitMs = 30000;
  uint64_t manualNow = 0;
  std::chrono::steady_clock::time_point realStart = std::chrono::steady_clock::now();

  Platform platform = Platform::NT;
  // Read by every A call, some of them under `mu`: atomic, so reading it never takes the lock.
  std::atomic<UINT> ansiCodePage{1252};
  std::vector<std::string> refusedWideCalls;
  std::map<char, DriveRec> drives;
  std::set<std::string> readOnly;  // upper-cased Windows paths
  std::string programPath = "C:\\OrvantaBrevo\\OrvantaBrevo.exe";
  std::map<char, std::string> driveDirectories;  // only those that are not the root
  struct Failure {
    DWORD error = 0;
    int skip = 0;
  };
  std::multimap<std::string, Failure, std::less<>> failures;
  std::vector<Alarm*> alarms;

  std::map<DWORD, std::unique_ptr<ThreadRec>> threads;
  DWORD nextThreadId = 0x100;
  int active = 0;

  std::map<int, std::unique_ptr<ProcessRec>> processes;
  int nextPid = 1;
  uintptr_t nextHandle = 0x1000;
  std::map<std::string, MutexObject> mutexes;

  std::map<std::string, WindowClass> classes;  // upper-cased names
  std::map<HWND, WindowRec> windows;
  uintptr_t nextWindow = 0x10010;
  std::vector<TimerRec> timers;
  int64_t nextZBottom = 0;       // z of the next window put at the bottom
  int64_t nextZTop = 0;          // z of the next window put at the top
  std::set<int> commonControls;  // processes that registered the tab class (InitCommonControls/Ex)
  int dpi = 96;
  // Font families the machine has (code page 932): a Japanese Windows' "ＭＳ Ｐゴシック" and
  // others.
  std::vector<std::string> fonts{"\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e",
                                 "MS UI Gothic", "Tahoma"};
  struct FontRec {
    std::string face;
    LONG height = 0;
    LONG weight = 0;
    bool underline = false;
    BYTE charSet = 0;
  };
  std::map<HFONT, FontRec> fontObjects;
  HCURSOR cursor = nullptr;
  bool shiftDown = false;
  bool ctrlDown = false;
  // Windows 10 1607 and later: each monitor has its pixels per inch, and user32 exports the calls
  // that tell them (GetDpiForSystem, GetDpiForWindow, GetSystemMetricsForDpi,
  // AdjustWindowRectExForDpi).
  bool perMonitorDpi = false;
  bool visualStyles = true;  // uxtheme's IsAppThemed (XP and later with a theme)
  struct DcRec {
    COLORREF text = 0;
    int bkMode = 2;  // OPAQUE
  };
  std::map<HDC, DcRec> dcs;
  std::vector<ThemeTextureCall> themeTextureCalls;
  std::vector<ShellExecuteCall> shellExecutes;
  UINT_PTR nextThreadTimerId = 0x7000;
  std::map<std::string, HICON> icons;  // "ICON:NAME" / "CURSOR:NAME" -> handle
  std::map<HICON, std::string> iconNames;
  uintptr_t nextIcon = 0x20000;

  MciState mci;
  ShellState shell;
  GdiState gdi;
  ExitState exit;
  HotKeyState hotKeys;
  ImageState images;

  std::vector<std::unique_ptr<OpenBox>> boxes;
  std::vector<BoxInfo> boxLog;
  std::function<int(const BoxInfo&)> boxAnswerer;

  // --- Helpers; each expects `mu` held -----------------------------------------------------------
  uint64_t NowLocked() const;
  ThreadRec& CurrentThreadLocked();
  ThreadRec* ThreadLocked(DWORD id);
  ProcessRec* CurrentProcessLocked();
  WindowRec* WindowLocked(HWND window);
  // Makes a blocked thread runnable again (counted as active before it wakes, so Settle never sees
  // a moment with nothing active while a thread is about to run).
  void WakeLocked(ThreadRec& thread);
  void WakeAllLocked();
  // Blocks the calling emulated thread until `ready` holds, or until `deadline` on a real clock.
  void BlockLocked(std::unique_lock<std::mutex>& lock, ThreadRec& thread,
                   const std::function<bool()>& ready);
  // Stops the calling thread for good (its process was terminated); never returns.
  [[noreturn]] void ParkLocked(std::unique_lock<std::mutex>& lock, ThreadRec& thread);
  // Earliest moment at which something falls due for `thread` (a timer) or for anyone (alarms).
  std::optional<uint64_t> NextDueLocked(const ThreadRec* thread) const;
  void RunDueAlarms(std::unique_lock<std::mutex>& lock);
  HANDLE NewHandleLocked(ProcessRec& process, HandleRec rec);
  void CloseHandleLocked(ProcessRec& process, HANDLE handle);
  // Releases the kernel object behind a handle, without any trace of a program's close.
  void ReleaseHandleLocked(ProcessRec& process, HANDLE handle);
  std::string MutexSystemName(const std::string& name) const;
  // Ends an emulated process: its handles close, its windows and timers go.
  void EndProcessLocked(ProcessRec& process, int exitCode);
  // A message box's window and its buttons (dialogs.cpp).
  HWND CreateBoxWindowLocked(const BoxInfo& box, DWORD threadId);
  std::vector<BoxButton> BoxButtonsLocked(HWND box) const;
  // The window procedure of a standard control class ("BUTTON" ...), or null (controls.cpp).
  static WNDPROC BuiltinClassProc(const std::string& upperName);
  // Calls the calling thread's CBT hook, as Windows does when the box is activated (mu released).
  void CallCbtHooks(int code, WPARAM wParam, LPARAM lParam);
  // Posts the MCI completions collected under the lock; called with `mu` released.
  void PostMciCompletions();
};

// The alarm that steps a manual clock to the end of every running CD play (winmm.cpp).
std::unique_ptr<Alarm> MakePlayEndAlarm(Machine::Impl& impl);

// user32's system-DPI exports of Windows 10 1607 (GetDpiForSystem, GetSystemMetricsForDpi), or
// null (images.cpp); User32Export (controls.cpp) offers them with the per-window ones.
FARPROC SystemDpiExport(LPCSTR name);
// GetSystemMetrics' icon sizes at the screen's DPI; 0 for any other index (images.cpp).
int IconMetric(int index);
// The handle of user32 as GetModuleHandleA gives it (modules.cpp).
HMODULE User32Module();

// A window is going: the hot keys it holds are free again (hotkeys.cpp).
void ForgetHotKeysOfWindowLocked(Machine::Impl& impl, HWND window);

// Binds the calling OS thread to an emulated thread record.
void BindCurrentThread(Machine::Impl* impl, DWORD threadId);

// The calling thread's record on the current machine (registered on first use).
ThreadRec& CurrentThread(Machine::Impl& impl);
Machine::Impl& Impl();

// A wide user-interface call that Windows 9x has only as a stub: on the 9x machine it fails with
// ERROR_CALL_NOT_IMPLEMENTED and is recorded (true: refused); on NT it goes ahead (false).
bool RefusedOnWin9x(const char* function);

}  // namespace emu
