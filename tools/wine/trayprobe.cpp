// Windows-side eyes on the taskbar and popup menus for check-tray.sh: Wine's explorer draws the
// notification area's icons and tips itself, out of reach of the shell's tools.
//
//   trayprobe tray DESKTOP    the taskbar, shown once an icon is added (the icons sit at
//                             its right end), in screen coordinates:
//                             tray<TAB>left<TAB>top<TAB>right<TAB>bottom
//   trayprobe menus DESKTOP   the popup menus shown, one line each:
//                             menu<TAB>pid<TAB>left<TAB>top<TAB>right<TAB>bottom
//   trayprobe tips DESKTOP    the tooltips shown, one line each: tip<TAB>text (UTF-8)
//   trayprobe waittip DESKTOP TEXT MS
//                             waits up to MS ms for a tooltip reading TEXT, looking every
//                             50 ms (and hovering again when none has shown for a second), and
//                             prints tip<TAB>TEXT<TAB>GetTickCount64 when it reads so; exit 4
//                             when it never did
//   trayprobe forms DESKTOP CLASS
//                             the shown top-level windows of window class CLASS:
//                             form<TAB>left<TAB>top<TAB>right<TAB>bottom<TAB>client width<TAB>
//                             client height<TAB>title, then a line per window inside it:
//                             child<TAB>class<TAB>shown<TAB>enabled<TAB>checked<TAB>left<TAB>
//                             top<TAB>right<TAB>bottom<TAB>text (screen coordinates; shown,
//                             enabled and checked are 0 or 1; for a tab control, checked is the
//                             selected tab's index), and when a window inside it has
//                             the keyboard focus: focus<TAB>class<TAB>text
//   trayprobe hotkeys DESKTOP the four media keys as hot keys on that desktop: for each, whether
//                             another program holds it (the probe's own RegisterHotKey is
//                             refused) or it is free (registered and let go at once):
//                             hotkey<TAB>media-play<TAB>free|taken
//
// Built for the architecture of the exe under test, so the 32-bit build is looked at by a
// 32-bit program.
//
// Exit codes: 0 = found some, 4 = found none (waittip: never read TEXT), 64 = bad usage.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kOk = 0;
constexpr int kNone = 4;
constexpr int kUsage = 64;

std::string ClassOf(HWND hwnd) {
  char cls[256] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  return cls;
}

// A top-level window's style bit says whether it is shown; IsWindowVisible judges from the
// caller's desktop.
bool Shown(HWND hwnd) {
  return (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Callbacks are functions, not lambdas: on x86 they must be __stdcall.
BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevel(const char* desktop) {
  std::vector<HWND> found;
  HDESK hdesk = OpenDesktopA(desktop, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
  if (!hdesk) return found;
  EnumDesktopWindows(hdesk, Collect, reinterpret_cast<LPARAM>(&found));
  CloseDesktop(hdesk);
  return found;
}

void PrintRect(const char* what, const RECT& r) {
  printf("%s\t%ld\t%ld\t%ld\t%ld\n", what, r.left, r.top, r.right, r.bottom);
}

int Tray(const char* desktop) {
  int found = 0;
  for (HWND tray : TopLevel(desktop)) {
    if (ClassOf(tray) != "Shell_TrayWnd" || !Shown(tray)) continue;
    RECT r{};
    GetWindowRect(tray, &r);
    PrintRect("tray", r);
    ++found;
  }
  return found ? kOk : kNone;
}

int Menus(const char* desktop) {
  int found = 0;
  for (HWND hwnd : TopLevel(desktop)) {
    if (ClassOf(hwnd) != "#32768" || !Shown(hwnd)) continue;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    RECT r{};
    GetWindowRect(hwnd, &r);
    printf("menu\t%lu\t%ld\t%ld\t%ld\t%ld\n", pid, r.left, r.top, r.right, r.bottom);
    ++found;
  }
  return found ? kOk : kNone;
}

// The text a tooltip shows, in UTF-8; false when it does not answer. A tooltip answers
// WM_GETTEXT with the text it shows; the message crosses processes.
bool TipText(HWND hwnd, char (&utf8)[1024]) {
  WCHAR text[256] = L"";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           2000, &length)) {
    return false;
  }
  utf8[0] = '\0';
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  return true;
}

int Tips(const char* desktop) {
  int found = 0;
  for (HWND hwnd : TopLevel(desktop)) {
    if (ClassOf(hwnd) != "tooltips_class32" || !Shown(hwnd)) continue;
    char utf8[1024];
    if (!TipText(hwnd, utf8)) continue;
    printf("tip\t%s\n", utf8);
    ++found;
  }
  return found ? kOk : kNone;
}

int WaitTip(const char* desktop, const char* want, DWORD bound) {
  const ULONGLONG start = GetTickCount64();
  ULONGLONG last_shown = start;
  POINT rest{};
  GetCursorPos(&rest);
  while (GetTickCount64() - start < bound) {
    for (HWND hwnd : TopLevel(desktop)) {
      if (ClassOf(hwnd) != "tooltips_class32" || !Shown(hwnd)) continue;
      last_shown = GetTickCount64();
      char utf8[1024];
      if (!TipText(hwnd, utf8)) continue;
      if (strcmp(utf8, want) == 0) {
        printf("tip\t%s\t%llu\n", utf8, static_cast<unsigned long long>(GetTickCount64()));
        return kOk;
      }
    }
    // A tip hides after a while; the mouse leaving and coming back shows it again.
    if (GetTickCount64() - last_shown > 1000) {
      SetCursorPos(rest.x, rest.y - 60);
      Sleep(50);
      SetCursorPos(rest.x, rest.y);
      last_shown = GetTickCount64();
    }
    Sleep(50);
  }
  return kNone;
}

// The text a window shows, as UTF-8 on one line. WM_GETTEXT is sent, so it also reads the
// windows of other processes.
std::string TextOf(HWND hwnd) {
  WCHAR text[512] = L"";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           2000, &length)) {
    return "";
  }
  char utf8[2048] = "";
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::string line;
  for (const char* p = utf8; *p; ++p) {
    if (*p == '\r') {
      line += "\\r";
    } else if (*p == '\n') {
      line += "\\n";
    } else {
      line += *p;
    }
  }
  return line;
}

