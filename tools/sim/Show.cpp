// The `show` answers (console.md gives their words and order).
#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>

#include "CodePage.h"
#include "Console.h"
#include "Refusal.h"
#include "platform/emu/exit_control.h"
#include "platform/emu/mci_control.h"

namespace sim {
namespace {

constexpr std::string_view kSubjects[] = {"tray", "menus", "dialog", "device",  "settings",
                                          "box",  "exits", "shell",  "process", "hotkeys"};

std::string IconName(UINT type) {
  switch (type & MB_ICONMASK) {
    case 0:
      return "none";
    case MB_ICONERROR:
      return "error";
    case MB_ICONQUESTION:
      return "question";
    case MB_ICONWARNING:
      return "warning";
    case MB_ICONINFORMATION:
      return "information";
    default:
      return std::to_string(type & MB_ICONMASK);
  }
}

std::string ButtonsName(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK:
      return "ok";
    case MB_OKCANCEL:
      return "okcancel";
    case 2:
      return "abortretryignore";
    case 3:
      return "yesnocancel";
    case MB_YESNO:
      return "yesno";
    case 5:
      return "retrycancel";
    default:
      return std::to_string(type & MB_TYPEMASK);
  }
}

std::string ModeName(DWORD mode) {
  switch (mode) {
    case MCI_MODE_NOT_READY:
      return "notready";
    case MCI_MODE_STOP:
      return "stopped";
    case MCI_MODE_PLAY:
      return "playing";
    case MCI_MODE_RECORD:
      return "recording";
    case MCI_MODE_SEEK:
      return "seeking";
    case MCI_MODE_PAUSE:
      return "paused";
    case MCI_MODE_OPEN:
      return "open";
    default:
      return std::to_string(mode);
  }
}

// Minutes, seconds and frames, two digits each, as MCI shows a position.
std::string Colonized(uint32_t frames) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", frames / (60 * 75), frames / 75 % 60,
                frames % 75);
  return text;
}

}  // namespace

void Console::Show(const Words& args) {
  if (args.size() == 2 && args[0] == "menus" && args[1] == "captions") return ShowMenus(true);
  if (args.size() != 1) throw Refusal("usage: show WHAT");
  const std::string& subject = args[0];
  if (subject == "all") {
    for (std::string_view each : kSubjects) ShowSubject(each);
    return;
  }
  ShowSubject(subject);
}

void Console::ShowSubject(std::string_view subject) {
  if (subject == "tray") return ShowTray();
  if (subject == "menus") return ShowMenus(false);
  if (subject == "device") return ShowDevice();
  if (subject == "settings") return ShowSettings();
  if (subject == "box") return ShowBox();
  if (subject == "exits") return ShowExits();
  if (subject == "dialog") return ShowDialog();
  if (subject == "shell") return ShowShell();
  if (subject == "process") return ShowProcess();
  if (subject == "hotkeys") return ShowHotKeys();
  std::string list;
  for (std::string_view known : kSubjects) list += std::string(known) + ", ";
  throw Refusal("show: unknown subject " + Quote(subject) + " (one of " + list + "all)");
}

void Console::ShowDevice() {
  out_ << "device: " << DeviceText() << '\n';
}

std::string Console::DeviceText() {
  // The program's device: the oldest MCI device open on the machine.
  const std::vector<emu::MciDeviceInfo> devices = emu::MciDevices(machine_);
  if (devices.empty()) return "closed";
  const emu::MciDeviceInfo& device = devices.front();
  std::string text = "open drive=" + std::string(1, device.drive) + ":";
  if (const std::optional<emu::CdDriveInfo> drive = emu::CdDrive(machine_, device.drive)) {
    text += " mode=" + ModeName(drive->mode);
    if (drive->readable) {
      text +=
          " track=" + std::to_string(drive->track) + " position=" + Colonized(drive->trackFrames);
    }
  }
  return text;
}

void Console::ShowSettings() {
  std::ifstream file(machine_.HostPath(machine_.SettingsPath()), std::ios::binary);
  if (!file) {
    out_ << "settings: none\n";
    return;
  }
  std::stringstream bytes;
  bytes << file.rdbuf();
  std::string text;
  // CR is left out on the console only; the file keeps its CRLF.
  for (char c : FromCodePage(bytes.str())) {
    if (c != '\r') text += c;
  }
  if (!text.empty() && text.back() != '\n') text += '\n';
  out_ << "--- settings\n" << text << "---\n";
}

void Console::ShowBox() {
  const std::vector<emu::BoxInfo> boxes = machine_.OpenBoxes();
  if (boxes.empty()) {
    out_ << "box: none\n";
    return;
  }
  const emu::BoxInfo& box = boxes.back();
  out_ << "box: caption=" << QuotedText(box.caption) << " text=" << QuotedText(box.text)
       << " icon=" << IconName(box.type) << " buttons=" << ButtonsName(box.type);
  // Buttons the program renamed: every caption, left to right.
  if (box.buttons != emu::SystemBoxButtons(box.type)) {
    std::string labels;
    for (const emu::BoxButton& button : box.buttons) {
      labels += (labels.empty() ? "" : "|") + button.caption;
    }
    out_ << " labels=" << QuotedText(labels);
  }
  out_ << '\n';
}

void Console::ShowExits() {
  const std::vector<emu::ExitRequest> requests = emu::ExitRequests(machine_);
  if (requests.empty()) {
    out_ << "exits: none\n";
    return;
  }
  for (const emu::ExitRequest& request : requests) {
    char hex[16];
    if (request.route == emu::ExitRequest::Route::ExitWindows16) {
      std::snprintf(hex, sizeof hex, "0x%X", request.returnCode);
      out_ << "exit: restart9x code=" << hex << '\n';
      continue;
    }
    const char* what = request.flags & EWX_POWEROFF   ? "poweroff"
                       : request.flags & EWX_REBOOT   ? "reboot"
                       : request.flags & EWX_SHUTDOWN ? "shutdown"
                                                      : "logoff";
    std::snprintf(hex, sizeof hex, "0x%X", request.flags);
    out_ << "exit: " << what << " flags=" << hex;
    // The privilege matters, and is shown, where NT checks it: for ending the machine.
    if (request.platform == emu::Platform::NT && request.flags != EWX_LOGOFF) {
      out_ << " privilege=" << (request.privilege ? "on" : "off");
    }
    out_ << '\n';
  }
}

void Console::ShowProcess() {
  if (copies_.empty()) {
    out_ << "process: none\n";
    return;
  }
  for (size_t i = 0; i < copies_.size(); ++i) {
    const emu::ProcessInfo info = machine_.Process(copies_[i]);
    out_ << "process";
    if (i > 0) out_ << ' ' << i + 1;
    if (info.running) {
      out_ << ": running\n";
    } else {
      out_ << ": ended code=" << info.exitCode;
      // Only a leak is shown, so a clean end reads as it always has.
      if (!info.handlesLeftOpen.empty()) out_ << " left-open=" << info.handlesLeftOpen.size();
      out_ << '\n';
    }
  }
}

}  // namespace sim
