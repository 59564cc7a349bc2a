// The tray icon and its menus: `click`, `choose`, `dismiss`, `show tray`, `show menus`.
#include <ostream>

#include "CodePage.h"
#include "Console.h"
#include "Refusal.h"
#include "form/MainUnit.h"
#include "platform/emu/tray_control.h"

namespace sim {
namespace {

// Items that carry a check mark show it even while it is off; nothing in a menu item says so.
constexpr std::string_view kCheckMarkItems[] = {"All_Repeat"};

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
  if (captions) states += "," + QuotedText(item.Caption());
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
}

void Console::Choose(const Words& args) {
  if (args.size() != 1) throw Refusal("usage: choose NAME");
  const std::optional<emu::PopupMenuInfo> open = emu::OpenPopupMenu(machine_);
  if (!open) throw Refusal("choose: no popup menu is open");
  const int pid = RunningCopy();
  if (!pid) throw Refusal("choose: no copy of the program is running");
  UINT command = 0;
  machine_.RunInProcess(pid, [&] {
    auto* form = vcl::Application ? vcl::Application->MainForm() : nullptr;
    auto* item = form ? dynamic_cast<vcl::TMenuItem*>(form->FindComponent(args[0])) : nullptr;
    if (item && !item->IsLine()) command = item->Command();
  });
  const emu::MenuItemInfo* shown = nullptr;
  for (const emu::MenuItemInfo& item : open->items) {
    if (command != 0 && item.id == command) shown = &item;
  }
  if (!shown) throw Refusal("choose: the open menu has no item " + Quote(args[0]));
  if (!shown->Enabled()) throw Refusal("choose: " + args[0] + " is disabled");
  if (!emu::ChoosePopupMenuItem(machine_, command)) throw Refusal("choose: the menu has closed");
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
          if (!menu->Items(j)->IsLine()) line += " " + ItemLine(*menu->Items(j), captions);
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
