// The machine's keyboard: media keys pressed, hot keys shown, and another program holding a key.
#include <cstdio>
#include <ostream>

#include "Console.h"
#include "Refusal.h"
#include "platform/emu/hotkey_control.h"

namespace sim {
namespace {

struct MediaKeyWord {
  std::string_view word;
  UINT vk;
};

constexpr MediaKeyWord kMediaKeys[] = {
    {"media-play", VK_MEDIA_PLAY_PAUSE},
    {"media-stop", VK_MEDIA_STOP},
    {"media-next", VK_MEDIA_NEXT_TRACK},
    {"media-prev", VK_MEDIA_PREV_TRACK},
};

UINT MediaKey(const std::string& word, const std::string& command) {
  for (const MediaKeyWord& key : kMediaKeys) {
    if (key.word == word) return key.vk;
  }
  throw Refusal(command + ": expected media-play, media-stop, media-next or media-prev, not " +
                Quote(word));
}

// The key's word as `key` takes it, or its number for a key the console has no word for.
std::string KeyWord(UINT vk) {
  for (const MediaKeyWord& key : kMediaKeys) {
    if (key.vk == vk) return std::string(key.word);
  }
  return "vk=0x" + [vk] {
    char text[8];
    std::snprintf(text, sizeof text, "%X", vk);
    return std::string(text);
  }();
}

}  // namespace

void Console::Key(const Words& args) {
  if (args.size() != 1) throw Refusal("usage: key media-play|media-stop|media-next|media-prev");
  emu::PressHotKey(machine_, MediaKey(args[0], "key"));
}

void Console::ShowHotKeys() {
  const std::vector<emu::HotKeyInfo> keys = emu::HotKeys(machine_);
  if (keys.empty()) out_ << "hotkeys: none\n";
  for (const emu::HotKeyInfo& key : keys) {
    out_ << "hotkey: " << KeyWord(key.vk);
    if (key.modifiers) out_ << " modifiers=" << key.modifiers;
    out_ << " owner=" << key.owner << '\n';
  }
}

void Console::MachineHotKey(const Words& args) {
  constexpr const char* kUsage =
      "machine hotkey media-play|media-stop|media-next|media-prev "
      "\"PROGRAM\"|none";
  if (args.size() != 3) throw Refusal(std::string("usage: ") + kUsage);
  const UINT vk = MediaKey(args[1], "machine hotkey");
  if (args[2] == "none") {
    if (!emu::ReleaseHotKeyOutside(machine_, vk)) {
      throw Refusal("machine hotkey: no other program holds " + args[1]);
    }
    return;
  }
  if (args[2].empty()) throw Refusal("machine hotkey: the program needs a name");
  if (!emu::HoldHotKeyOutside(machine_, vk, args[2])) {
    throw Refusal("machine hotkey: " + args[1] + " is held already");
  }
}

}  // namespace sim