BOOL CALLBACK PrintItem(HWND item, LPARAM) {
  printf("item\t%s\t%d\t%s\n", ClassOf(item).c_str(), GetDlgCtrlID(item), TextOf(item).c_str());
  return TRUE;
}

int Boxes(const char* desktop) {
  int found = 0;
  for (HWND box : TopLevel(desktop)) {
    if (ClassOf(box) != "#32770" || !Shown(box)) continue;
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    printf("box\t%lu\t%s\n", pid, TextOf(box).c_str());
    EnumChildWindows(box, PrintItem, 0);
    ++found;
  }
  return found ? kOk : kNone;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  RECT r{};
  GetWindowRect(child, &r);
  const std::string cls = ClassOf(child);
  // A check mark is asked of buttons only; other classes might give the message a meaning. A
  // tab control's column holds its selected tab instead.
  DWORD_PTR checked = 0;
  if (cls == "Button") {
    SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
  } else if (cls == "SysTabControl32") {
    SendMessageTimeoutW(child, TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
  }
  printf("child\t%s\t%d\t%d\t%d\t%ld\t%ld\t%ld\t%ld\t%s\n", cls.c_str(),
         IsWindowVisible(child) ? 1 : 0, IsWindowEnabled(child) ? 1 : 0,
         checked == BST_CHECKED ? 1 : 0, r.left, r.top, r.right, r.bottom, TextOf(child).c_str());
  return TRUE;
}

int Forms(const char* desktop, const char* windowClass) {
  int found = 0;
  for (HWND form : TopLevel(desktop)) {
    if (ClassOf(form) != windowClass || !Shown(form)) continue;
    RECT r{};
    GetWindowRect(form, &r);
    RECT client{};
    GetClientRect(form, &client);
    printf("form\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%s\n", r.left, r.top, r.right, r.bottom,
           client.right, client.bottom, TextOf(form).c_str());
    EnumChildWindows(form, PrintChild, 0);
    // The focus of the form's thread, as its own GetFocus would answer.
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &gui) && gui.hwndFocus &&
        IsChild(form, gui.hwndFocus)) {
      printf("focus\t%s\t%s\n", ClassOf(gui.hwndFocus).c_str(), TextOf(gui.hwndFocus).c_str());
    }
    ++found;
  }
  return found ? kOk : kNone;
}

int HotKeys(const char* desktop) {
  // Hot keys belong to a desktop: the probe's thread moves onto the program's before it asks.
  HDESK hdesk = OpenDesktopA(desktop, 0, FALSE, GENERIC_ALL);
  if (!hdesk || !SetThreadDesktop(hdesk)) return kNone;
  const struct {
    const char* word;
    UINT vk;
  } keys[] = {{"media-play", VK_MEDIA_PLAY_PAUSE},
              {"media-stop", VK_MEDIA_STOP},
              {"media-next", VK_MEDIA_NEXT_TRACK},
              {"media-prev", VK_MEDIA_PREV_TRACK}};
  for (const auto& key : keys) {
    const bool free = RegisterHotKey(nullptr, static_cast<int>(key.vk), 0, key.vk) != 0;
    if (free) UnregisterHotKey(nullptr, static_cast<int>(key.vk));
    printf("hotkey\t%s\t%s\n", key.word, free ? "free" : "taken");
  }
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc == 4 && strcmp(argv[1], "forms") == 0) return Forms(argv[2], argv[3]);
  if (argc == 5 && strcmp(argv[1], "waittip") == 0) {
    return WaitTip(argv[2], argv[3], strtoul(argv[4], nullptr, 10));
  }
  if (argc != 3) return kUsage;
  if (strcmp(argv[1], "tray") == 0) return Tray(argv[2]);
  if (strcmp(argv[1], "menus") == 0) return Menus(argv[2]);
  if (strcmp(argv[1], "tips") == 0) return Tips(argv[2]);
  if (strcmp(argv[1], "boxes") == 0) return Boxes(argv[2]);
  if (strcmp(argv[1], "hotkeys") == 0) return HotKeys(argv[2]);
  return kUsage;
}
