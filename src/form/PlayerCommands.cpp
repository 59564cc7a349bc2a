// The player menu's commands and the end of a disc.
#include <cstring>

#include "form/MainUnit.h"

void TPropertyForm::SetTrayImage(const char* name) {
  // The keys first: a shell that refuses the new image must not leave them held after a stop.
  if (MediaKeys) {
    if (std::strcmp(name, "Play") == 0) {
      MediaKeys->Hold();
    } else if (std::strcmp(name, "Pause") != 0) {
      MediaKeys->Release();
    }
  }
  TrayIcon->Icon()->SetHandle(LoadTrayImage(name));
}

void TPropertyForm::MediaKeyPress(UINT key) {
  // The menu's own handlers, and only where the menu would offer them.
  switch (key) {
    case VK_MEDIA_PLAY_PAUSE:
      if (Pause->Enabled()) {
        PauseClick(nullptr);
      } else if (Play->Enabled()) {
        PlayClick(nullptr);
      }
      break;
    case VK_MEDIA_STOP:
      if (Stop->Enabled()) StopClick(nullptr);
      break;
    case VK_MEDIA_NEXT_TRACK:
      if (Next->Enabled()) NextClick(nullptr);
      break;
    case VK_MEDIA_PREV_TRACK:
      if (Previous->Enabled()) PreviousClick(nullptr);
      break;
    default:
      break;
  }
}

void TPropertyForm::PlayClick(TObject* /*sender*/) {
  MediaPlayer->Play();
  Stop->SetEnabled(true);
  if (MediaPlayer->Mode() == mpPlaying) {
    SetTrayImage("Play");
    Play->SetEnabled(false);
    Pause->SetEnabled(true);
  } else {
    // A refused play (no disc, a data track) leaves the player as it was.
    Play->SetEnabled(true);
    Pause->SetEnabled(false);
  }
}

void TPropertyForm::StopClick(TObject* /*sender*/) {
  SetTrayImage("Stop");
  MediaPlayer->Stop();
  // Closing and opening again brings the position back to the start of the disc.
  MediaPlayer->Open();
  Pause->SetEnabled(false);
  Play->SetEnabled(true);
}

void TPropertyForm::PauseClick(TObject* /*sender*/) {
  SetTrayImage("Pause");
  MediaPlayer->Pause();
  Pause->SetEnabled(false);
  Play->SetEnabled(true);
}

void TPropertyForm::NextClick(TObject* /*sender*/) {
  if (MediaPlayer->Mode() == mpPlaying) {
    MediaPlayer->Next();
    MediaPlayer->Play();
  } else {
    MediaPlayer->Next();
  }
}

void TPropertyForm::PreviousClick(TObject* /*sender*/) {
  if (MediaPlayer->Mode() == mpPlaying) {
    MediaPlayer->Previous();
    MediaPlayer->Play();
  } else {
    MediaPlayer->Previous();
  }
}

void TPropertyForm::All_RepeatClick(TObject* /*sender*/) {
  All_Repeat->SetChecked(!All_Repeat->Checked());
}

void TPropertyForm::EjectClick(TObject* /*sender*/) {
  MediaPlayer->Eject();
}

void TPropertyForm::MediaPlayerNotify(TObject* /*sender*/) {
  // Only a play that reached the end of the disc completes successfully.
  if (MediaPlayer->NotifyValue() != nvSuccessful) return;
  // The disc check may have seen the end first, when the driver reported it late: a player
  // already stopped, or a disc playing again, is not stopped or started once more.
  if (!Pause->Enabled() || MediaPlayer->Mode() == mpPlaying) return;
  DiscEnded();
}

void TPropertyForm::DiscEnded() {
  if (All_Repeat->Checked()) {
    MediaPlayer->Open();
    MediaPlayer->Play();
  } else {
    StopClick(nullptr);
  }
}
