#include "toolkit/Forms.h"

#include <cstdio>
#include <exception>

#include "toolkit/ComCtrls.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/FormReader.h"
#include "toolkit/Menus.h"
#include "toolkit/StdCtrls.h"
#include "toolkit/SysUtils.h"
#include "toolkit/WinText.h"

namespace vcl {

ProcessPointer<TApplication> Application;
ProcessPointer<TScreen> Screen;

namespace {

constexpr const char* kApplicationClass = "TApplication";
// Non-client frame of a dialog-bordered form, for its window rectangle.
constexpr int kFrameWidth = 3;
constexpr int kCaptionHeight = 19;

LRESULT CALLBACK ApplicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string ExceptionMessage() {
  try {
    throw;
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown error";
  }
}

}  // namespace

void HandleGuardedException() {
  if (Application) {
    Application->HandleException();
    return;
  }
  std::fputs("unhandled error with no application: ", stderr);
  std::fputs(ExceptionMessage().c_str(), stderr);
  std::fputc('\n', stderr);
  std::terminate();
}

// ---------------------------------------------------------------------------------------------------

TApplication::TApplication() : TComponent(nullptr) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &ApplicationWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kApplicationClass;
  RegisterClassA(&wc);
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  // Until a title is set, the application is called by its exe's name without the extension.
  std::string name = path;
  name = name.substr(name.find_last_of("\\:") + 1);
  if (auto dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);
  title_ = name;
  // The window that carries the taskbar button: visible, but of no size.
  handle_ = CreateWindowExA(0, kApplicationClass, title_.c_str(),
                            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, 0, 0,
                            0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TApplication::~TApplication() {
  // The forms go before the window they live beside.
  while (ComponentCount() > 0) Free(Components(ComponentCount() - 1));
  if (handle_) DestroyWindow(handle_);
}

void TApplication::SetTitle(std::string title) {
  title_ = std::move(title);
  if (handle_) SetWindowTextA(handle_, title_.c_str());
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove && component == mainForm_) mainForm_ = nullptr;
}

void TApplication::Run() {
  if (showMainForm_ && mainForm_) mainForm_->Show();
  // Idle, the thread sleeps in GetMessage until the next message or timer.
  MSG msg;
  while (!terminated_) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      terminated_ = true;
    } else {
      DispatchTaken(msg);
    }
  }
}

void TApplication::Terminate() {
  PostQuitMessage(0);
}

bool TApplication::ProcessMessage() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    // Posted again, as every loop inside another must: a message box that called us would
    // otherwise wait for its user although the program was asked to end.
    PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  } else {
    DispatchTaken(msg);
  }
  return true;
}

