// The status line printed after each command at a terminal and by `watch`.
#include "CodePage.h"
#include "Console.h"

namespace sim {

std::string Console::StatusLine() {
  std::string line = "status:";
  const std::vector<emu::TrayIconInfo> icons = emu::TrayIcons(machine_);
  if (icons.empty()) {
    line += " tray=none";
  } else {
    const emu::TrayIconInfo& icon = icons.front();
    line += " tray=" + (icon.image.empty() ? "none" : icon.image) + " tip=" + QuotedText(icon.tip);
  }
  const std::string device = DeviceText();
  constexpr std::string_view kOpen = "open ";
  // Appended: GCC 12 at -O2 warns of a false overlap (-Wrestrict) in " " + device.substr(…).
  line += device.starts_with(kOpen) ? " " : " device=";
  line += device.starts_with(kOpen) ? device.substr(kOpen.size()) : device;
  if (const auto menu = emu::OpenPopupMenu(machine_); menu && !menu->items.empty()) {
    const auto names = MenuItemsByCommand();
    const auto it = names.find(menu->items.front().id);
    line += " menu=" + (it == names.end() ? std::string("open") : it->second.menu);
  }
  if (const std::vector<emu::BoxInfo> boxes = machine_.OpenBoxes(); !boxes.empty()) {
    line += " box=" + QuotedText(boxes.back().caption);
  }
  if (!RunningCopy()) line += copies_.empty() ? " program=none" : " program=ended";
  return line;
}

}  // namespace sim
