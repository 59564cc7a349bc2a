// user32's system-wide hot keys: a key and its modifiers belong to one window (or thread) at a
// time, which gets WM_HOTKEY when the key is pressed.
#pragma once

#define WM_HOTKEY 0x0312

#define MOD_ALT 0x0001
#define MOD_CONTROL 0x0002
#define MOD_SHIFT 0x0004
#define MOD_WIN 0x0008
#define MOD_NOREPEAT 0x4000

#define VK_MEDIA_NEXT_TRACK 0xB0
#define VK_MEDIA_PREV_TRACK 0xB1
#define VK_MEDIA_STOP 0xB2
#define VK_MEDIA_PLAY_PAUSE 0xB3

#define ERROR_WINDOW_OF_OTHER_THREAD 1408L
#define ERROR_HOTKEY_ALREADY_REGISTERED 1409L
#define ERROR_HOTKEY_NOT_REGISTERED 1419L

BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT vk);
BOOL UnregisterHotKey(HWND window, int id);
