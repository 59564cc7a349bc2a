// TMediaPlayer's device side: opening and closing, the transport commands, the status queries and
// the completion messages.
#include "mci/MPlayer.h"

#include "toolkit/Forms.h"

namespace {

constexpr const char* kNoDevice = "MCI ﾃﾞﾊﾞｲｽがありません";
constexpr const char* kUnknownError = "原因不明のｴﾗｰ";
constexpr UINT kErrorTextSize = 4096;

// MCI_OPEN's device-type strings, by TMPDeviceTypes (none for dtAutoSelect).
constexpr const char* kDeviceTypeNames[] = {
    nullptr,   "AVIVideo", "CDAudio",   "DAT", "DigitalVideo", "MMMovie",  "Other",
    "Overlay", "Scanner",  "Sequencer", "VCR", "Videodisc",    "WaveAudio"};

// Status queries and capability queries always wait for their answer and name their item.
constexpr DWORD kQueryFlags = MCI_WAIT | MCI_STATUS_ITEM;
constexpr DWORD kRewindFlags = MCI_WAIT | MCI_SEEK_TO_START;
constexpr DWORD kWindowFlags = MCI_WAIT | MCI_ANIM_WINDOW_HWND;

BYTE TrackOf(DWORD tmsf) {
  return static_cast<BYTE>(tmsf & 0xFF);
}
BYTE MinutesOf(DWORD tmsf) {
  return static_cast<BYTE>(tmsf >> 8 & 0xFF);
}
BYTE SecondsOf(DWORD tmsf) {
  return static_cast<BYTE>(tmsf >> 16 & 0xFF);
}

HWND WindowOf(vcl::TControl* control) {
  if (auto* custom = dynamic_cast<vcl::TCustomControl*>(control)) return custom->Handle();
  if (auto* form = dynamic_cast<vcl::TForm*>(control)) return form->Handle();
  return nullptr;
}

}  // namespace

TMediaPlayer::~TMediaPlayer() {
  if (deviceId_ != 0) {
    // The window is not made now just to be named: a close that waits needs none.
    MCI_GENERIC_PARMS parms{};
    mciSendCommandA(deviceId_, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms));
  }
}

void TMediaPlayer::CheckOpen() const {
  if (!open_) throw EMCIDeviceError(kNoDevice);
}

DWORD_PTR TMediaPlayer::CallbackWindow() {
  return reinterpret_cast<DWORD_PTR>(Handle());
}

MCIERROR TMediaPlayer::Send(UINT command, DWORD flags, void* record) {
  return mciSendCommandA(deviceId_, command, flags, reinterpret_cast<DWORD_PTR>(record));
}

DWORD TMediaPlayer::RuleA() {
  DWORD flags = 0;
  if (waitPending_) {
    if (wait_) flags |= MCI_WAIT;
    waitPending_ = false;
  } else {
    flags |= MCI_WAIT;
  }
  if (notifyPending_) {
    if (notify_) flags |= MCI_NOTIFY;
    notifyPending_ = false;
  }
  return flags;
}

DWORD TMediaPlayer::RuleB(DWORD& from, DWORD& to) {
  DWORD flags = 0;
  if (notifyPending_) {
    if (notify_) flags |= MCI_NOTIFY;
    notifyPending_ = false;
  } else {
    flags |= MCI_NOTIFY;
  }
  if (waitPending_) {
    if (wait_) flags |= MCI_WAIT;
    waitPending_ = false;
  }
  if (fromPending_) {
    flags |= MCI_FROM;
    from = startPos_;
    fromPending_ = false;
  }
  if (toPending_) {
    flags |= MCI_TO;
    to = endPos_;
    toPending_ = false;
  }
  return flags;
}

void TMediaPlayer::SetNotify(bool notify) {
  notify_ = notify;
  notifyPending_ = true;
}

void TMediaPlayer::SetWait(bool wait) {
  wait_ = wait;
  waitPending_ = true;
}

void TMediaPlayer::SetStartPos(DWORD position) {
  startPos_ = position;
  fromPending_ = true;
}

void TMediaPlayer::SetEndPos(DWORD position) {
  endPos_ = position;
  toPending_ = true;
}

// ---------------------------------------------------------------------------------------------------

