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

// A module's image as a program reads it from its handle (the image base): the headers and the
// export directory of a 32-bit (PE32) image. RVAs are offsets from the base.
#define IMAGE_DOS_SIGNATURE 0x5A4D     // "MZ"
#define IMAGE_NT_SIGNATURE 0x00004550  // "PE\0\0"
#define IMAGE_NT_OPTIONAL_HDR32_MAGIC 0x10B
#define IMAGE_NUMBEROF_DIRECTORY_ENTRIES 16
#define IMAGE_DIRECTORY_ENTRY_EXPORT 0

typedef struct _IMAGE_DOS_HEADER {
  WORD e_magic, e_cblp, e_cp, e_crlc, e_cparhdr, e_minalloc, e_maxalloc, e_ss, e_sp, e_csum, e_ip,
      e_cs, e_lfarlc, e_ovno;
  WORD e_res[4];
  WORD e_oemid, e_oeminfo;
  WORD e_res2[10];
  LONG e_lfanew;
} IMAGE_DOS_HEADER;

typedef struct _IMAGE_FILE_HEADER {
  WORD Machine, NumberOfSections;
  DWORD TimeDateStamp, PointerToSymbolTable, NumberOfSymbols;
  WORD SizeOfOptionalHeader, Characteristics;
} IMAGE_FILE_HEADER;

typedef struct _IMAGE_DATA_DIRECTORY {
  DWORD VirtualAddress, Size;
} IMAGE_DATA_DIRECTORY;

typedef struct _IMAGE_OPTIONAL_HEADER32 {
  WORD Magic;
  BYTE MajorLinkerVersion, MinorLinkerVersion;
  DWORD SizeOfCode, SizeOfInitializedData, SizeOfUninitializedData, AddressOfEntryPoint, BaseOfCode,
      BaseOfData, ImageBase, SectionAlignment, FileAlignment;
  WORD MajorOperatingSystemVersion, MinorOperatingSystemVersion, MajorImageVersion,
      MinorImageVersion, MajorSubsystemVersion, MinorSubsystemVersion;
  DWORD Win32VersionValue, SizeOfImage, SizeOfHeaders, CheckSum;
  WORD Subsystem, DllCharacteristics;
  DWORD SizeOfStackReserve, SizeOfStackCommit, SizeOfHeapReserve, SizeOfHeapCommit, LoaderFlags,
      NumberOfRvaAndSizes;
  IMAGE_DATA_DIRECTORY DataDirectory[IMAGE_NUMBEROF_DIRECTORY_ENTRIES];
} IMAGE_OPTIONAL_HEADER32;

typedef struct _IMAGE_NT_HEADERS32 {
  DWORD Signature;
  IMAGE_FILE_HEADER FileHeader;
  IMAGE_OPTIONAL_HEADER32 OptionalHeader;
} IMAGE_NT_HEADERS32;

typedef struct _IMAGE_EXPORT_DIRECTORY {
  DWORD Characteristics, TimeDateStamp;
  WORD MajorVersion, MinorVersion;
  DWORD Name, Base, NumberOfFunctions, NumberOfNames, AddressOfFunctions, AddressOfNames,
      AddressOfNameOrdinals;
} IMAGE_EXPORT_DIRECTORY;

static_assert(sizeof(IMAGE_DOS_HEADER) == 64 && sizeof(IMAGE_NT_HEADERS32) == 248 &&
              sizeof(IMAGE_EXPORT_DIRECTORY) == 40);

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
