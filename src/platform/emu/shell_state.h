// The machine's shell state (notification area, popup menus, cursor and foreground window,
// registered messages). Part of Machine::Impl; every member is guarded by Impl::mu.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/emu/tray_control.h"

namespace emu {

struct SentMessage;

// An icon as the shell holds it.
struct NotifyIconRec {
  HWND window = nullptr;
  UINT id = 0;
  bool hasMessage = false;  // NIF_MESSAGE was given: the shell reports the mouse
  UINT callbackMessage = 0;
  HICON icon = nullptr;
  std::string tip;
};

struct MenuRec {
  std::vector<MenuItemInfo> items;
};

// The one popup menu being tracked, as the user sees it.
struct TrackRec {
  PopupMenuInfo info;
  DWORD threadId = 0;
  bool closed = false;
  UINT chosen = 0;  // 0: dismissed
};

struct ShellState {
  bool explorerRunning = true;
  std::vector<NotifyIconRec> icons;  // in the order they were added
  std::vector<ShellCall> trace;

  std::map<HMENU, MenuRec> menus;
  uintptr_t nextMenu = 0x30000;
  std::unique_ptr<TrackRec> tracking;
  std::function<UINT(const PopupMenuInfo&)> menuAnswerer;

  POINT cursor{512, 384};
  HWND foreground = nullptr;
  UINT doubleClickTime = 500;

  std::map<std::string, UINT> registeredMessages;  // upper-cased names
  UINT nextRegisteredMessage = 0xC000;

  // Messages sent without waiting (SendNotifyMessage), kept until their receiver has taken them or
  // has ended; the receiver's queue holds only their addresses.
  struct Notification {
    DWORD threadId = 0;
    std::unique_ptr<SentMessage> message;
  };
  std::deque<Notification> notifications;
};

}  // namespace emu