void TMediaPlayer::Open() {
  if (open_) Close();
  MCI_OPEN_PARMSA parms{};
  DWORD flags = RuleA();
  if (!fileName_.empty()) {
    flags |= MCI_OPEN_ELEMENT;
    parms.lpstrElementName = fileName_.c_str();
  }
  if (deviceType_ != dtAutoSelect) {
    flags |= MCI_OPEN_TYPE;
    parms.lpstrDeviceType = kDeviceTypeNames[deviceType_];
  }
  if (shareable_) flags |= MCI_OPEN_SHAREABLE;
  parms.dwCallback = CallbackWindow();
  error_ = mciSendCommandA(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&parms));
  if (error_ != 0) throw EMCIDeviceError(ErrorMessage());
  open_ = true;
  deviceId_ = LOWORD(parms.wDeviceID);

  frames_ = static_cast<int32_t>(Length()) / 10;
  QueryCapabilities();
  if (hasVideo_) {
    if (display_) SetDisplay(display_);
    MCI_ANIM_RECT_PARMS where{};
    if (Send(MCI_WHERE, MCI_ANIM_WHERE_DESTINATION, &where) == 0) {
      displayWidth_ = where.rc.right - where.rc.left;
      displayHeight_ = where.rc.bottom - where.rc.top;
    }
  }
  if (deviceType_ == dtCDAudio || deviceType_ == dtVideodisc) SetTimeFormat(MCI_FORMAT_TMSF);

  autoButtons_ = canStep_ ? TButtonSet{btNext, btPrev, btStep, btBack} : TButtonSet{btNext, btPrev};
  if (canPlay_) autoButtons_.Include(btPlay);
  if (canRecord_) autoButtons_.Include(btRecord);
  if (canEject_) autoButtons_.Include(btEject);
  if (Mode() == mpPlaying) AutoButtonSet(btPlay);
  DrawAutoButtons();
}

void TMediaPlayer::QueryCapabilities() {
  capabilities_ = {};
  const auto ask = [this](DWORD item) {
    MCI_GETDEVCAPS_PARMS parms{};
    parms.dwItem = item;
    Send(MCI_GETDEVCAPS, kQueryFlags, &parms);
    return parms.dwReturn;
  };
  canPlay_ = LOBYTE(ask(MCI_GETDEVCAPS_CAN_PLAY)) != 0;
  if (canPlay_) capabilities_.Include(cpCanPlay);
  canRecord_ = LOBYTE(ask(MCI_GETDEVCAPS_CAN_RECORD)) != 0;
  if (canRecord_) capabilities_.Include(cpCanRecord);
  canEject_ = LOBYTE(ask(MCI_GETDEVCAPS_CAN_EJECT)) != 0;
  if (canEject_) capabilities_.Include(cpCanEject);
  hasVideo_ = LOBYTE(ask(MCI_GETDEVCAPS_HAS_VIDEO)) != 0;
  if (hasVideo_) capabilities_.Include(cpHasVideo);
  const DWORD type = ask(MCI_GETDEVCAPS_DEVICE_TYPE);
  canStep_ = type == MCI_DEVTYPE_VCR || type == MCI_DEVTYPE_OVERLAY ||
             type == MCI_DEVTYPE_ANIMATION || type == MCI_DEVTYPE_DIGITAL_VIDEO;
  if (canStep_) capabilities_.Include(cpCanStep);

  MCI_ANIM_RECT_PARMS where{};
  error_ = Send(MCI_WHERE, MCI_ANIM_WHERE_SOURCE, &where);
  displayWidth_ = where.rc.right - where.rc.left;
  displayHeight_ = where.rc.bottom - where.rc.top;
}

MCIERROR TMediaPlayer::SendGeneric(UINT command) {
  MCI_GENERIC_PARMS parms{};
  const DWORD flags = RuleA();
  parms.dwCallback = CallbackWindow();
  return Send(command, flags, &parms);
}

void TMediaPlayer::Close() {
  if (deviceId_ == 0) return;
  error_ = SendGeneric(MCI_CLOSE);
  if (error_ != 0) return;
  open_ = false;
  deviceId_ = 0;
  autoButtons_ = {};
  DrawAutoButtons();
}

void TMediaPlayer::Play() {
  CheckOpen();
  if (autoRewind_) {
    const DWORD position = Position();
    const DWORD length = Length();
    if (position == length && !fromPending_ && !toPending_) Rewind();
  }
  MCI_PLAY_PARMS parms{};
  const DWORD flags = RuleB(parms.dwFrom, parms.dwTo);
  parms.dwCallback = CallbackWindow();
  error_ = Send(MCI_PLAY, flags, &parms);
}

void TMediaPlayer::StartRecording() {
  CheckOpen();
  MCI_RECORD_PARMS parms{};
  const DWORD flags = RuleB(parms.dwFrom, parms.dwTo);
  parms.dwCallback = CallbackWindow();
  error_ = Send(MCI_RECORD, flags, &parms);
}

void TMediaPlayer::Stop() {
  CheckOpen();
  error_ = SendGeneric(MCI_STOP);
}

