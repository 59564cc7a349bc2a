#include "Console.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <istream>
#include <ostream>
#include <stdexcept>

#include "CodePage.h"
#include "Help.h"
#include "Refusal.h"
#include "Words.h"
#include "app/Program.h"
#include "platform/cdaudio/cue.h"
#include "platform/cdaudio/disc.h"
#include "platform/emu/mci_control.h"
#include "platform/profile/profile.h"

namespace sim {
namespace {

// A clock step is walked timer by timer, so an absurd wait would look like a hang; a day of
// machine time is more than any scenario needs.
constexpr uint64_t kLongestWait = 24ull * 60 * 60 * 1000;
// At a terminal the clock runs by itself and `wait` sleeps: no longer than a person would wait.
constexpr uint64_t kLongestRealWait = 60 * 1000;

void ExpectCount(const std::vector<std::string>& args, size_t count, std::string_view usage) {
  if (args.size() != count) throw Refusal("usage: " + std::string(usage));
}

std::string Encode(const std::string& utf8, std::string_view what) {
  std::optional<std::string> bytes = ToCodePage(utf8);
  if (!bytes) {
    throw Refusal(std::string(what) + " " + Quote(utf8) +
                  " is not UTF-8 text that code page 932 can hold");
  }
  return *bytes;
}

// Text of the system (the CD Player's titles) is in the machine's ANSI code page.
std::string EncodeSystem(const std::string& utf8, std::string_view what, UINT codePage) {
  std::optional<std::string> bytes = ToCodePage(utf8, codePage);
  if (!bytes) {
    throw Refusal(std::string(what) + " " + Quote(utf8) + " is not UTF-8 text that code page " +
                  std::to_string(codePage) + " can hold");
  }
  return *bytes;
}

std::optional<uint64_t> Unsigned(std::string_view text, int base) {
  uint64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<DWORD> ErrorNumber(std::string_view text) {
  std::optional<uint64_t> value;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    value = Unsigned(text.substr(2), 16);
  } else {
    value = Unsigned(text, 10);
  }
  if (!value || *value > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<DWORD>(*value);
}

char DriveLetter(const std::string& word) {
  if (word.size() != 2 || word[1] != ':' || !std::isalpha(static_cast<unsigned char>(word[0]))) {
    throw Refusal("expected a drive such as D:, not " + Quote(word));
  }
  return static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
}

std::string DriveName(char letter) {
  return std::string(1, letter) + ":";
}

bool OnOff(const std::string& word, const std::string& command) {
  if (word != "on" && word != "off") {
    throw Refusal(command + ": expected on or off, not " + Quote(word));
  }
  return word == "on";
}

}  // namespace

Console::Console(emu::Machine& machine, std::ostream& out) : machine_(machine), out_(out) {}

bool Console::Execute(std::string_view line) {
  SplitLine split = SplitWords(line);
  bool goOn = true;
  try {
    if (!split.error.empty()) throw Refusal(split.error);
    // Windows strings end at a NUL: a word holding one would be cut short without a word.
    for (const std::string& word : split.words) {
      if (word.find('\0') != std::string::npos) throw Refusal("a word holds a NUL character");
    }
    if (!split.words.empty()) {
      if (split.words[0] == "quit") {
        ExpectCount(split.words, 1, "quit");
        goOn = false;
      } else {
        Dispatch(split.words);
      }
    }
  } catch (const std::exception& e) {
    // The machine's own refusals (a program that never comes to rest ...) end the command too.
    out_ << "error: " << e.what() << '\n';
    failed_ = true;
    if (interactive_ && !split.words.empty()) ExplainRefusal(split.words[0], e.what());
  }
  out_.flush();
  return goOn;
}

void Console::Run(std::istream& in) {
  std::string line;
  while (std::getline(in, line)) {
    if (!Execute(line)) break;
  }
}

void Console::Finish() {
  // A program that will not end is ended, and the run fails: nothing else would show it.
  for (int pid : machine_.EndAllProcesses()) {
    out_ << "error: " << ProcessName(pid) << " did not end when asked to; it was ended\n";
    failed_ = true;
  }
  out_.flush();
}

std::string Console::ProcessName(int pid) const {
  for (size_t i = 0; i < copies_.size(); ++i) {
    if (copies_[i] == pid) return i == 0 ? "the program" : "copy " + std::to_string(i + 1);
  }
  return "process " + std::to_string(pid);
}

void Console::Dispatch(const Words& words) {
  struct Command {
    std::string_view name;
    void (Console::*run)(const Words&);
  };
  static constexpr Command kCommands[] = {
      {"machine", &Console::MachineCommand},
      {"drive", &Console::Drive},
      {"disc", &Console::Disc},
      {"eject", &Console::Eject},
      {"ini", &Console::Ini},
      {"title", &Console::Title},
      {"readonly", &Console::ReadOnly},
      {"fail", &Console::Fail},
      {"start", &Console::Start},
      {"wait", &Console::Wait},
      {"answer", &Console::Answer},
      {"show", &Console::Show},
      {"click", &Console::Click},
      {"choose", &Console::Choose},
      {"dismiss", &Console::Dismiss},
      {"dialog", &Console::DialogCommand},
      {"help", &Console::Help},
      {"watch", &Console::Watch},
      {"key", &Console::Key},
  };
  const std::string& name = words[0];
  const Words args(words.begin() + 1, words.end());
  for (const Command& command : kCommands) {
    if (command.name == name) {
      (this->*command.run)(args);
      return;
    }
  }
  throw Refusal("unknown command " + name);
}

void Console::MachineCommand(const Words& args) {
  constexpr const char* kUsage =
      "machine nt|9x | endnotify on|off | codepage 1252|932 | path \"C:\\DIR\\NAME.exe\" | cwd "
      "X: \"\\DIR\" | hotkey KEY \"PROGRAM\"|none";
  if (args.empty()) throw Refusal(std::string("usage: ") + kUsage);
  if (args[0] == "hotkey") return MachineHotKey(args);
  if (args[0] == "endnotify") {
    ExpectCount(args, 2, "machine endnotify on|off");
    emu::SetNotifyAtEnd(machine_, OnOff(args[1], "machine endnotify"));
    return;
  }
  if (args[0] == "codepage") {
    ExpectCount(args, 2, "machine codepage 1252|932");
    if (args[1] != "1252" && args[1] != "932") {
      throw Refusal("machine codepage: expected 1252 or 932, not " + Quote(args[1]));
    }
    if (!machine_.Processes().empty()) {
      throw Refusal("machine codepage: only before the first start");
    }
    machine_.SetAnsiCodePage(args[1] == "932" ? 932 : 1252);
    return;
  }
  if (args[0] == "path") {
    ExpectCount(args, 2, "machine path \"C:\\DIR\\NAME.exe\"");
    if (!machine_.Processes().empty()) throw Refusal("machine path: only before the first start");
    const std::string path = Encode(args[1], "path");
    if (path.size() < 4 || path[2] != '\\' || path.back() == '\\') {
      throw Refusal("machine path: expected a full file path such as C:\\DIR\\NAME.exe, not " +
                    Quote(args[1]));
    }
    KnownDrive(DriveLetter(path.substr(0, 2)), "machine path");
    machine_.SetProgramPath(path);
    return;
  }
  if (args[0] == "cwd") {
    ExpectCount(args, 3, "machine cwd X: \"\\DIR\"");
    const char letter = DriveLetter(args[1]);
    KnownDrive(letter, "machine cwd");
    const std::string directory = Encode(args[2], "directory");
    if (directory.empty() || directory[0] != '\\') {
      throw Refusal("machine cwd: expected a directory from the root such as \"\\DIR\", not " +
                    Quote(args[2]));
    }
    machine_.SetDriveDirectory(letter, directory);
    return;
  }
  ExpectCount(args, 1, kUsage);
  if (args[0] == "nt") {
    machine_.SetPlatform(emu::Platform::NT);
  } else if (args[0] == "9x") {
    machine_.SetPlatform(emu::Platform::Win9x);
  } else {
    throw Refusal("machine: expected nt, 9x, endnotify, codepage, path or cwd, not " +
                  Quote(args[0]));
  }
}

void Console::Drive(const Words& args) {
  ExpectCount(args, 2, "drive X: cdrom|fixed");
  const char letter = DriveLetter(args[0]);
  UINT type = DRIVE_UNKNOWN;
  if (args[1] == "cdrom") {
    type = DRIVE_CDROM;
  } else if (args[1] == "fixed") {
    type = DRIVE_FIXED;
  } else {
    throw Refusal("drive: expected cdrom or fixed, not " + Quote(args[1]));
  }
  // Adding over an existing drive would silently take its disc away.
  for (const auto& [existing, existingType] : machine_.Drives()) {
    if (existing == letter) throw Refusal("drive " + DriveName(letter) + " is already there");
  }
  machine_.AddDrive(letter, type);
}

char Console::CdDrive(const std::string& word) const {
  const char letter = DriveLetter(word);
  for (const auto& [existing, type] : machine_.Drives()) {
    if (existing != letter) continue;
    if (type != DRIVE_CDROM) throw Refusal(DriveName(letter) + " is not a CD drive");
    return letter;
  }
  throw Refusal("there is no drive " + DriveName(letter));
}

namespace {

constexpr std::string_view kDiscUsage =
    "disc X: TRACK... [label \"TEXT\"] [serial HEX] | disc X: image FILE.cue";

// The disc that `disc X: TRACK...` describes (args[0] is the drive).
cdaudio::Disc DiscOfTrackWords(const std::vector<std::string>& args) {
  cdaudio::Disc disc;
  bool labelGiven = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "label" || word == "serial") {
      if (i + 1 == args.size()) throw Refusal("disc: " + word + " needs a value");
      const std::string& value = args[++i];
      if (word == "label") {
        if (labelGiven) throw Refusal("disc: label given twice");
        labelGiven = true;
        disc.label = Encode(value, "label");
      } else {
        if (disc.serial) throw Refusal("disc: serial given twice");
        const auto serial = cdaudio::ParseSerial(value);
        if (!serial) throw Refusal("disc: " + serial.error);
        disc.serial = *serial.value;
      }
      continue;
    }
    const auto track = cdaudio::ParseTrackWord(word);
    if (!track) throw Refusal("disc: " + track.error);
    disc.tracks.push_back(*track.value);
  }
  if (disc.tracks.empty()) throw Refusal("disc: no track given");
  if (std::string why = cdaudio::CheckDisc(disc); !why.empty()) throw Refusal("disc: " + why);
  // Windows makes up an audio disc's label and serial; a script that gives them expects them to
  // matter, so it is told that they would not.
  if (disc.tracks[0].audio && (labelGiven || disc.serial)) {
    throw Refusal("disc: an audio disc's label and serial are computed; give them for data discs");
  }
  return disc;
}

// The disc of `disc X: image FILE.cue`: the whole sheet, or nothing.
cdaudio::Disc DiscOfImage(const std::vector<std::string>& args) {
  if (args.size() != 3) throw Refusal("usage: " + std::string(kDiscUsage));
  cdaudio::Parsed<cdaudio::Disc> image = cdaudio::LoadCueSheet(args[2]);
  if (!image) throw Refusal("disc: " + image.error);
  return std::move(*image.value);
}

}  // namespace

