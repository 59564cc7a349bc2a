// The standard controls, keyboard, focus, dialog manager, fonts and the shell's ShellExecuteA, as
// far as the property dialog uses them, for builds that are not Windows. Included by
// win32_api.h.
#pragma once

// ---------------------------------------------------------------------------------------------------
// user32: messages, keys and focus
#define WM_ENABLE 0x000A
#define WM_GETTEXT 0x000D
#define WM_SETCURSOR 0x0020
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_NOTIFY 0x004E
#define WM_CHAR 0x0102
#define WM_CTLCOLORSTATIC 0x0138
#define WM_DPICHANGED 0x02E0
#define WM_ACTIVATE 0x0006
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2
#define HTCLIENT 1
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))

#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_ESCAPE 0x1B
#define VK_CONTROL 0x11
#define VK_PRIOR 0x21
#define VK_NEXT 0x22

#define WS_GROUP 0x00020000L
#define WS_VSCROLL 0x00200000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_EX_CONTROLPARENT 0x00010000L
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define SWP_NOOWNERZORDER 0x0200

#define IDC_HAND MAKEINTRESOURCEA(32649)

#define SPI_GETWORKAREA 0x0030

typedef struct tagNMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
} NMHDR;

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

typedef struct tagWNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
} WNDCLASSW;
ATOM RegisterClassW(const WNDCLASSW* wndClass);
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HWND SetFocus(HWND window);
HWND GetFocus();
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);
HWND GetParent(HWND window);
int GetDlgCtrlID(HWND window);
short GetKeyState(int virtualKey);
BOOL IsDialogMessageA(HWND dialog, LPMSG msg);
BOOL IsDialogMessageW(HWND dialog, LPMSG msg);
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL SystemParametersInfoA(UINT action, UINT param, LPVOID value, UINT winIni);
BOOL GetClientRect(HWND window, LPRECT rect);
HCURSOR SetCursor(HCURSOR cursor);
// kernel32: number * numerator / denominator with a 64-bit product, rounded half away from zero;
// -1 on overflow or a zero denominator.
int MulDiv(int number, int numerator, int denominator);

// uxtheme's answer type (looked up at run time by name).
typedef LONG HRESULT;
#define S_OK ((HRESULT)0)
#define E_HANDLE ((HRESULT)0x80070006L)

// ---------------------------------------------------------------------------------------------------
// Buttons, statics, combo boxes
#define BS_PUSHBUTTON 0x00000000L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_GROUPBOX 0x00000007L
#define BS_TYPEMASK 0x0000000FL
#define BN_CLICKED 0
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK 0x00F5
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001

#define SS_LEFT 0x00000000L
#define SS_ETCHEDFRAME 0x00000012L
#define SS_NOTIFY 0x00000100L
#define STN_CLICKED 0

#define CBS_DROPDOWNLIST 0x0003L
#define CB_ERR (-1)
#define CB_ADDSTRING 0x0143
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL 0x014E
#define CBN_SELCHANGE 1

// ---------------------------------------------------------------------------------------------------
// comctl32: the tab control
#define ICC_TAB_CLASSES 0x00000008
typedef struct tagINITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
} INITCOMMONCONTROLSEX;
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
void InitCommonControls();

#define WC_TABCONTROLA "SysTabControl32"
#define TCIF_TEXT 0x0001
#define TCM_FIRST 0x1300
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_INSERTITEMA (TCM_FIRST + 7)
#define TCM_INSERTITEMW (TCM_FIRST + 62)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_ADJUSTRECT (TCM_FIRST + 40)
#define TCN_FIRST (0U - 550U)
#define TCN_SELCHANGE (TCN_FIRST - 1)
#define TCN_SELCHANGING (TCN_FIRST - 2)

typedef struct tagTCITEMA {
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
} TCITEMA;
typedef struct tagTCITEMW {
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
} TCITEMW;

// ---------------------------------------------------------------------------------------------------
// gdi32: fonts and colours
#define LF_FACESIZE 32
#define FW_NORMAL 400
#define FW_BOLD 700
#define SHIFTJIS_CHARSET 128
#define DEFAULT_CHARSET 1
#define LOGPIXELSY 90
#define TRANSPARENT 1
#define OPAQUE 2
#define COLOR_WINDOWTEXT 8

typedef DWORD COLORREF;
#define RGB(r, g, b) \
  ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))

typedef struct tagLOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA;
typedef struct tagLOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
} LOGFONTW;

// The enumeration hands each face's LOGFONT; the metrics are not given here.
typedef struct tagTEXTMETRICA TEXTMETRICA;
typedef struct tagTEXTMETRICW TEXTMETRICW;
typedef int(CALLBACK* FONTENUMPROCA)(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM);
typedef int(CALLBACK* FONTENUMPROCW)(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM);

typedef struct tagSIZE {
  LONG cx;
  LONG cy;
} SIZE, *LPSIZE;
#define NULL_BRUSH 5

HFONT CreateFontIndirectA(const LOGFONTA* font);
BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, LPSIZE size);
HGDIOBJ GetStockObject(int object);
HFONT CreateFontIndirectW(const LOGFONTW* font);
int EnumFontFamiliesExA(HDC dc, LOGFONTA* font, FONTENUMPROCA proc, LPARAM param, DWORD flags);
int EnumFontFamiliesExW(HDC dc, LOGFONTW* font, FONTENUMPROCW proc, LPARAM param, DWORD flags);
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
int GetDeviceCaps(HDC dc, int index);
COLORREF SetTextColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);
DWORD GetSysColor(int index);

// ---------------------------------------------------------------------------------------------------
// shell32
HINSTANCE ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, INT showCmd);