void TMediaPlayer::PauseOnly() {
  CheckOpen();
  error_ = SendGeneric(MCI_PAUSE);
}

void TMediaPlayer::Resume() {
  CheckOpen();
  // Rule B without its positions; the markers stay for the play that stands in for a refusal.
  DWORD flags = 0;
  if (notifyPending_) {
    if (notify_) flags |= MCI_NOTIFY;
  } else {
    flags |= MCI_NOTIFY;
  }
  if (waitPending_ && wait_) flags |= MCI_WAIT;
  MCI_GENERIC_PARMS parms{};
  parms.dwCallback = CallbackWindow();
  error_ = Send(MCI_RESUME, flags, &parms);
  if (error_ == 0) {
    notifyPending_ = false;
    waitPending_ = false;
  } else {
    Play();
  }
}

void TMediaPlayer::Pause() {
  CheckOpen();
  if (Mode() == mpPlaying) {
    PauseOnly();
  } else if (Mode() == mpPaused) {
    Resume();
  }
}

void TMediaPlayer::Seek(DWORD flags, DWORD to) {
  MCI_SEEK_PARMS parms{};
  parms.dwCallback = CallbackWindow();
  parms.dwTo = to;
  error_ = Send(MCI_SEEK, flags, &parms);
}

void TMediaPlayer::Next() {
  CheckOpen();
  const DWORD flags = RuleA();
  if (TimeFormat() != MCI_FORMAT_TMSF) {
    Seek(flags | MCI_SEEK_TO_END, 0);
    return;
  }
  const TMPMode mode = Mode();
  const BYTE track = TrackOf(Position());
  const DWORD tracks = Tracks();
  // On the last track Next goes to that track's own start: there is no wrap to track 1.
  const DWORD target =
      track == tracks ? TrackPosition(tracks) : TrackPosition(TrackOf(Position()) + 1u);
  GoToTrackStart(target, flags, mode);
}

void TMediaPlayer::GoToTrackStart(DWORD target, DWORD flags, TMPMode mode) {
  // A playing disc plays on from the new track; a seek would stop it.
  if (mode == mpPlaying) {
    SetStartPos(target);
    Play();
    pressedButton_ = btPlay;
  } else {
    Seek(flags | MCI_TO, target);
  }
}

void TMediaPlayer::Previous() {
  CheckOpen();
  const DWORD flags = RuleA();
  if (TimeFormat() != MCI_FORMAT_TMSF) {
    Seek(flags | MCI_SEEK_TO_START, 0);
    return;
  }
  const DWORD current = Position();
  const DWORD start = TrackPosition(TrackOf(Position()));
  const TMPMode mode = Mode();
  // Within the first second of a track (frames do not count) Previous goes one track back;
  // later it goes back to the start of the track; track 1 has nothing before it.
  const bool atStart = TrackOf(current) != 1 && MinutesOf(current) == MinutesOf(start) &&
                       SecondsOf(current) == SecondsOf(start);
  const DWORD target = atStart ? TrackPosition(TrackOf(Position()) - 1u) : start;
  GoToTrackStart(target, flags, mode);
}

void TMediaPlayer::Eject() {
  CheckOpen();
  if (!canEject_) return;
  MCI_SET_PARMS parms{};
  const DWORD flags = RuleA() | MCI_SET_DOOR_OPEN;
  parms.dwCallback = CallbackWindow();
  error_ = Send(MCI_SET, flags, &parms);
}

void TMediaPlayer::Rewind() {
  CheckOpen();
  MCI_SEEK_PARMS parms{};
  Send(MCI_SEEK, kRewindFlags, &parms);
}

void TMediaPlayer::Step() {
  CheckOpen();
  if (!hasVideo_) return;
  if (autoRewind_ && Position() == Length()) Rewind();
  MCI_ANIM_STEP_PARMS parms{};
  const DWORD flags = RuleA() | MCI_ANIM_STEP_FRAMES;
  parms.dwCallback = CallbackWindow();
  parms.dwFrames = static_cast<DWORD>(frames_);
  error_ = Send(MCI_STEP, flags, &parms);
}

void TMediaPlayer::Back() {
  CheckOpen();
  if (!hasVideo_) return;
  MCI_ANIM_STEP_PARMS parms{};
  const DWORD flags = RuleA() | MCI_ANIM_STEP_FRAMES | MCI_ANIM_STEP_REVERSE;
  parms.dwCallback = CallbackWindow();
  parms.dwFrames = static_cast<DWORD>(frames_);
  error_ = Send(MCI_STEP, flags, &parms);
}

// ---------------------------------------------------------------------------------------------------