void Console::Disc(const Words& args) {
  if (args.size() < 2) throw Refusal("usage: " + std::string(kDiscUsage));
  const char letter = CdDrive(args[0]);
  cdaudio::Disc disc = args[1] == "image" ? DiscOfImage(args) : DiscOfTrackWords(args);
  if (std::string why = emu::InsertDisc(machine_, letter, std::move(disc)); !why.empty()) {
    throw Refusal("disc: " + why);
  }
}

void Console::Eject(const Words& args) {
  ExpectCount(args, 1, "eject X:");
  machine_.EjectMedium(CdDrive(args[0]));
}

void Console::Ini(const Words& args) {
  ExpectCount(args, 4, "ini settings|cdplayer|PATH SECTION KEY VALUE");
  std::string path;
  if (args[0] == "settings") {
    path = machine_.SettingsPath();
  } else if (args[0] == "cdplayer") {
    path = machine_.TitleDatabasePath();
  } else {
    path = Encode(args[0], "path");
    if (path.size() >= 2 && path[1] == ':') KnownDrive(DriveLetter(path.substr(0, 2)), "ini");
  }
  const std::string section = Encode(args[1], "section");
  const std::string key = Encode(args[2], "key");
  const std::string value = Encode(args[3], "value");
  // Written as the user's editor would: straight to the file, past the read-only attribute that
  // only the machine's own functions honour.
  if (!profile::WriteString(machine_.HostPath(path), section.c_str(), key.c_str(), value.c_str(),
                            machine_.AnsiCodePage())) {
    throw Refusal("ini: cannot write " + FromCodePage(path));
  }
}

