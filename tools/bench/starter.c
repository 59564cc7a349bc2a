/* Times one start of a tray program: run inside a fresh Wine virtual desktop, it starts the
   program and waits for the desktop's taskbar to be shown, which happens when the first icon is
   added to its notification area. Appends the milliseconds to OUTFILE, then ends the program it
   started (so the desktop closes).
   usage: starter OUTFILE PROGRAM.exe
   Exit codes: 0 timed, 1 the program did not start, 2 no icon within 30 s, 64 bad usage. */
#include <stdio.h>
#include <windows.h>

static int TaskbarShown(void) {
  HWND taskbar = FindWindowA("Shell_TrayWnd", NULL);
  return taskbar && (GetWindowLongA(taskbar, GWL_STYLE) & WS_VISIBLE);
}

int main(int argc, char** argv) {
  STARTUPINFOA startup;
  PROCESS_INFORMATION process;
  LARGE_INTEGER frequency, start, now;
  char folder[MAX_PATH];
  char* slash;
  int result = 2;
  if (argc != 3) return 64;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  lstrcpynA(folder, argv[2], sizeof folder);
  slash = strrchr(folder, '\\');
  if (slash) *slash = '\0';
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(argv[2], NULL, NULL, NULL, FALSE, 0, NULL, slash ? folder : NULL, &startup,
                      &process)) {
    return 1;
  }
  do {
    if (TaskbarShown()) {
      double ms;
      FILE* out;
      QueryPerformanceCounter(&now);
      ms = (double)(now.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart;
      out = fopen(argv[1], "a");
      if (out) {
        fprintf(out, "%.1f\n", ms);
        fclose(out);
      }
      result = 0;
      break;
    }
    Sleep(1);
    QueryPerformanceCounter(&now);
  } while (now.QuadPart - start.QuadPart < 30 * frequency.QuadPart);
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}
