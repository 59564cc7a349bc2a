#include "image_slot.h"

#include <windows.h>

#include <cctype>
#include <fstream>

namespace cdimage {

std::string InWindowsFolder(const std::string& name) {
  char folder[MAX_PATH] = "";
  const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(folder) + "\\" + name;
}

std::string ImageSlotPath(char letter) {
  const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  return InWindowsFolder(std::string("orvanta-cdaudio-") + drive + ".txt");
}

std::optional<std::string> ImageInDrive(char letter) {
  std::ifstream in(ImageSlotPath(letter), std::ios::binary);
  std::string sheet;
  if (!in || !std::getline(in, sheet) || sheet.empty()) return std::nullopt;
  return sheet;
}

bool SetImageInDrive(char letter, const std::optional<std::string>& sheet) {
  const std::string path = ImageSlotPath(letter);
  if (path.empty()) return false;
  if (!sheet) return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
  // Written beside and moved over, so a reader never sees half a path.
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << *sheet << '\n';
    if (!out.flush()) return false;
  }
  return MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace cdimage