void Console::KnownDrive(char letter, const std::string& command) const {
  bool known = false;
  for (const auto& [existing, type] : machine_.Drives()) known = known || existing == letter;
  if (!known) throw Refusal(command + ": there is no drive " + DriveName(letter));
}

void Console::Title(const Words& args) {
  ExpectCount(args, 2, "title D: \"TEXT\"");
  const char letter = CdDrive(args[0]);
  auto drive = emu::CdDrive(machine_, letter);
  if (!drive || !drive->readable) throw Refusal("title: no readable disc in " + DriveName(letter));
  // The CD Player files a disc under its identifier in upper-case hexadecimal.
  char section[9];
  std::snprintf(section, sizeof section, "%X", drive->identifier);
  const std::string text = EncodeSystem(args[1], "title", machine_.AnsiCodePage());
  const std::string path = machine_.TitleDatabasePath();
  if (!profile::WriteString(machine_.HostPath(path), section, "title", text.c_str(),
                            machine_.AnsiCodePage())) {
    throw Refusal("title: cannot write " + FromCodePage(path));
  }
}

void Console::ReadOnly(const Words& args) {
  ExpectCount(args, 2, "readonly settings on|off");
  if (args[0] != "settings") {
    throw Refusal("readonly: only the settings file can be made read-only, not " + Quote(args[0]));
  }
  machine_.SetReadOnly(machine_.SettingsPath(), OnOff(args[1], "readonly"));
}

