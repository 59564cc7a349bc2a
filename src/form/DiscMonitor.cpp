// Disc monitoring: the volume poll, the disc and no-disc states, the data-disc rule and auto-play.
#include <cstring>

#include "form/MainUnit.h"

namespace {
// The label the system reports for a disc of audio tracks.
constexpr const char* kAudioLabel = "Audio CD";
}  // namespace

void TPropertyForm::CDCheckTimer(TObject* /*sender*/) {
  ReadVolumeInfo();
  if (VolumeSerial == LastSerial) {
    // Some drivers never report the end of a play: the same disc that no longer plays may have.
    if (LastSerial != 0 && PlayedToEnd()) DiscEnded();
    return;
  }
  LastSerial = VolumeSerial;
  if (LastSerial != 0) {
    CDInserted();
  } else {
    SetNoCD();
  }
}

void TPropertyForm::InsertTimer(TObject* /*sender*/) {
  if (LastSerial != 0) return;
  // The drive has been seen empty: from now on a disc found is a new one.
  InsertCount = 2;
  Insert->SetEnabled(false);
}

void TPropertyForm::SetNoCD() {
  SetTrayImage("NoCD");
  TrayIcon->SetTipHelp("No CD");
  for (vcl::TMenuItem* item : {Play, Stop, Pause, Next, Previous, All_Repeat}) {
    item->SetEnabled(false);
  }
}

void TPropertyForm::CDInserted() {
  SetTrayImage("Stop");
  MediaPlayer->Open();
  Pause->SetEnabled(false);
  Next->SetEnabled(true);
  Previous->SetEnabled(true);
  All_Repeat->SetEnabled(true);
  CheckDataDisc();
  if (RunPlay_CheckBox->Checked()) {
    ReadVolumeInfo();
    Next->SetEnabled(true);
    Previous->SetEnabled(true);
    if (std::strcmp(VolumeName, kAudioLabel) == 0) PlayClick(nullptr);
  }
  AutoPlay();
  ShowDiscTitle();
}

void TPropertyForm::AutoPlay() {
  if (!AutoPlay_CheckBox->Checked()) return;
  if (InsertCount <= 1) {
    // The disc that was there at start-up is not auto-played.
    ++InsertCount;
    return;
  }
  if (AllPlay_CheckBox->Checked()) {
    PlayClick(nullptr);
    return;
  }
  ReadVolumeInfo();
  if (std::strcmp(VolumeName, kAudioLabel) == 0) PlayClick(nullptr);
}

void TPropertyForm::CheckDataDisc() {
  // A single track whose type MCI will not tell counts as playable: the player's own commands then
  // show what the disc allows.
  if (MediaPlayer->Tracks() == 1 &&
      TrackStatus(MCI_CDA_STATUS_TYPE_TRACK, 1) == std::optional<DWORD>(MCI_CDA_TRACK_OTHER)) {
    for (vcl::TMenuItem* item : {Play, Stop, Next, Previous, All_Repeat}) item->SetEnabled(false);
    return;
  }
  Play->SetEnabled(true);
  Stop->SetEnabled(true);
  All_Repeat->SetEnabled(true);
}

bool TPropertyForm::PlayedToEnd() {
  // Pause is on exactly while the player believes the disc plays (PlayClick found it playing).
  if (!Pause->Enabled() || MediaPlayer->Mode() == mpPlaying) return false;
  const DWORD position = MediaPlayer->Position();  // TMSF
  const DWORD track = position & 0xFF;
  DWORD lastAudio = MediaPlayer->Tracks();
  while (lastAudio > 1 && TrackStatus(MCI_CDA_STATUS_TYPE_TRACK, lastAudio) ==
                              std::optional<DWORD>(MCI_CDA_TRACK_OTHER)) {
    --lastAudio;
  }
  // A play ends where the data after the last audio track begins.
  if (track > lastAudio) return true;
  if (track != lastAudio) return false;
  const std::optional<DWORD> length = TrackStatus(MCI_STATUS_LENGTH, lastAudio);  // MSF
  if (!length) return false;
  const auto frames = [](DWORD minutes, DWORD seconds, DWORD frame) {
    return (minutes * 60 + seconds) * 75 + frame;
  };
  return frames(position >> 8 & 0xFF, position >> 16 & 0xFF, position >> 24) >=
         frames(*length & 0xFF, *length >> 8 & 0xFF, *length >> 16 & 0xFF);
}

std::optional<DWORD> TPropertyForm::TrackStatus(DWORD item, DWORD track) {
  MCI_STATUS_PARMS status{};
  status.dwItem = item;
  status.dwTrack = track;
  if (mciSendCommandA(MediaPlayer->DeviceID(), MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK | MCI_WAIT,
                      reinterpret_cast<DWORD_PTR>(&status)) != 0) {
    return std::nullopt;
  }
  return static_cast<DWORD>(status.dwReturn);
}