DWORD_PTR TMediaPlayer::Status(DWORD item, bool keepError, const DWORD* track) {
  MCI_STATUS_PARMS parms{};
  parms.dwItem = item;
  DWORD flags = kQueryFlags;
  if (track) {
    flags |= MCI_TRACK;
    parms.dwTrack = *track;
  }
  const MCIERROR error = Send(MCI_STATUS, flags, &parms);
  if (keepError) error_ = error;
  return error == 0 ? parms.dwReturn : 0;
}

DWORD TMediaPlayer::Length() {
  CheckOpen();
  return static_cast<DWORD>(Status(MCI_STATUS_LENGTH, true));
}

DWORD TMediaPlayer::Position() {
  return static_cast<DWORD>(Status(MCI_STATUS_POSITION, true));
}

DWORD TMediaPlayer::Tracks() {
  CheckOpen();
  return static_cast<DWORD>(Status(MCI_STATUS_NUMBER_OF_TRACKS, true));
}

TMPMode TMediaPlayer::Mode() {
  MCI_STATUS_PARMS parms{};
  parms.dwItem = MCI_STATUS_MODE;
  error_ = Send(MCI_STATUS, kQueryFlags, &parms);
  // A device that gives no mode is taken as not ready.
  if (error_ != 0) return mpNotReady;
  return static_cast<TMPMode>(LOBYTE(parms.dwReturn - MCI_MODE_NOT_READY));
}

uint8_t TMediaPlayer::TimeFormat() {
  CheckOpen();
  return LOBYTE(Status(MCI_STATUS_TIME_FORMAT, true));
}

void TMediaPlayer::SetTimeFormat(uint8_t format) {
  MCI_SET_PARMS parms{};
  parms.dwTimeFormat = format;
  error_ = Send(MCI_SET, MCI_SET_TIME_FORMAT, &parms);
}

DWORD TMediaPlayer::TrackPosition(DWORD track) {
  return static_cast<DWORD>(Status(MCI_STATUS_POSITION, false, &track));
}

std::string TMediaPlayer::ErrorMessage() const {
  std::string text(kErrorTextSize, '\0');
  if (!mciGetErrorStringA(error_, text.data(), kErrorTextSize)) return kUnknownError;
  text.resize(text.find('\0'));
  return text;
}

// ---------------------------------------------------------------------------------------------------

void TMediaPlayer::SendWindow(HWND window) {
  MCI_ANIM_WINDOW_PARMSA parms{};
  parms.hWnd = window;
  error_ = Send(MCI_WINDOW, kWindowFlags, &parms);
}

void TMediaPlayer::SetDisplay(vcl::TControl* display) {
  if (display_ && display_ != display) RemoveFreeNotification(display_);
  if (display && open_ && hasVideo_) {
    SendWindow(WindowOf(display));
    display_ = error_ == 0 ? display : nullptr;
  } else {
    display_ = display;
  }
  // Whenever a control is kept, its end must be heard of, or the reference would dangle.
  if (display_) FreeNotification(display_);
}

void TMediaPlayer::Notification(vcl::TComponent* component, vcl::TOperation operation) {
  vcl::TCustomControl::Notification(component, operation);
  if (operation != vcl::TOperation::opRemove || component != display_) return;
  // The picture goes back to the device's own window.
  if (open_ && hasVideo_) SendWindow(nullptr);
  display_ = nullptr;
}

void TMediaPlayer::Loaded() {
  vcl::TCustomControl::Loaded();
  if (autoOpen_) Open();
}

bool TMediaPlayer::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT& result) {
  if (message != MM_MCINOTIFY) return false;
  MciNotify(wParam);
  result = 0;
  return true;
}

void TMediaPlayer::MciNotify(WPARAM outcome) {
  if (autoEnable_ && Mode() == mpStopped) {
    if (canPlay_) autoButtons_.Include(btPlay);
    if (canRecord_) autoButtons_.Include(btRecord);
    autoButtons_.Exclude(btPause);
    autoButtons_.Exclude(btStop);
    DrawAutoButtons();
  }
  switch (outcome) {
    case MCI_NOTIFY_SUCCESSFUL:
      notifyValue_ = nvSuccessful;
      break;
    case MCI_NOTIFY_SUPERSEDED:
      notifyValue_ = nvSuperseded;
      break;
    case MCI_NOTIFY_ABORTED:
      notifyValue_ = nvAborted;
      break;
    case MCI_NOTIFY_FAILURE:
      notifyValue_ = nvFailure;
      break;
    default:
      break;
  }
  DoNotify();
}

void TMediaPlayer::DoNotify() {
  if (OnNotify) OnNotify(this);
}
