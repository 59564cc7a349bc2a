/* The yardstick for the program's idle cost: the least a tray program that follows a CD drive
   must do. One hidden window, one tray icon, one timer; every 1.5 s it asks the first CD-ROM
   drive for its volume label and serial, and changes the icon's tip when the serial changes.
   Built with the same compiler and flags as the program (tools/bench/bench.sh). Built with
   PLAYER_RULES, it also does what the player must do beyond that: before its icon it makes a
   visible application window and hides it (Wine then brings up the input method and COM in the
   process, as it does for the player), once its icon is added it opens the drive's MCI cdaudio
   device (winmm loaded when needed, as the player does), and it runs the 3 s disc-insert timer,
   which stops only once the drive was seen empty. */
#include <windows.h>

/* After windows.h, which they need. */
#include <mmsystem.h>
#include <shellapi.h>

#define POLL_TIMER 1
#define POLL_MS 1500
#define INSERT_TIMER_ID 2
#define INSERT_MS 3000
#define WM_TRAY (WM_APP + 1)

static char g_root[4] = "";
static DWORD g_serial;
static NOTIFYICONDATAA g_icon;

static void FindCdDrive(void) {
  char roots[128];
  DWORD length = GetLogicalDriveStringsA(sizeof roots, roots);
  for (DWORD i = 0; i + 3 < length; i += 4) {
    if (GetDriveTypeA(roots + i) == DRIVE_CDROM) {
      lstrcpynA(g_root, roots + i, sizeof g_root);
      return;
    }
  }
}

static void Poll(void) {
  char label[64];
  DWORD serial = 0;
  if (!g_root[0] ||
      !GetVolumeInformationA(g_root, label, sizeof label, &serial, NULL, NULL, NULL, 0))
    serial = 0;
  if (serial == g_serial) return;
  g_serial = serial;
  lstrcpynA(g_icon.szTip, serial ? label : "No CD", sizeof g_icon.szTip);
  g_icon.uFlags = NIF_TIP;
  Shell_NotifyIconA(NIM_MODIFY, &g_icon);
}

#ifdef PLAYER_RULES
typedef MCIERROR(WINAPI* SendCommand)(MCIDEVICEID, UINT, DWORD_PTR, DWORD_PTR);

/* The drive's device, kept open as the player keeps it; "D:" without the backslash. */
static void OpenDevice(void) {
  char element[3];
  MCI_OPEN_PARMSA open = {0};
  HMODULE winmm = LoadLibraryA("winmm.dll");
  SendCommand send =
      winmm ? (SendCommand)(void (*)(void))GetProcAddress(winmm, "mciSendCommandA") : NULL;
  if (!send || !g_root[0]) return;
  lstrcpynA(element, g_root, sizeof element);
  open.lpstrDeviceType = "cdaudio";
  open.lpstrElementName = element;
  send(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE | MCI_WAIT,
       (DWORD_PTR)&open);
}
#endif

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
#ifdef PLAYER_RULES
      if (wParam == INSERT_TIMER_ID) {
        if (!g_serial) KillTimer(window, INSERT_TIMER_ID);
        return 0;
      }
#endif
      Poll();
      return 0;
    case WM_TRAY:
      if (lParam == WM_RBUTTONUP) PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  WNDCLASSA wc = {0};
  MSG msg;
  HWND window;
  (void)previous;
  (void)commandLine;
  (void)show;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = "BenchPoller";
  if (!RegisterClassA(&wc)) return 1;
  window = CreateWindowExA(0, "BenchPoller", "BenchPoller", WS_POPUP, 0, 0, 0, 0, NULL, NULL,
                           instance, NULL);
  if (!window) return 1;
#ifdef PLAYER_RULES
  {
    /* The player's application window: made visible, so that the process is activated and its
       menus get the keyboard, and hidden at once (no taskbar button). */
    HWND application =
        CreateWindowExA(0, "BenchPoller", "BenchPoller",
                        WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0,
                        0, NULL, NULL, instance, NULL);
    if (application) ShowWindow(application, SW_HIDE);
  }
  /* The player arms this timer while it loads, and its poll only once its device is open: the
     two run out of step by that time, and so wake the thread separately. */
  SetTimer(window, INSERT_TIMER_ID, INSERT_MS, NULL);
#endif
  FindCdDrive();
  g_icon.cbSize = sizeof g_icon;
  g_icon.hWnd = window;
  g_icon.uID = 1;
  g_icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  g_icon.uCallbackMessage = WM_TRAY;
  g_icon.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
  lstrcpynA(g_icon.szTip, "No CD", sizeof g_icon.szTip);
  if (!Shell_NotifyIconA(NIM_ADD, &g_icon)) return 1;
#ifdef PLAYER_RULES
  OpenDevice();
#endif
  SetTimer(window, POLL_TIMER, POLL_MS, NULL);
  Poll();
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  Shell_NotifyIconA(NIM_DELETE, &g_icon);
  return 0;
}
