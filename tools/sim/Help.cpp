#include "Help.h"

#include <algorithm>

namespace sim {

const std::vector<CommandHelp>& Commands() {
  static const std::vector<CommandHelp> kCommands = {
      {"start", "start", "start a copy of the program (a second start starts a second copy)",
       "start"},
      {"click", "click left|right|middle|double",
       "press and release that button on the tray icon (left opens the player menu, right the "
       "other one)",
       "click left"},
      {"choose", "choose NAME|NUMBER|LETTER",
       "choose an item of the open popup menu (by its name, its number as click printed it, or "
       "its access key letter)",
       "choose Play"},
      {"dismiss", "dismiss", "close the open popup menu without choosing", "dismiss"},
      {"answer", "answer ok|cancel", "close the newest open message box with that button",
       "answer ok"},
      {"show", "show tray|menus|dialog|device|settings|box|exits|shell|process|hotkeys|all",
       "print state; `show menus captions` adds the items' captions", "show device"},
      {"wait", "wait MS",
       "move the clock on by MS milliseconds (at a terminal the clock runs by itself, and wait "
       "only waits, at most a minute)",
       "wait 1500"},
      {"watch", "watch", "print the status line every second until Enter (at a terminal)", "watch"},
      {"drive", "drive X: cdrom|fixed", "add a drive (C: fixed is there from the start)",
       "drive E: cdrom"},
      {"disc", "disc X: TRACK... [label \"TEXT\"] [serial HEX] | disc X: image FILE.cue",
       "put a disc into CD drive X: and close its door; TRACK is audio:M:SS or data:M:SS (.FF "
       "adds frames); `image` takes the disc a CUE sheet describes",
       "disc D: audio:3:20 audio:4:05"},
      {"eject", "eject X:", "open the door of CD drive X: (the disc leaves, a play ends)",
       "eject D:"},
      {"title", "title X: \"TEXT\"", "store TEXT as the title of the disc in X: (cdplayer.ini)",
       "title D: \"Abbey Road\""},
      {"ini", "ini settings|cdplayer|PATH SECTION KEY VALUE",
       "write one key of an INI file as the user's editor would",
       "ini settings CDPlayer_TabSheet AutoPlay_CheckBox 1"},
      {"readonly", "readonly settings on|off",
       "make the settings file read-only for the machine's programs, or writable again",
       "readonly settings on"},
      {"machine",
       "machine nt|9x | endnotify on|off | codepage 1252|932 | path \"C:\\DIR\\NAME.exe\" | cwd "
       "X: \"\\DIR\" | hotkey KEY \"PROGRAM\"|none",
       "the Windows family the program sees (default nt); whether the CD driver reports the end "
       "of a play (default: off on nt, on on 9x); the system's ANSI code page (default 1252, an "
       "English Windows; 932 a Japanese one); where the program's exe sits (before start); the "
       "current "
       "directory on a drive (default its root)",
       "machine endnotify on"},
      {"fail", "fail FUNCTION [ERROR]",
       "make the next call of a Win32 function fail (with ERROR, decimal or 0x hex, where it "
       "has one); a function the machine cannot make fail is refused, with the list of those "
       "it can",
       "fail ExitWindowsEx 5"},
      {"dialog",
       "dialog tab INDEX | click NAME | select NAME INDEX | key "
       "tab|shift+tab|space|enter|esc|ctrl+tab|ctrl+shift+tab|ctrl+pagedown|ctrl+pageup",
       "act on the property dialog's controls as the user would (right click, choose Version to "
       "show it; show dialog names the controls)",
       "dialog click AutoPlay_CheckBox"},
      {"key", "key media-play|media-stop|media-next|media-prev",
       "press that media key on the machine's keyboard (the program holding it as a hot key gets "
       "it; `machine hotkey media-play \"NAME\"` lets another program hold a key, `... none` "
       "lets go)",
       "key media-play"},
      {"help", "help [COMMAND]", "list the commands, or show one command's usage and an example",
       "help disc"},
      {"quit", "quit", "end the console; the running copies of the program are ended", "quit"},
  };
  return kCommands;
}

std::optional<CommandHelp> FindCommand(std::string_view name) {
  for (const CommandHelp& command : Commands()) {
    if (command.name == name) return command;
  }
  return std::nullopt;
}

std::string HelpText() {
  size_t width = 0;
  for (const CommandHelp& command : Commands()) width = std::max(width, command.name.size());
  std::string text = "commands (help COMMAND shows its usage and an example):\n";
  for (const CommandHelp& command : Commands()) {
    std::string line = "  " + std::string(command.name);
    line.resize(width + 4, ' ');
    // The summary up to its first clause is enough for a list.
    std::string_view summary = command.summary;
    summary = summary.substr(0, std::min(summary.find(';'), summary.find(" (")));
    text += line + std::string(summary) + '\n';
  }
  return text;
}

std::optional<std::string> HelpText(std::string_view name) {
  const std::optional<CommandHelp> command = FindCommand(name);
  if (!command) return std::nullopt;
  return "usage: " + std::string(command->usage) + "\n  " + std::string(command->summary) +
         "\nexample: " + std::string(command->example) + '\n';
}

std::vector<std::string> WordChoices(std::string_view name, size_t position) {
  if (name == "help" && position == 1) {
    std::vector<std::string> names;
    for (const CommandHelp& command : Commands()) names.emplace_back(command.name);
    return names;
  }
  const std::optional<CommandHelp> command = FindCommand(name);
  if (!command) return {};
  std::string_view usage = command->usage;
  for (size_t i = 0; i < position; ++i) {
    const size_t blank = usage.find(' ');
    if (blank == std::string_view::npos) return {};
    usage.remove_prefix(blank + 1);
  }
  usage = usage.substr(0, usage.find(' '));
  // Alternatives are lower-case words; capitals name something the user makes up.
  if (usage.find('|') == std::string_view::npos) return {};
  std::vector<std::string> words;
  for (size_t start = 0; start <= usage.size();) {
    const size_t bar = std::min(usage.find('|', start), usage.size());
    std::string word(usage.substr(start, bar - start));
    const bool fixed = std::none_of(word.begin(), word.end(), [](char c) {
      return (c >= 'A' && c <= 'Z') || c == '[' || c == '.';
    });
    if (fixed && !word.empty()) words.push_back(word);
    start = bar + 1;
  }
  return words;
}

}  // namespace sim
