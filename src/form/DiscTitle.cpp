// The disc's title from the CD Player's title database, shown as the tray tip.
#include <algorithm>
#include <charconv>
#include <cstring>

#include "form/MainUnit.h"
#include "toolkit/IniFiles.h"

namespace {
// The CD Player's database, named without a folder: the profile functions find it in Windows'.
constexpr const char* kTitleDatabase = "cdplayer.ini";
// The title the CD Player gives a disc nobody has named yet.
constexpr const char* kDefaultTitle = "新しいﾀｲﾄﾙ";
constexpr const char* kUnnamedTip = "Orvantino";
}  // namespace

bool TPropertyForm::ReadDiscIdentity() {
  MCI_INFO_PARMSA info{};
  info.dwCallback = 0;
  info.lpstrReturn = DiscIdentity;
  info.dwRetSize = sizeof DiscIdentity;
  std::memset(DiscIdentity, 0, sizeof DiscIdentity);
  return mciSendCommandA(MediaPlayer->DeviceID(), MCI_INFO, MCI_INFO_MEDIA_IDENTITY | MCI_WAIT,
                         reinterpret_cast<DWORD_PTR>(&info)) == 0;
}

void TPropertyForm::ShowDiscTitle() {
  // A disc without a title shows the program's own name for one. An empty tip would leave the
  // notification area showing what it showed before: "No CD", or the last disc's title.
  const std::string title = ReadDiscTitle();
  TrayIcon->SetTipHelp(title.empty() || title == kDefaultTitle ? kUnnamedTip : title);
}

std::string TPropertyForm::ReadDiscTitle() {
  vcl::TIniFile database(kTitleDatabase);
  // Discs that end with a data track have no title (nor do those whose track type MCI refuses).
  if (TrackStatus(MCI_CDA_STATUS_TYPE_TRACK, MediaPlayer->Tracks()) !=
      std::optional<DWORD>(MCI_CDA_TRACK_AUDIO)) {
    return {};
  }
  // An identity that MCI refuses, or that is not a decimal number in the signed 32-bit range,
  // names no section.
  if (!ReadDiscIdentity()) return {};
  DiscIdentity[sizeof DiscIdentity - 1] = '\0';
  const char* end = DiscIdentity + std::strlen(DiscIdentity);
  int32_t identity = 0;
  auto [stop, error] = std::from_chars(DiscIdentity, end, identity);
  if (error != std::errc() || stop != end || stop == DiscIdentity) return {};
  // The section is the identity in upper-case hexadecimal, as the Windows CD Player writes it.
  char section[9];
  char* sectionEnd = std::to_chars(section, section + 8, static_cast<uint32_t>(identity), 16).ptr;
  std::transform(section, sectionEnd, section, [](char c) { return c >= 'a' ? c - 'a' + 'A' : c; });
  return database.ReadString(std::string(section, sectionEnd), "title", "");
}
