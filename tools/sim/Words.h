// How the console cuts a line into words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct SplitLine {
  std::vector<std::string> words;
  // Why the line cannot be split (an unclosed quote); empty when it can.
  std::string error;
};

// Words are separated by blanks. Double quotes group a word and may join unquoted text around
// them; inside quotes `\"` is a quote and `\\` a backslash, while every other backslash stays, so
// a quoted Windows path reads as written. Outside quotes a backslash is plain text. `#` outside
// quotes starts a comment that runs to the end of the line.
SplitLine SplitWords(std::string_view line);

}  // namespace sim
