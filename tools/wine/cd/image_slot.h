// Which disc image is in a virtual CD drive of the Wine checks: one small file per drive letter
// in the Windows folder, holding the CUE sheet's path (absent: no disc). cddrive.exe writes it
// when it inserts or removes a disc; the CD-audio driver reads it on every command, so a disc
// changed while the program runs is seen at once.
#pragma once

#include <optional>
#include <string>

namespace cdimage {

// NAME in the Windows folder (C:\WINDOWS\NAME); empty when that folder cannot be had.
std::string InWindowsFolder(const std::string& name);
// C:\WINDOWS\orvanta-cdaudio-D.txt for drive D:.
std::string ImageSlotPath(char letter);
// The sheet in drive `letter`, or none.
std::optional<std::string> ImageInDrive(char letter);
// Records `sheet` (none: no disc) for drive `letter`. False when the file cannot be written.
bool SetImageInDrive(char letter, const std::optional<std::string>& sheet);

}  // namespace cdimage
