// TMediaPlayer's button bar: nine buttons that run the device operations, drawn from the bitmap
// resources, with the auto-enable rules that follow the device's state. The program never shows
// the bar, so its picture is kept plain: a raised or sunken frame around each button's bitmap.
#include <algorithm>

#include "mci/MPlayer.h"

namespace {

constexpr const char* kButtonNames[] = {"MPPLAY", "MPPAUSE", "MPSTOP",   "MPNEXT", "MPPREV",
                                        "MPSTEP", "MPBACK",  "MPRECORD", "MPEJECT"};
constexpr const char* kStatePrefixes[] = {"EN", "DI", "CL"};

constexpr int kBitmapMarginX = 8;
constexpr int kBitmapMarginY = 4;
constexpr int kFocusInset = 3;

bool Inside(const RECT& rect, int x, int y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

}  // namespace

TMediaPlayer::TMediaPlayer(vcl::TComponent* owner) : vcl::TCustomControl(owner) {
  SetBounds(0, 0, 240, 30);
  SetTabStop(true);
  int widest = 0;
  int tallest = 0;
  for (size_t b = 0; b < buttons_.size(); ++b) {
    for (size_t kind = 0; kind < buttons_[b].bitmaps.size(); ++kind) {
      vcl::TBitmap& bitmap = buttons_[b].bitmaps[kind];
      bitmap.LoadFromResourceName(vcl::Format("%s_%s", {kStatePrefixes[kind], kButtonNames[b]}));
      widest = std::max(widest, bitmap.Width());
      tallest = std::max(tallest, bitmap.Height());
    }
  }
  minButtonWidth_ = widest + kBitmapMarginX;
  minButtonHeight_ = tallest + kBitmapMarginY;
}

// ---------------------------------------------------------------------------------------------------
// Button sets

void TMediaPlayer::SetVisibleButtons(TButtonSet buttons) {
  visibleButtons_ = buttons;
  for (size_t b = 0; b < buttons_.size(); ++b) {
    buttons_[b].visible = buttons.Contains(static_cast<TMPBtnType>(b));
  }
  Invalidate();
}

void TMediaPlayer::SetEnabledButtons(TButtonSet buttons) {
  enabledButtons_ = buttons;
  for (size_t b = 0; b < buttons_.size(); ++b) {
    buttons_[b].enabled = buttons.Contains(static_cast<TMPBtnType>(b));
  }
  Invalidate();
}

void TMediaPlayer::SetColoredButtons(TButtonSet buttons) {
  coloredButtons_ = buttons;
  for (size_t b = 0; b < buttons_.size(); ++b) {
    buttons_[b].colored = buttons.Contains(static_cast<TMPBtnType>(b));
  }
  Invalidate();
}

void TMediaPlayer::SetAutoEnable(bool autoEnable) {
  if (autoEnable == autoEnable_) return;
  autoEnable_ = autoEnable;
  // Off, the bar shows EnabledButtons again; on, the device's state decides.
  Invalidate();
}

void TMediaPlayer::DrawAutoButtons() {
  for (size_t b = 0; b < buttons_.size(); ++b) {
    buttons_[b].autoEnabled = autoButtons_.Contains(static_cast<TMPBtnType>(b));
  }
  Invalidate();
}

void TMediaPlayer::AutoButtonSet(TMPBtnType button) {
  switch (button) {
    case btPlay:
    case btRecord:
      autoButtons_.Exclude(btPlay);
      autoButtons_.Exclude(btRecord);
      autoButtons_.Include(btPause);
      autoButtons_.Include(btStop);
      break;
    case btPause:
      if (canPlay_) autoButtons_.Include(btPlay);
      if (canRecord_) autoButtons_.Include(btRecord);
      break;
    case btStop:
    case btNext:
    case btPrev:
    case btStep:
    case btBack:
    case btEject:
      if (canPlay_) autoButtons_.Include(btPlay);
      if (canRecord_) autoButtons_.Include(btRecord);
      autoButtons_.Exclude(btPause);
      autoButtons_.Exclude(btStop);
      break;
  }
  DrawAutoButtons();
}

// ---------------------------------------------------------------------------------------------------
// Layout and picture

int TMediaPlayer::ButtonWidth() const {
  const int shown = static_cast<int>(
      std::count_if(buttons_.begin(), buttons_.end(), [](const Button& b) { return b.visible; }));
  if (shown == 0) return minButtonWidth_;
  return std::max(minButtonWidth_, Width() / shown);
}

RECT TMediaPlayer::ButtonRect(TMPBtnType button) const {
  if (!buttons_[button].visible) return RECT{};
  const int width = ButtonWidth();
  const int height = std::max(minButtonHeight_, Height());
  int left = 0;
  for (int b = btPlay; b < button; ++b) {
    if (buttons_[b].visible) left += width;
  }
  return RECT{left, 0, left + width, height};
}

void TMediaPlayer::Paint(HDC dc) {
  const RECT client{0, 0, Width(), Height()};
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  for (int b = btPlay; b <= btEject; ++b) {
    const auto button = static_cast<TMPBtnType>(b);
    if (!buttons_[b].visible) continue;
    RECT rect = ButtonRect(button);
    const bool down = pressed_ && pressedInside_ && pressedButton_ == button;
    DrawEdge(dc, &rect, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const bool usable = autoEnable_ ? buttons_[b].autoEnabled : buttons_[b].enabled;
    const BitmapKind kind = !usable               ? kDisabledBitmap
                            : buttons_[b].colored ? kColoredBitmap
                                                  : kEnabledBitmap;
    const vcl::TBitmap& bitmap = buttons_[b].bitmaps[kind];
    const int shift = down ? 1 : 0;
    bitmap.Draw(dc, rect.left + (rect.right - rect.left - bitmap.Width()) / 2 + shift,
                rect.top + (rect.bottom - rect.top - bitmap.Height()) / 2 + shift);
    if (Focused() && focusedButton_ == button) {
      const RECT focus{rect.left + kFocusInset, rect.top + kFocusInset, rect.right - kFocusInset,
                       rect.bottom - kFocusInset};
      DrawFocusRect(dc, &focus);
    }
  }
}

void TMediaPlayer::Resize() {
  Invalidate();
}

void TMediaPlayer::FocusChanged() {
  Invalidate();
  if (Focused()) {
    if (OnEnter) OnEnter(this);
  } else if (OnExit) {
    OnExit(this);
  }
}

// ---------------------------------------------------------------------------------------------------
// Mouse and keys

bool TMediaPlayer::Accepts(TMPBtnType button) const {
  return autoEnable_ ? buttons_[button].autoEnabled : buttons_[button].enabled;
}

void TMediaPlayer::MouseDown(int x, int y) {
  for (int b = btPlay; b <= btEject; ++b) {
    const auto button = static_cast<TMPBtnType>(b);
    if (!buttons_[b].visible) continue;
    const RECT rect = ButtonRect(button);
    if (!Inside(rect, x, y)) continue;
    if (!Accepts(button)) return;
    pressed_ = true;
    pressedInside_ = true;
    pressedButton_ = button;
    pressedRect_ = rect;
    focusedButton_ = button;
    // The release must come back here even when it happens outside the bar.
    SetCapture(Handle());
    Invalidate();
    return;
  }
}

void TMediaPlayer::MouseMove(int x, int y, bool /*leftButtonDown*/) {
  if (!pressed_) return;
  const bool inside = Inside(pressedRect_, x, y);
  if (inside == pressedInside_) return;
  pressedInside_ = inside;
  Invalidate();
}

void TMediaPlayer::MouseUp(int x, int y) {
  if (!pressed_) return;
  pressed_ = false;
  pressedInside_ = false;
  ReleaseCapture();
  Invalidate();
  if (Inside(pressedRect_, x, y)) ButtonClick(pressedButton_, true);
}

void TMediaPlayer::KeyDown(WORD key) {
  switch (key) {
    case VK_SPACE:
      if (buttons_[focusedButton_].enabled) ButtonClick(focusedButton_, false);
      break;
    case VK_LEFT:
      for (int b = focusedButton_ - 1; b >= btPlay; --b) {
        if (buttons_[b].visible) {
          focusedButton_ = static_cast<TMPBtnType>(b);
          Invalidate();
          break;
        }
      }
      break;
    case VK_RIGHT:
      for (int b = focusedButton_ + 1; b <= btEject; ++b) {
        if (buttons_[b].visible) {
          focusedButton_ = static_cast<TMPBtnType>(b);
          Invalidate();
          break;
        }
      }
      break;
    default:
      break;
  }
}

void TMediaPlayer::ButtonClick(TMPBtnType button, bool byMouse) {
  pressedButton_ = button;
  bool doDefault = true;
  DoClick(button, doDefault);
  if (doDefault) {
    RunButton(button);
    DoPostClick(button);
  }
  // Next and Previous that started a play leave btPlay as the pressed button.
  if (autoEnable_ && (!byMouse || (error_ == 0 && open_))) AutoButtonSet(pressedButton_);
}

void TMediaPlayer::RunButton(TMPBtnType button) {
  switch (button) {
    case btPlay:
      Play();
      break;
    case btPause:
      Pause();
      break;
    case btStop:
      Stop();
      break;
    case btNext:
      Next();
      break;
    case btPrev:
      Previous();
      break;
    case btStep:
      Step();
      break;
    case btBack:
      Back();
      break;
    case btRecord:
      StartRecording();
      break;
    case btEject:
      Eject();
      break;
  }
}

void TMediaPlayer::DoClick(TMPBtnType button, bool& doDefault) {
  if (OnClick) OnClick(this, button, doDefault);
}

void TMediaPlayer::DoPostClick(TMPBtnType button) {
  if (OnPostClick) OnPostClick(this, button);
}
