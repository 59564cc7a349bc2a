// Unit MPlayer: the media device component. TMediaPlayer wraps one MCI device: it opens it, sends
// the transport and status commands, keeps the MCI error of the last command and turns completion
// messages into OnNotify. It is also a bar of nine buttons that run the same operations.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "platform/win32.h"
#include "toolkit/Bitmaps.h"
#include "toolkit/CustomControl.h"
#include "toolkit/SysUtils.h"

enum TMPBtnType : uint8_t {
  btPlay,
  btPause,
  btStop,
  btNext,
  btPrev,
  btStep,
  btBack,
  btRecord,
  btEject
};

enum TMPDeviceTypes : uint8_t {
  dtAutoSelect,
  dtAVIVideo,
  dtCDAudio,
  dtDAT,
  dtDigitalVideo,
  dtMMMovie,
  dtOther,
  dtOverlay,
  dtScanner,
  dtSequencer,
  dtVCR,
  dtVideodisc,
  dtWaveAudio
};

// The MCI mode number minus MCI_MODE_NOT_READY.
enum TMPMode : uint8_t {
  mpNotReady,
  mpStopped,
  mpPlaying,
  mpRecording,
  mpSeeking,
  mpPaused,
  mpOpen
};

enum TMPNotifyValue : uint8_t { nvSuccessful, nvSuperseded, nvAborted, nvFailure };

enum TMPDevCaps : uint8_t { cpCanStep, cpCanEject, cpCanPlay, cpCanRecord, cpHasVideo };

// A set of enumeration values held in the bits of `Bits`, bit n standing for value n.
template <class E, class Bits>
class TSmallSet {
 public:
  constexpr TSmallSet() = default;
  constexpr TSmallSet(std::initializer_list<E> values) {
    for (E value : values) Include(value);
  }
  static constexpr TSmallSet FromBits(Bits bits) {
    TSmallSet set;
    set.bits_ = bits;
    return set;
  }
  constexpr Bits ToBits() const { return bits_; }
  constexpr bool Contains(E value) const { return (bits_ >> value & 1) != 0; }
  constexpr void Include(E value) { bits_ = static_cast<Bits>(bits_ | 1u << value); }
  constexpr void Exclude(E value) { bits_ = static_cast<Bits>(bits_ & ~(1u << value)); }
  constexpr bool operator==(const TSmallSet&) const = default;

 private:
  Bits bits_ = 0;
};

using TButtonSet = TSmallSet<TMPBtnType, uint16_t>;
using TMPDevCapsSet = TSmallSet<TMPDevCaps, uint8_t>;

inline constexpr TButtonSet kAllButtons = TButtonSet::FromBits(0x1FF);

using EMPNotify = std::function<void(vcl::TObject* sender, TMPBtnType button, bool& doDefault)>;
using EMPPostNotify = std::function<void(vcl::TObject* sender, TMPBtnType button)>;

// Raised when an operation needs an open device and there is none, and when opening fails.
class EMCIDeviceError : public vcl::Exception {
  using Exception::Exception;
};

class TMediaPlayer : public vcl::TCustomControl {
 public:
  explicit TMediaPlayer(vcl::TComponent* owner);
  ~TMediaPlayer() override;

  // --- Device ---------------------------------------------------------------------------------
  void Open();
  void Close();
  void Play();
  void StartRecording();
  void Stop();
  // Pauses a playing device, resumes a paused one, and leaves any other alone.
  void Pause();
  void PauseOnly();
  // Continues a pause; a device that refuses is sent a play instead.
  void Resume();
  void Next();
  void Previous();
  void Eject();
  void Rewind();
  void Step();
  void Back();

  // --- Status (each asks the device) ----------------------------------------------------------
  DWORD Length();
  DWORD Position();
  DWORD Tracks();
  TMPMode Mode();
  uint8_t TimeFormat();
  void SetTimeFormat(uint8_t format);
  // The start of track `track` in the current time format; its error is not kept.
  DWORD TrackPosition(DWORD track);
  std::string ErrorMessage() const;

  MCIERROR Error() const { return error_; }
  WORD DeviceID() const { return deviceId_; }
  TMPNotifyValue NotifyValue() const { return notifyValue_; }
  TMPDevCapsSet Capabilities() const { return capabilities_; }

  // --- One-shot settings: each write applies to the next command only -------------------------
  bool Notify() const { return notify_; }
  void SetNotify(bool notify);
  bool Wait() const { return wait_; }
  void SetWait(bool wait);
  DWORD StartPos() const { return startPos_; }
  void SetStartPos(DWORD position);
  DWORD EndPos() const { return endPos_; }
  void SetEndPos(DWORD position);

