// Disc images: a CUE sheet and the files it names describe a disc, for the console and the Windows
// driver alike. A sheet is loaded whole or refused with the line and the reason; nothing is
// half-loaded.
//
// What a sheet may say: `FILE "name" BINARY|WAVE`, `TRACK nn AUDIO|MODE1/2352|MODE2/2352`,
// `INDEX nn mm:ss:ff` (a position in the current file), `PREGAP`/`POSTGAP mm:ss:ff` (silence that
// is on the disc but not in the file), and the words that describe the music but not the layout
// (`REM`, `TITLE`, `PERFORMER`, `SONGWRITER`, `CATALOG`, `ISRC`, `FLAGS`, `CDTEXTFILE`), which
// are ignored. A FILE must be followed by a TRACK or an INDEX before the next FILE or the end,
// and its name may hold no NUL byte. A track starts on the disc at its INDEX 01; the frames before
// it (its INDEX 00 and its PREGAP) count to the track before, as in a real table of contents. Disc
// position = 00:02:00 + frames of the files before + position in the file + every gap so far. The
// last track runs to the end of its file, whose length is its size at 2352 bytes a frame.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/cdaudio/disc.h"

namespace cdaudio {

inline constexpr uint32_t kBytesPerFrame = 2352;

enum class ImageFileKind { kBinary, kWave };

// How many bytes of frames a FILE of a sheet holds (a BINARY file's size, a WAVE file's data
// chunk), or why it cannot be used. `name` is as the sheet writes it.
using ImageFileReader = std::function<Parsed<uint64_t>(const std::string& name, ImageFileKind)>;

// The disc a sheet describes, or "line N: reason" (the last line for what the sheet as a whole
// lacks). A data-only disc gets no label or serial of its own: VolumeOf computes them.
Parsed<Disc> ParseCueSheet(std::string_view text, const ImageFileReader& files);

// Reads the sheet at `path` and the files it names, relative to the sheet's folder; errors
// begin with the path. Only regular files are opened, and never in a way that could wait (a FIFO
// is refused, not read). The names a sheet writes are in the ANSI code page, as the programs
// that write sheets on Windows keep them: on Windows the system's, read as its ANSI calls read
// them; elsewhere code page 932, handed to the host's file system in UTF-8. Either way the trail
// byte 0x5C of a double-byte character is no folder separator. A sheet that starts with a UTF-8
// byte-order mark writes its names in UTF-8.
Parsed<Disc> LoadCueSheet(const std::string& path);

// The bytes of frames in the file at `path` (ImageFileReader for real files). A WAVE file must
// be 16-bit stereo PCM at 44100 Hz, as a CD's audio is, and no chunk of it may claim more bytes
// than the file has.
Parsed<uint64_t> ReadImageFile(const std::string& path, ImageFileKind kind);

}  // namespace cdaudio
