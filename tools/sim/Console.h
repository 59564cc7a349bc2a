// The console of the emulated machine: words (console.md) turned into acts on an emu::Machine.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/emu/machine.h"
#include "platform/emu/tray_control.h"

namespace sim {

class Console {
 public:
  Console(emu::Machine& machine, std::ostream& out);

  // Runs one line of a script. False when the line ends the script (`quit`).
  bool Execute(std::string_view line);
  // Runs lines until the input ends or a `quit`, answering after each line, so that whoever
  // feeds a pipe sees every answer before writing the next command.
  void Run(std::istream& in);
  // The end of every script: the copies still running are asked to end.
  void Finish();
  // 0, or 1 once a command answered `error:`.
  int ExitCode() const { return failed_ ? 1 : 0; }

  // At a terminal (Interactive.cpp): the clock runs by itself, so `wait` is bounded and `click`
  // waits for the menu it opens and prints it numbered; a refusal is followed by the usage line.
  void SetInteractive(bool interactive) { interactive_ = interactive; }
  // What `watch` does; without one it is refused (it needs a terminal).
  void SetWatcher(std::function<void()> watcher) { watcher_ = std::move(watcher); }
  // One line: the tray icon, the device and an open menu or box.
  std::string StatusLine();
  // The names of the running program's menu items, separators left out.
  std::vector<std::string> MenuItemNames();

 private:
  using Words = std::vector<std::string>;

  void Dispatch(const Words& words);

  void MachineCommand(const Words& args);
  void Drive(const Words& args);
  void Disc(const Words& args);
  void Eject(const Words& args);
  void Ini(const Words& args);
  void Title(const Words& args);
  void ReadOnly(const Words& args);
  // Refuses a drive letter the machine does not have, naming the command.
  void KnownDrive(char letter, const std::string& command) const;
  void Fail(const Words& args);
  void Start(const Words& args);
  void Wait(const Words& args);
  void Answer(const Words& args);
  void Show(const Words& args);
  void Click(const Words& args);
  void Choose(const Words& args);
  void Dismiss(const Words& args);
  void DialogCommand(const Words& args);
  void Help(const Words& args);
  void Watch(const Words& args);
  // The media keys (Keys.cpp): `key`, `show hotkeys`, `machine hotkey`.
  void Key(const Words& args);
  void ShowHotKeys();
  void MachineHotKey(const Words& args);
  // After a refusal at a terminal: what the command expects (its usage line).
  void ExplainRefusal(const std::string& name, std::string_view why);

  void ShowSubject(std::string_view subject);
  void ShowDevice();
  // `open drive=D: mode=playing track=2 position=00:01:13`, or `closed`.
  std::string DeviceText();
  void ShowSettings();
  void ShowBox();
  void ShowExits();
  void ShowDialog();
  void ShowShell();

  // The running program's dialog: its window, whether it is shown, its controls' windows by name.
  struct DialogWindows {
    HWND form = nullptr;
    bool shown = false;
    HWND pages = nullptr;
    HWND save = nullptr;
    std::map<std::string, HWND> windows;
  };
  DialogWindows TheDialog();
  // The window of the dialog's control `name`; refused when the dialog is not shown.
  HWND DialogControl(const std::string& name);
  void ShowProcess();
  void ShowTray();
  void ShowMenus(bool captions);
  // The open popup menu as a person sees it: numbered items, captions, disabled ones marked.
  void PrintOpenMenu();
  // The command of the open menu's item that `choose WORD` means (a name, number or access key).
  UINT ChosenCommand(const emu::PopupMenuInfo& open, const std::string& word);
  // The running program's menu items by command: menu name and item name.
  struct MenuItemName {
    std::string menu;
    std::string item;
  };
  std::map<UINT, MenuItemName> MenuItemsByCommand();

  // How the end of the run names the copy `pid`.
  std::string ProcessName(int pid) const;
  // The first copy started that still runs, 0 when none does.
  int RunningCopy() const;
  // The icon that `click` acts on: the first in the notification area.
  emu::TrayIconInfo TheTrayIcon() const;

  char CdDrive(const std::string& word) const;

  emu::Machine& machine_;
  std::ostream& out_;
  // In order of `start`: the first is "process", the next ones "process 2", "process 3" ...
  std::vector<int> copies_;
  bool failed_ = false;
  bool interactive_ = false;
  std::function<void()> watcher_;
};

// A whole run: a machine made with `options`, the script from `in`, the copies ended at the end.
// Returns the exit code.
int RunScript(std::istream& in, std::ostream& out, const emu::MachineOptions& options);

}  // namespace sim