void Console::Fail(const Words& args) {
  if (args.empty() || args.size() > 2) throw Refusal("usage: fail FUNCTION [ERROR]");
  const std::string& function = args[0];
  if (function.empty()) throw Refusal("fail: the function name is empty");
  for (char c : function) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') {
      throw Refusal("fail: " + Quote(function) + " is not a function name");
    }
  }
  DWORD error = 0;
  if (args.size() == 2) {
    std::optional<DWORD> number = ErrorNumber(args[1]);
    if (!number) {
      throw Refusal("fail: the error must be a 32-bit number, decimal or 0x hexadecimal, not " +
                    Quote(args[1]));
    }
    error = *number;
  }
  if (!emu::Machine::CanFail(function)) {
    // A failure no emulated function would ever consult: the script would test nothing.
    std::string names;
    for (const std::string& name : emu::Machine::FailableFunctions()) {
      names += (names.empty() ? "" : " ") + name;
    }
    throw Refusal("fail: " + function + " cannot be made to fail; these can: " + names);
  }
  machine_.FailNext(function, error);
}

void Console::Start(const Words& args) {
  ExpectCount(args, 0, "start");
  copies_.push_back(machine_.StartProcess(&OrvantaBrevoMain));
}

void Console::Wait(const Words& args) {
  ExpectCount(args, 1, "wait MS");
  std::optional<uint64_t> ms = Unsigned(args[0], 10);
  const uint64_t longest = interactive_ ? kLongestRealWait : kLongestWait;
  if (!ms || *ms > longest) {
    throw Refusal("wait: expected milliseconds from 0 to " + std::to_string(longest) + ", not " +
                  Quote(args[0]));
  }
  machine_.Advance(*ms);
}

void Console::Answer(const Words& args) {
  ExpectCount(args, 1, "answer ok|cancel");
  int button = 0;
  if (args[0] == "ok") {
    button = IDOK;
  } else if (args[0] == "cancel") {
    button = IDCANCEL;
  } else {
    throw Refusal("answer: expected ok or cancel, not " + Quote(args[0]));
  }
  if (machine_.OpenBoxes().empty()) throw Refusal("answer: no message box is open");
  if (!machine_.AnswerBox(button)) throw Refusal("answer: the box has no " + args[0] + " button");
}

void Console::Help(const Words& args) {
  if (args.size() > 1) throw Refusal("usage: help [COMMAND]");
  if (args.empty()) {
    out_ << HelpText();
    return;
  }
  const std::optional<std::string> text = HelpText(args[0]);
  if (!text) throw Refusal("help: there is no command " + Quote(args[0]) + " (help lists them)");
  out_ << *text;
}

void Console::Watch(const Words& args) {
  ExpectCount(args, 0, "watch");
  if (!watcher_) throw Refusal("watch: only at a terminal (a script moves the clock with wait)");
  watcher_();
}

void Console::ExplainRefusal(const std::string& name, std::string_view why) {
  const std::optional<CommandHelp> command = FindCommand(name);
  if (!command) {
    out_ << "  (help lists the commands)\n";
  } else if (why.substr(0, 6) != "usage:") {
    out_ << "  usage: " << command->usage << '\n';
  }
}

}  // namespace sim

namespace sim {

int RunScript(std::istream& in, std::ostream& out, const emu::MachineOptions& options) {
  emu::Machine machine(options);
  Console console(machine, out);
  console.Run(in);
  console.Finish();
  return console.ExitCode();
}

}  // namespace sim