void TApplication::DispatchTaken(MSG& msg) {
  bool handled = false;
  if (OnMessage) Guarded([&] { OnMessage(msg, handled); });
  // The shown dialog's keys: Tab and Shift+Tab between its controls, the space bar on a check box.
  if (!handled && mainForm_ && mainForm_->Visible() && mainForm_->HandleAllocated()) {
    handled = mainForm_->PageKey(msg) || IsDialogMessageText(mainForm_->Handle(), &msg);
  }
  if (!handled) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

void TApplication::HandleException() {
  ShowException(ExceptionMessage());
}

void TApplication::ShowException(std::string message) {
  size_t last = LastCharOffset(message);
  if (last != std::string::npos && static_cast<unsigned char>(message[last]) > '.') message += '.';
  ShowMessageBox(handle_, message, title_, MB_OK | MB_ICONSTOP);
}

// ---------------------------------------------------------------------------------------------------

HCURSOR TScreen::Cursors(int index) const {
  auto it = cursors_.find(index);
  return it == cursors_.end() ? nullptr : it->second;
}

void TScreen::SetCursors(int index, HCURSOR cursor) {
  cursors_[index] = cursor;
}

// ---------------------------------------------------------------------------------------------------

TForm::TForm(TComponent* owner) : TControl(owner) {
  TControl::SetVisible(false);
}

TForm::~TForm() {
  if (handle_) {
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
  // The fonts go after the windows that used them.
  if (formFont_) DeleteObject(formFont_);
  for (const auto& [control, font] : ownFonts_) DeleteObject(font);
}

TNotifyEvent TForm::MethodAddress(std::string_view name) const {
  auto it = methods_.find(name);
  return it == methods_.end() ? TNotifyEvent() : it->second;
}

void TForm::RegisterMethod(std::string name, TNotifyEvent handler) {
  methods_[std::move(name)] = std::move(handler);
}

void TForm::ReadDefinition(std::string_view definition) {
  ReadFormDefinition(*this, definition);
}

void TForm::AfterConstruction() {
  if (OnCreate) Guarded([&] { OnCreate(this); });
}

HWND TForm::Handle() {
  if (!handle_) {
    std::string cls = ClassName();
    RegisterWindowClass(&TForm::WindowProc, cls.c_str(), GetSysColorBrush(COLOR_BTNFACE));
    // A dialog frame without a system menu or any title-bar button; placed and sized by Layout.
    handle_ = CreateWindowText(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, cls.c_str(), Caption(),
                               WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, Left(), Top(),
                               clientWidth_ + 2 * kFrameWidth,
                               clientHeight_ + kCaptionHeight + 2 * kFrameWidth,
                               Application ? Application->Handle() : nullptr, 0);
    if (!handle_) throw EOutOfResources("Error creating window");
    SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  return handle_;
}

void TForm::SetVisible(bool visible) {
  TControl::SetVisible(visible);
  if (!visible && !handle_) return;
  const bool first = visible && !controlsMade_;
  if (visible) CreateControlWindows();
  // The keyboard starts at the first control in its order; later it is where the user left it.
  if (first) savedFocus_ = firstFocus_;
  ShowWindow(Handle(), visible ? SW_SHOW : SW_HIDE);
  if (!visible) return;
  // A tray program's dialog comes to the front when it is asked for. Its activation puts the
  // focus back; a form in front already (the tray's menu made it so) gets no activation, and
  // one Windows kept from the front is activated by the focus put on it.
  SetForegroundWindow(handle_);
  HWND focus = GetFocus();
  if (focus == handle_ || !IsInside(handle_, focus)) RestoreFocus();
}

bool TForm::IsInside(HWND ancestor, HWND window) const {
  while (window) {
    if (window == ancestor) return true;
    // Above the form is its owner, which is not around it.
    if (window == handle_) return false;
    window = GetParent(window);
  }
  return false;
}

void TForm::Activated(bool active) {
  if (active) {
    RestoreFocus();
    return;
  }
  HWND focus = GetFocus();
  if (focus && focus != handle_ && IsInside(handle_, focus)) savedFocus_ = focus;
}

void TForm::RestoreFocus() {
  HWND target = savedFocus_;
  // One disabled or hidden since is passed over, as the Tab key would.
  for (HWND w = target; w && w != handle_; w = GetParent(w)) {
    if (!IsWindowVisible(w) || !IsWindowEnabled(w)) {
      target = GetNextDlgTabItem(handle_, savedFocus_, FALSE);
      break;
    }
  }
  if (target) SetFocus(target);
}

void TForm::MoveFocusFrom(HWND window) {
  if (!handle_ || !window) return;
  const bool focused = IsInside(window, GetFocus());
  const bool saved = IsInside(window, savedFocus_);
  if (!focused && !saved) return;
  HWND next = GetNextDlgTabItem(handle_, window, FALSE);
  if (next && IsInside(window, next)) next = nullptr;
  if (saved) savedFocus_ = next;
  if (focused) SetFocus(next ? next : handle_);
}

bool TForm::PageKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0) return false;
  bool forward = true;
  switch (msg.wParam) {
    case VK_TAB:
      forward = GetKeyState(VK_SHIFT) >= 0;
      break;
    case VK_NEXT:
      break;
    case VK_PRIOR:
      forward = false;
      break;
    default:
      return false;
  }
  if (!handle_ || !IsInside(handle_, msg.hwnd)) return false;
  for (int i = 0; i < ComponentCount(); ++i) {
    if (auto* pages = dynamic_cast<TPageControl*>(Components(i))) {
      pages->SelectNextPage(forward);
      return true;
    }
  }
  return false;
}

void TForm::SetCaption(std::string caption) {
  TControl::SetCaption(std::move(caption));
  if (handle_) SetWindowCaption(handle_, Caption());
}

void TForm::Show() {
  SetVisible(true);
}
void TForm::Hide() {
  SetVisible(false);
}

void TForm::Close() {
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else {
    Hide();
  }
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    Close();
    return 0;
  }
  // A minimized form is left to Windows.
  if (message == WM_ACTIVATE && HIWORD(wParam) == 0) {
    Activated(LOWORD(wParam) != WA_INACTIVE);
    return 0;
  }
  LRESULT result = 0;
  if (ControlMessage(message, wParam, lParam, result)) return result;
  return DefWindowProcText(handle_, message, wParam, lParam);
}

LRESULT CALLBACK TForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcText(window, message, wParam, lParam);
  LRESULT result = 0;
  Guarded([&] { result = self->WndProc(message, wParam, lParam); });
  return result;
}

// ---------------------------------------------------------------------------------------------------

