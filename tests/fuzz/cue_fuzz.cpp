// CUE sheets of any shape: a sheet is either a disc the drive accepts, with tracks laid out from
// its first start to the lead-out, or refused with the line it failed on; no file is looked for
// under an empty name or one cut short by a NUL. The files a sheet names
// have sizes taken from their names, so the fuzzer reaches every file-size rule.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/cdaudio/cue.h"
#include "platform/cdaudio/toc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view sheet(reinterpret_cast<const char*>(data), size);
  const cdaudio::Parsed<cdaudio::Disc> disc =
      cdaudio::ParseCueSheet(sheet, [](const std::string& name, cdaudio::ImageFileKind) {
        // An empty name or one holding a NUL is refused before any file is looked for: the file
        // opened would not be the one the sheet names.
        if (name.empty() || name.find('\0') != std::string::npos) std::abort();
        // Names of up to a few characters give sizes of up to a few thousand frames.
        uint64_t bytes = 0;
        for (unsigned char c : name) bytes = bytes * 31 + c;
        return cdaudio::Parsed<uint64_t>{
            bytes % 4096 * cdaudio::kBytesPerFrame + (name[0] == 'o' ? 1 : 0), {}};
      });
  if (!disc) {
    // "line N: reason" with N a line of the sheet (0 for one with none); a byte-order mark is
    // not a line.
    if (sheet.substr(0, 3) == "\xEF\xBB\xBF") sheet.remove_prefix(3);
    if (disc.error.rfind("line ", 0) != 0) std::abort();
    const unsigned long line = std::strtoul(disc.error.c_str() + 5, nullptr, 10);
    size_t lines = 0;
    for (size_t i = 0; i < sheet.size(); ++i) {
      if (sheet[i] == '\n' || (sheet[i] == '\r' && (i + 1 == sheet.size() || sheet[i + 1] != '\n')))
        ++lines;
    }
    if (!sheet.empty() && sheet.back() != '\n' && sheet.back() != '\r') ++lines;
    if (line > lines || (line == 0 && lines != 0)) std::abort();
    return 0;
  }
  if (!cdaudio::CheckDisc(*disc.value).empty()) std::abort();
  const std::optional<cdaudio::Toc> toc = cdaudio::Toc::FromDisc(*disc.value);
  if (!toc || toc->TrackStart(1) < cdaudio::kFirstTrackStart) std::abort();
  return 0;
}
