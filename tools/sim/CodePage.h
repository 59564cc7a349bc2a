// The console speaks UTF-8; the program and its files keep code page 932 bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sim {

// None when the text is not valid UTF-8 or has a character that the code page (932, or the 1252
// of an English machine's system texts) lacks.
std::optional<std::string> ToCodePage(std::string_view utf8, unsigned codePage = 932);

// Bytes that are not valid code page 932 show as `\xNN`, so whatever is on the machine can be
// shown.
std::string FromCodePage(std::string_view cp932);

// A program text shown on one line between quotes: a quote and a line break are escaped, the rest
// (backslashes of Windows paths included) is shown as it is.
std::string QuotedText(std::string_view cp932);

}  // namespace sim
