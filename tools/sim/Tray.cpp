// The tray icon and its menus: `click`, `choose`, `dismiss`, `show tray`, `show menus`.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <ostream>
#include <thread>

#include "CodePage.h"
#include "Console.h"
#include "Refusal.h"
#include "form/MainUnit.h"
#include "platform/emu/tray_control.h"

namespace sim {
namespace {

// Items that carry a check mark show it even while it is off; nothing in a menu item says so.
constexpr std::string_view kCheckMarkItems[] = {"All_Repeat"};

// How long `click` at a terminal waits for the menu: the double-click time and then some.
constexpr auto kMenuPatience = std::chrono::milliseconds(2000);

// The letter after the caption's `&` (upper-cased), 0 when it has none. `&&` is a plain `&`.
char AccessKey(std::string_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(caption[i]);
    // A two-byte character of code page 932: its second byte may look like `&`.
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      ++i;
    } else if (c == '&') {
      if (caption[i + 1] != '&') return static_cast<char>(std::toupper(caption[i + 1]));
      ++i;
    }
  }
  return 0;
}

bool HasCheckMark(const vcl::TMenuItem& item) {
  for (std::string_view name : kCheckMarkItems) {
    if (item.Name() == name) return true;
  }
  return item.Checked();
}

std::string ItemLine(const vcl::TMenuItem& item, bool captions) {
  std::string states = item.Enabled() ? "on" : "off";
  if (!item.Visible()) states += ",hidden";
  if (HasCheckMark(item)) states += item.Checked() ? ",checked" : ",unchecked";
  if (captions) {
    states += ',';
    states += QuotedText(item.Caption());
  }
  return item.Name() + "[" + states + "]";
}

}  // namespace

int Console::RunningCopy() const {
  for (int pid : copies_) {
    if (machine_.Process(pid).running) return pid;
  }
  return 0;
}

emu::TrayIconInfo Console::TheTrayIcon() const {
  const std::vector<emu::TrayIconInfo> icons = emu::TrayIcons(machine_);
  if (icons.empty()) throw Refusal("no icon in the notification area");
  return icons.front();
}

