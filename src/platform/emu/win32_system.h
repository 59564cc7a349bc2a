// Declarations for ending Windows and for the calls around it, for builds that are not Windows:
// kernel32's modules, advapi32's process token, user32's ExitWindowsEx, thread hooks and dialog
// items. Included by win32_api.h.
#pragma once

// ---------------------------------------------------------------------------------------------------
// kernel32: modules
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_CALL_NOT_IMPLEMENTED 120L

typedef INT_PTR(WINAPI* FARPROC)();

HMODULE LoadLibraryA(LPCSTR fileName);
BOOL FreeLibrary(HMODULE module);
// `procName` is a name, or an ordinal in the low word (MAKEINTRESOURCEA).
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
HANDLE GetCurrentProcess();

// The emulated machine's QT_Thunk (Windows 9x). The real one is entered with the 16:16 address of
// the 16-bit function in EDX and its arguments pushed on the caller's stack; this one takes EDX and
// a pointer to those arguments as the stack holds them (last pushed first), `size` bytes of them,
// and returns what the 16-bit function left in AX.
typedef WORD(WINAPI* EMU_QT_THUNK)(DWORD edx, const BYTE* stack, DWORD size);

// ---------------------------------------------------------------------------------------------------
// advapi32: the process token and its privileges
#define ERROR_NOT_ALL_ASSIGNED 1300L
#define ERROR_NO_SUCH_PRIVILEGE 1313L
#define ERROR_PRIVILEGE_NOT_HELD 1314L

#define TOKEN_ADJUST_PRIVILEGES 0x0020
#define TOKEN_QUERY 0x0008
#define SE_PRIVILEGE_ENABLED 0x00000002L
#define SE_SHUTDOWN_NAME "SeShutdownPrivilege"

typedef struct _LUID {
  DWORD LowPart;
  LONG HighPart;
} LUID, *PLUID;

typedef struct _LUID_AND_ATTRIBUTES {
  LUID Luid;
  DWORD Attributes;
} LUID_AND_ATTRIBUTES;

typedef struct _TOKEN_PRIVILEGES {
  DWORD PrivilegeCount;
  LUID_AND_ATTRIBUTES Privileges[1];
} TOKEN_PRIVILEGES, *PTOKEN_PRIVILEGES;

typedef HANDLE* PHANDLE;

BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE tokenHandle);
BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, PLUID luid);
BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAllPrivileges, PTOKEN_PRIVILEGES newState,
                           DWORD bufferLength, PTOKEN_PRIVILEGES previousState,
                           LPDWORD returnLength);

// ---------------------------------------------------------------------------------------------------
// user32: ending Windows
#define EWX_LOGOFF 0x00000000
#define EWX_SHUTDOWN 0x00000001
#define EWX_REBOOT 0x00000002
#define EWX_FORCE 0x00000004
#define EWX_POWEROFF 0x00000008

BOOL ExitWindowsEx(UINT flags, DWORD reason);

// ---------------------------------------------------------------------------------------------------
// user32: thread hooks, dialog items, the screen
typedef struct HHOOK__* HHOOK;
typedef LRESULT(CALLBACK* HOOKPROC)(int code, WPARAM wParam, LPARAM lParam);

#define WH_CBT 5
#define HCBT_ACTIVATE 5

typedef struct tagCBTACTIVATESTRUCT {
  BOOL fMouse;
  HWND hWndActive;
} CBTACTIVATESTRUCT;

HHOOK SetWindowsHookExA(int hookType, HOOKPROC proc, HINSTANCE module, DWORD threadId);
BOOL UnhookWindowsHookEx(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

HWND GetDlgItem(HWND dialog, int id);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
int GetClassNameA(HWND window, LPSTR className, int maxCount);

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
int GetSystemMetrics(int index);
