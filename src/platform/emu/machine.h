// The emulated PC: the control interface through which tests and the console act as the user and
// the hardware, and the state that the emulated Win32 functions share.
//
// One machine exists at a time in a Linux process; the Win32 functions of this folder act on it.
// Programs run on it as emulated processes, each on threads of their own; the machine knows when
// all of them wait (for a message, the clock or the user), which is what lets a test or a script
// act one step at a time on a manual clock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/emu/win32_api.h"

namespace emu {

enum class Platform { NT, Win9x };

// A push button of a message box: its ID (IDOK ...) and caption (code page 932).
struct BoxButton {
  int id = 0;
  std::string caption;
  bool operator==(const BoxButton&) const = default;
};

// A message box as the machine's user sees it.
struct BoxInfo {
  HWND owner = nullptr;
  std::string caption;  // code page 932
  std::string text;     // code page 932
  UINT type = 0;
  HWND window = nullptr;  // the box's own window while it is open
  // Left to right, with the captions they have now (the system's, unless the program renamed
  // them while the box was open).
  std::vector<BoxButton> buttons;
};

// The buttons Windows gives a message box of `type` (MB_OK ...), with the system's captions.
std::vector<BoxButton> SystemBoxButtons(UINT type);

struct WindowInfo {
  HWND handle = nullptr;
  std::string className;
  std::string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;
  RECT rect{};
  bool visible = false;
  bool minimized = false;
  DWORD threadId = 0;
  int64_t z = 0;  // place among its siblings: the smaller, the nearer the top
};

struct ProcessInfo {
  int id = 0;
  bool running = false;
  int exitCode = 0;
  // Handles the program had not closed when it ended ("token", "mutex NAME", "thread"), in the
  // order it opened them; the machine released them as Windows does, and traced each.
  std::vector<std::string> handlesLeftOpen;
};

// Volume answer of a drive that holds a readable medium.
struct VolumeAnswer {
  std::string label;
  DWORD serial = 0;
  std::string fileSystem;
  DWORD maxComponentLength = 255;
  DWORD flags = 0;
};

class Machine;

// Something on the machine that needs the clock to reach a moment (the CD player's end of play):
// the machine steps a manual clock to Due() and calls Fire().
class Alarm {
 public:
  virtual ~Alarm() = default;
  virtual std::optional<uint64_t> Due() = 0;
  virtual void Fire(uint64_t now) = 0;
};

struct MachineOptions {
  // The machine's disk. Empty: a fresh temporary folder, removed with the machine.
  std::filesystem::path root;
  // Manual clock (tests, scripts): only Advance moves it. Otherwise real time.
  bool manualClock = true;
  // How long EndAllProcesses waits for a program to end before it ends the program itself, in
  // milliseconds of real time.
  unsigned endLimitMs = 30000;
};

class Machine {
 public:
  explicit Machine(MachineOptions options = {});
  // Ends the programs still running; aborts when one has to be ended from outside (call
  // EndAllProcesses first to handle that).
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // The machine the Win32 functions act on; aborts when there is none.
  static Machine& Current();
  static Machine* CurrentOrNull();

  // --- The system -------------------------------------------------------------------------------
  void SetPlatform(Platform platform);
  Platform GetPlatform() const;
  // The system's ANSI code page: 1252 (an English Windows, the default) or 932 (a Japanese one).
  // The A calls, CP_ACP and the profile functions read and write text in it.
  void SetAnsiCodePage(UINT codePage);
  UINT AnsiCodePage() const;
  // The wide calls the 9x machine refused as Windows 9x's stubs do, in order: a program that
  // picks the ANSI calls there makes none.
  std::vector<std::string> RefusedWideCalls() const;

  // Windows paths ("C:\dir\file") and the host files behind them: drive X: is the folder root/X.
  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path HostPath(std::string_view windowsPath) const;
  // Where the program's exe sits on the machine (default C:\OrvantaBrevo\OrvantaBrevo.exe); a new
  // path makes its folder. Set it before starting a copy.
  std::string ProgramPath() const;
  void SetProgramPath(std::string path);
  std::string WindowsDirectory() const { return "C:\\WINDOWS"; }
  // The program's settings file: the exe's path with its extension - from the last "." after the
  // last "\" or ":" - replaced by ".ini", or ".ini" added when it has none.
  std::string SettingsPath() const;
  std::string TitleDatabasePath() const { return WindowsDirectory() + "\\cdplayer.ini"; }
  // The read-only attribute of a file (root runs tests, so file modes alone would not stop a
  // write).
  void SetReadOnly(std::string_view windowsPath, bool readOnly);
  bool IsReadOnly(std::string_view windowsPath) const;