void RegisterToolkitClasses() {
  // Once, by the first caller: the initialisation of a function-local static is thread-safe.
  static const bool registered = [] {
    RegisterMenuClasses();
    auto& r = TClassRegistry::Instance();
    TClassInfo control{"TControl", "", nullptr, {}};
    control.properties["Left"] =
        ValueProperty<TControl>([](auto& c, auto& v) { c.SetLeft(v.AsInt()); });
    control.properties["Top"] =
        ValueProperty<TControl>([](auto& c, auto& v) { c.SetTop(v.AsInt()); });
    control.properties["Width"] =
        ValueProperty<TControl>([](auto& c, auto& v) { c.SetWidth(v.AsInt()); });
    control.properties["Height"] =
        ValueProperty<TControl>([](auto& c, auto& v) { c.SetHeight(v.AsInt()); });
    control.properties["Caption"] =
        ValueProperty<TControl>([](auto& c, auto& v) { c.SetCaption(v.AsString()); });
    control.properties["Enabled"] =
        ValueProperty<TControl>([](auto& c, auto& v) { c.SetEnabled(v.AsBool()); });
    control.properties["Visible"] =
        ValueProperty<TControl>([](auto& c, auto& v) { c.SetVisible(v.AsBool()); });
    control.properties["Cursor"] =
        ValueProperty<TControl>([](auto& c, auto& v) { c.SetCursor(v.AsInt()); });
    control.properties["TabOrder"] =
        ValueProperty<TControl>([](auto& c, auto& v) { c.SetTabOrder(v.AsInt()); });
    // The control's own font: a character height (negative, as stored), bold or underlined, and
    // a colour (clBlack, clBlue).
    control.properties["Font.Height"] = ValueProperty<TControl>(
        [](auto& c, auto& v) { c.FontStyle().height = v.AsInt() < 0 ? -v.AsInt() : v.AsInt(); });
    control.properties["Font.Style"] = ValueProperty<TControl>([](auto& c, auto& v) {
      for (const std::string& style : v.AsSet()) {
        if (style == "fsBold") {
          c.FontStyle().bold = true;
        } else if (style == "fsUnderline") {
          c.FontStyle().underline = true;
        } else {
          throw EReadError("unknown font style " + style);
        }
      }
    });
    control.properties["Font.Color"] = ValueProperty<TControl>([](auto& c, auto& v) {
      const std::string& color = v.AsIdentifier();
      c.FontStyle().hasColor = true;
      if (color == "clBlack") {
        c.FontStyle().color = RGB(0, 0, 0);
      } else if (color == "clBlue") {
        c.FontStyle().color = RGB(0, 0, 255);
      } else {
        throw EReadError("unknown colour " + color);
      }
    });
    control.properties["OnClick"] = EventProperty<TControl>(&TControl::OnClick);
    r.Register(control);

    auto simple = [&](const char* name, auto create) {
      r.Register(TClassInfo{name, "TControl", create, {}});
    };
    simple("TLabel", [](TComponent* o) -> TComponent* { return new TLabel(o); });
    simple("TGroupBox", [](TComponent* o) -> TComponent* { return new TGroupBox(o); });
    simple("TButton", [](TComponent* o) -> TComponent* { return new TButton(o); });
    simple("TTabSheet", [](TComponent* o) -> TComponent* { return new TTabSheet(o); });
    simple("TPanel", [](TComponent* o) -> TComponent* { return new TPanel(o); });

    TClassInfo pages{"TPageControl",
                     "TControl",
                     [](TComponent* o) -> TComponent* { return new TPageControl(o); },
                     {}};
    pages.properties["ActivePage"] = ReferenceProperty<TPageControl>([](auto& p, TComponent* page) {
      int index = 0;
      for (int i = 0; i < p.Owner()->ComponentCount(); ++i) {
        auto* sheet = dynamic_cast<TTabSheet*>(p.Owner()->Components(i));
        if (!sheet || sheet->Parent() != &p) continue;
        if (sheet == page) p.SetActivePageIndex(index);
        ++index;
      }
    });
    r.Register(pages);

    TClassInfo check{
        "TCheckBox", "TControl", [](TComponent* o) -> TComponent* { return new TCheckBox(o); }, {}};
    check.properties["Checked"] =
        ValueProperty<TCheckBox>([](auto& c, auto& v) { c.SetChecked(v.AsBool()); });
    r.Register(check);

    TClassInfo combo{
        "TComboBox", "TControl", [](TComponent* o) -> TComponent* { return new TComboBox(o); }, {}};
    combo.properties["Style"] = ValueProperty<TComboBox>([](auto&, auto& v) {
      if (v.AsIdentifier() != "csDropDownList")
        throw EReadError("only csDropDownList is supported");
    });
    combo.properties["OnChange"] = EventProperty<TComboBox>(&TComboBox::OnChange);
    r.Register(combo);

    TClassInfo timer{"TTimer", "", [](TComponent* o) -> TComponent* { return new TTimer(o); }, {}};
    timer.properties["Enabled"] =
        ValueProperty<TTimer>([](auto& t, auto& v) { t.SetEnabled(v.AsBool()); });
    timer.properties["Interval"] = ValueProperty<TTimer>(
        [](auto& t, auto& v) { t.SetInterval(static_cast<unsigned>(v.AsInt())); });
    timer.properties["OnTimer"] =
        EventSetter<TTimer>([](TTimer& t, TNotifyEvent e) { t.SetOnTimer(std::move(e)); });
    r.Register(timer);

    TClassInfo form{"TForm", "TControl", nullptr, {}};
    form.properties["ClientWidth"] =
        ValueProperty<TForm>([](auto& f, auto& v) { f.SetClientWidth(v.AsInt()); });
    form.properties["ClientHeight"] =
        ValueProperty<TForm>([](auto& f, auto& v) { f.SetClientHeight(v.AsInt()); });
    form.properties["OnCreate"] = EventProperty<TForm>(&TForm::OnCreate);
    r.Register(form);
    return true;
  }();
  (void)registered;
}

}  // namespace vcl