  // --- Stored properties ----------------------------------------------------------------------
  TMPDeviceTypes DeviceType() const { return deviceType_; }
  // Takes effect at the next Open.
  void SetDeviceType(TMPDeviceTypes type) { deviceType_ = type; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }
  bool AutoEnable() const { return autoEnable_; }
  void SetAutoEnable(bool autoEnable);
  bool AutoOpen() const { return autoOpen_; }
  void SetAutoOpen(bool autoOpen) { autoOpen_ = autoOpen; }
  bool AutoRewind() const { return autoRewind_; }
  void SetAutoRewind(bool autoRewind) { autoRewind_ = autoRewind; }
  bool Shareable() const { return shareable_; }
  void SetShareable(bool shareable) { shareable_ = shareable; }
  vcl::TControl* Display() const { return display_; }
  void SetDisplay(vcl::TControl* display);
  int32_t Frames() const { return frames_; }
  void SetFrames(int32_t frames) { frames_ = frames; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool showHint) { showHint_ = showHint; }
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool parentShowHint) { parentShowHint_ = parentShowHint; }

  // --- Button bar -----------------------------------------------------------------------------
  TButtonSet VisibleButtons() const { return visibleButtons_; }
  void SetVisibleButtons(TButtonSet buttons);
  TButtonSet EnabledButtons() const { return enabledButtons_; }
  void SetEnabledButtons(TButtonSet buttons);
  TButtonSet ColoredButtons() const { return coloredButtons_; }
  void SetColoredButtons(TButtonSet buttons);
  // The buttons the device's state enables while AutoEnable is on.
  TButtonSet AutoEnabledButtons() const { return autoButtons_; }
  TMPBtnType FocusedButton() const { return focusedButton_; }
  // Where button `button` lies in the bar (empty when it is not visible).
  RECT ButtonRect(TMPBtnType button) const;

  EMPNotify OnClick;
  EMPPostNotify OnPostClick;
  vcl::TNotifyEvent OnNotify;
  vcl::TNotifyEvent OnEnter;
  vcl::TNotifyEvent OnExit;

  void Loaded() override;

 protected:
  // The auto-enable rule of a button.
  virtual void AutoButtonSet(TMPBtnType button);
  virtual void DoClick(TMPBtnType button, bool& doDefault);
  virtual void DoPostClick(TMPBtnType button);
  virtual void DoNotify();

  void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
  const char* WindowClassName() const override { return "TMediaPlayer"; }
  void Paint(HDC dc) override;
  void KeyDown(WORD key) override;
  void MouseDown(int x, int y) override;
  void MouseMove(int x, int y, bool leftButtonDown) override;
  void MouseUp(int x, int y) override;
  void FocusChanged() override;
  void Resize() override;
  UINT DialogCode() const override { return DLGC_WANTARROWS; }
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  enum BitmapKind { kEnabledBitmap, kDisabledBitmap, kColoredBitmap };
  struct Button {
    bool visible = true;
    bool enabled = true;
    bool colored = true;
    bool autoEnabled = false;
    std::array<vcl::TBitmap, 3> bitmaps;
  };

  void CheckOpen() const;
  DWORD_PTR CallbackWindow();
  // The one-shot flag rules: A for the synchronous commands, B for the plays.
  DWORD RuleA();
  DWORD RuleB(DWORD& from, DWORD& to);
  MCIERROR Send(UINT command, DWORD flags, void* record);
  // A command whose record is only the callback, with rule A's flags.
  MCIERROR SendGeneric(UINT command);
  // Next and Previous: to the track start `target`, playing on when the disc plays.
  void GoToTrackStart(DWORD target, DWORD flags, TMPMode mode);
  // MCI_STATUS with MCI_WAIT + MCI_STATUS_ITEM (+ MCI_TRACK); 0 when the device gives no answer.
  DWORD_PTR Status(DWORD item, bool keepError, const DWORD* track = nullptr);
  void QueryCapabilities();
  void Seek(DWORD flags, DWORD to);
  void SendWindow(HWND window);
  void MciNotify(WPARAM outcome);

  void DrawAutoButtons();
  bool Accepts(TMPBtnType button) const;
  void ButtonClick(TMPBtnType button, bool byMouse);
  void RunButton(TMPBtnType button);
  int ButtonWidth() const;

  std::array<Button, 9> buttons_;
  TButtonSet visibleButtons_ = kAllButtons;
  TButtonSet enabledButtons_ = kAllButtons;
  TButtonSet coloredButtons_ = kAllButtons;
  TButtonSet autoButtons_;
  bool pressed_ = false;
  bool pressedInside_ = false;
  TMPBtnType pressedButton_ = btPlay;
  RECT pressedRect_{};
  int minButtonWidth_ = 0;
  int minButtonHeight_ = 0;
  TMPBtnType focusedButton_ = btPlay;

  bool open_ = false;
  TMPDevCapsSet capabilities_;
  bool canPlay_ = false;
  bool canStep_ = false;
  bool canEject_ = false;
  bool canRecord_ = false;
  bool hasVideo_ = false;
  bool wait_ = false;
  bool notify_ = false;
  bool waitPending_ = false;
  bool notifyPending_ = false;
  bool fromPending_ = false;
  bool toPending_ = false;
  WORD deviceId_ = 0;
  TMPDeviceTypes deviceType_ = dtAutoSelect;
  DWORD endPos_ = 0;
  DWORD startPos_ = 0;
  int32_t frames_ = 0;
  MCIERROR error_ = 0;
  TMPNotifyValue notifyValue_ = nvSuccessful;
  vcl::TControl* display_ = nullptr;
  int displayWidth_ = 0;
  int displayHeight_ = 0;
  std::string fileName_;
  bool autoEnable_ = true;
  bool autoOpen_ = false;
  bool autoRewind_ = true;
  bool shareable_ = false;
  bool showHint_ = false;
  bool parentShowHint_ = true;
};

// Registers TMediaPlayer and its stored properties for form definitions (once per process).
void RegisterMPlayerClasses();