  // --- Drives -----------------------------------------------------------------------------------
  // Adds a drive; the machine starts with C: fixed. Letters are upper-cased.
  void AddDrive(char letter, UINT type);
  // A medium in a drive (closes the door). The answer is what GetVolumeInformationA reports. A
  // CD-ROM drive gets a data disc with the answer's label and serial (its file system answers are
  // the CD's own); playable discs go in with emu::InsertDisc (mci_control.h).
  void InsertMedium(char letter, VolumeAnswer volume);
  // Opens the door of a drive: the medium leaves (a play on a CD-ROM drive ends, aborted).
  void EjectMedium(char letter);
  std::vector<std::pair<char, UINT>> Drives() const;
  std::optional<VolumeAnswer> Volume(char letter) const;
  // The current directory on a drive ("\DIR", from its root; "\" by default). A path of a drive
  // letter alone ("D:") means that directory, as Windows resolves it.
  void SetDriveDirectory(char letter, std::string directory);
  std::string DriveDirectory(char letter) const;

  // --- Failures ---------------------------------------------------------------------------------
  // A later call of the Win32 function `function` fails (with `error` where it has one): the next
  // one, or the one after `skip` calls that succeed. Only a function that can fail here (CanFail)
  // is taken; any other name throws std::invalid_argument.
  void FailNext(std::string function, DWORD error = 0, int skip = 0);
  static bool CanFail(std::string_view function);
  // The names CanFail takes, in the list's order (sorted).
  static std::vector<std::string> FailableFunctions();
  // Used by the emulated functions: consumes a pending failure of `function`.
  std::optional<DWORD> TakeFailure(std::string_view function);

  // --- Clock ------------------------------------------------------------------------------------
  uint64_t Now() const;
  // Moves a manual clock on by `ms`, stopping at every moment something falls due and letting the
  // programs run until they wait again.
  void Advance(uint64_t ms);
  // Waits until every emulated thread waits for a message, the clock or the user.
  void Settle();
  void AddAlarm(Alarm* alarm);
  void RemoveAlarm(Alarm* alarm);

  // --- Programs ---------------------------------------------------------------------------------
  // Starts a copy of a program: `entry` runs on a new thread as the main thread of a new emulated
  // process. Returns the process id once the copy has settled.
  int StartProcess(std::function<int()> entry);
  ProcessInfo Process(int id) const;
  std::vector<ProcessInfo> Processes() const;
  // Runs `action` on the main thread of process `pid`, between two of its messages (as a message
  // that only the machine sends), and returns once the program has settled again. This is how the
  // user's hand reaches a program's own objects.
  void RunInProcess(int pid, std::function<void()> action);
  // Asks every running program to end (as a WM_QUIT to its threads) and waits for them. A program
  // still running after the options' end limit is ended as TerminateProcess ends one: its threads
  // stop where they wait, nothing of it runs any more, its exit code is kTerminatedExitCode.
  // Returns the ids of the programs that had to be ended so.
  std::vector<int> EndAllProcesses();
  static constexpr int kTerminatedExitCode = 1;

  // --- The user ---------------------------------------------------------------------------------
  // The open message boxes, oldest first.
  std::vector<BoxInfo> OpenBoxes() const;
  // Every box shown so far, oldest first.
  std::vector<BoxInfo> BoxLog() const;
  // Closes the newest open box with `button` (IDOK, IDCANCEL ...). False when none is open or the
  // box has no such button.
  bool AnswerBox(int button);
  // When set, message boxes are answered at once by this function (tests that run the program's
  // code on their own thread use it).
  void SetBoxAnswerer(std::function<int(const BoxInfo&)> answerer);

  // --- Windows (read back) ----------------------------------------------------------------------
  std::vector<WindowInfo> Windows() const;
  std::optional<WindowInfo> Window(HWND window) const;

  // --- For the emulated functions (not for tests) -----------------------------------------------
  struct Impl;
  Impl& impl() { return *impl_; }

 private:
  std::filesystem::path root_;
  bool ownsRoot_ = false;
  std::unique_ptr<Impl> impl_;
};

}  // namespace emu

namespace emu {
// The resource name behind an icon or cursor handle ("ZCD", "HAND"), empty for an unknown handle.
std::string ImageName(HICON image);
}  // namespace emu