void Console::Click(const Words& args) {
  if (args.size() != 1) throw Refusal("usage: click left|right|middle|double");
  const emu::TrayIconInfo icon = TheTrayIcon();
  bool reached = false;
  if (args[0] == "left") {
    reached = emu::ClickTrayIcon(machine_, icon, emu::TrayButton::Left);
  } else if (args[0] == "right") {
    reached = emu::ClickTrayIcon(machine_, icon, emu::TrayButton::Right);
  } else if (args[0] == "middle") {
    reached = emu::ClickTrayIcon(machine_, icon, emu::TrayButton::Middle);
  } else if (args[0] == "double") {
    reached = emu::DoubleClickTrayIcon(machine_, icon);
  } else {
    throw Refusal("click: expected left, right, middle or double, not " + Quote(args[0]));
  }
  if (!reached) throw Refusal("click: the icon went away (its program has ended)");
  if (!interactive_ || args[0] == "middle" || args[0] == "double") return;
  // On a running clock the menu opens in the program's own time (a program may wait out the
  // double-click time before it does).
  const auto limit = std::chrono::steady_clock::now() + kMenuPatience;
  while (!emu::OpenPopupMenu(machine_) && std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  PrintOpenMenu();
}

void Console::Choose(const Words& args) {
  if (args.size() != 1) throw Refusal("usage: choose NAME");
  const std::optional<emu::PopupMenuInfo> open = emu::OpenPopupMenu(machine_);
  if (!open) throw Refusal("choose: no popup menu is open");
  if (!RunningCopy()) throw Refusal("choose: no copy of the program is running");
  const UINT command = ChosenCommand(*open, args[0]);
  const emu::MenuItemInfo* shown = nullptr;
  for (const emu::MenuItemInfo& item : open->items) {
    if (command != 0 && item.id == command) shown = &item;
  }
  if (!shown) throw Refusal("choose: the open menu has no item " + Quote(args[0]));
  if (!shown->Enabled()) throw Refusal("choose: " + args[0] + " is disabled");
  if (!emu::ChoosePopupMenuItem(machine_, command)) throw Refusal("choose: the menu has closed");
}

UINT Console::ChosenCommand(const emu::PopupMenuInfo& open, const std::string& word) {
  for (const auto& [command, names] : MenuItemsByCommand()) {
    if (names.item == word) return command;
  }
  // The number `click` printed: the items counted from 1, separators left out.
  if (!word.empty() && word.size() < 4 &&
      std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    size_t number = std::stoul(word);
    for (const emu::MenuItemInfo& item : open.items) {
      if (!item.Separator() && --number == 0) return item.id;
    }
    return 0;
  }
  if (word.size() == 1) {
    for (const emu::MenuItemInfo& item : open.items) {
      if (AccessKey(item.text) == std::toupper(static_cast<unsigned char>(word[0]))) return item.id;
    }
  }
  return 0;
}

std::map<UINT, Console::MenuItemName> Console::MenuItemsByCommand() {
  std::map<UINT, MenuItemName> names;
  const int pid = RunningCopy();
  if (!pid) return names;
  machine_.RunInProcess(pid, [&] {
    auto* form = vcl::Application ? vcl::Application->MainForm() : nullptr;
    for (int i = 0; form && i < form->ComponentCount(); ++i) {
      auto* menu = dynamic_cast<vcl::TPopupMenu*>(form->Components(i));
      for (int j = 0; menu && j < menu->Count(); ++j) {
        const vcl::TMenuItem* item = menu->Items(j);
        if (!item->IsLine()) names[item->Command()] = {menu->Name(), item->Name()};
      }
    }
  });
  return names;
}

std::vector<std::string> Console::MenuItemNames() {
  std::vector<std::string> names;
  for (const auto& [command, name] : MenuItemsByCommand()) names.push_back(name.item);
  return names;
}

void Console::PrintOpenMenu() {
  const std::optional<emu::PopupMenuInfo> open = emu::OpenPopupMenu(machine_);
  if (!open) return;
  const std::map<UINT, MenuItemName> names = MenuItemsByCommand();
  auto nameOf = [&](UINT command) -> MenuItemName {
    auto it = names.find(command);
    return it == names.end() ? MenuItemName{"menu", "?"} : it->second;
  };
  out_ << nameOf(open->items.empty() ? 0 : open->items.front().id).menu << ":\n";
  int number = 0;
  for (const emu::MenuItemInfo& item : open->items) {
    if (item.Separator()) {
      out_ << "     ----\n";
      continue;
    }
    ++number;
    std::string line =
        (number < 10 ? "  " : " ") + std::to_string(number) + "  " + nameOf(item.id).item;
    line.resize(std::max<size_t>(line.size() + 1, 18), ' ');
    if (item.Checked()) line += "[x] ";
    line += FromCodePage(item.text);
    if (!item.Enabled()) line += "  (disabled)";
    out_ << line << '\n';
  }
  out_ << "choose a number, the letter after & or a name; dismiss closes the menu\n";
}

void Console::Dismiss(const Words& args) {
  if (!args.empty()) throw Refusal("usage: dismiss");
  if (!emu::DismissPopupMenu(machine_)) throw Refusal("dismiss: no popup menu is open");
}

void Console::ShowTray() {
  const std::vector<emu::TrayIconInfo> icons = emu::TrayIcons(machine_);
  if (icons.empty()) {
    out_ << "tray: none\n";
    return;
  }
  for (const emu::TrayIconInfo& icon : icons) {
    out_ << "tray: visible=1 image=" << (icon.image.empty() ? "none" : icon.image)
         << " tip=" << QuotedText(icon.tip) << '\n';
  }
}

void Console::ShowMenus(bool captions) {
  const int pid = RunningCopy();
  std::vector<std::string> lines;
  if (pid) {
    machine_.RunInProcess(pid, [&] {
      auto* form = vcl::Application ? vcl::Application->MainForm() : nullptr;
      for (int i = 0; form && i < form->ComponentCount(); ++i) {
        auto* menu = dynamic_cast<vcl::TPopupMenu*>(form->Components(i));
        if (!menu) continue;
        std::string line = menu->Name() + ":";
        for (int j = 0; j < menu->Count(); ++j) {
          if (menu->Items(j)->IsLine()) continue;
          line += ' ';
          line += ItemLine(*menu->Items(j), captions);
        }
        lines.push_back(line);
      }
    });
  }
  if (lines.empty()) {
    out_ << "menus: none\n";
    return;
  }
  for (const std::string& line : lines) out_ << line << '\n';
}

}  // namespace sim
