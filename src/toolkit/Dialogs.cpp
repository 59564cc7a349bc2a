#include "toolkit/Dialogs.h"

#include <cstring>

#include "toolkit/Forms.h"
#include "toolkit/WinText.h"

namespace vcl {
namespace {

// The box being shown on this thread: the hook that waits for it and the captions to give it.
struct PendingBox {
  HHOOK hook = nullptr;
  const std::vector<TButtonCaption>* buttons = nullptr;
};
thread_local PendingBox tls_pending;

void Unhook() {
  if (tls_pending.hook) UnhookWindowsHookEx(tls_pending.hook);
  tls_pending = PendingBox{};
}

bool IsDialogWindow(HWND window) {
  char cls[16] = "";
  GetClassNameA(window, cls, sizeof cls);
  return std::strcmp(cls, "#32770") == 0;
}

LRESULT CALLBACK BoxHook(int code, WPARAM wParam, LPARAM lParam) {
  const HHOOK hook = tls_pending.hook;
  if (code == HCBT_ACTIVATE && hook) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    if (IsDialogWindow(box)) {
      Guarded([&] {
        for (const TButtonCaption& button : *tls_pending.buttons) {
          if (HWND item = GetDlgItem(box, button.id)) SetWindowCaption(item, button.caption);
        }
      });
      // One box, once: the hook goes at once, before anything else is activated.
      Unhook();
    }
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

int MessageBoxWithCaptions(HWND owner, const std::string& text, const std::string& caption,
                           UINT type, const std::vector<TButtonCaption>& buttons) {
  Unhook();
  tls_pending.buttons = &buttons;
  tls_pending.hook = SetWindowsHookExA(WH_CBT, &BoxHook, nullptr, GetCurrentThreadId());
  // Without the hook the box still asks its question, with the system's captions.
  const int answer = ShowMessageBox(owner, text, caption, type);
  Unhook();
  return answer;
}

}  // namespace vcl
