// The console speaks UTF-8; the program and its files keep code page 932 bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sim {

// None when the text is not valid UTF-8 or has a character that code page 932 lacks.
std::optional<std::string> ToCodePage(std::string_view utf8);

// Bytes that are not valid code page 932 show as `\xNN`, so whatever is on the machine can be
// shown.
std::string FromCodePage(std::string_view cp932);

// A program text shown on one line between quotes: a quote and a line break are escaped, the rest
// (backslashes of Windows paths included) is shown as it is.
std::string QuotedText(std::string_view cp932);

}  // namespace sim
