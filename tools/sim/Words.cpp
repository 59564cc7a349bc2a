#include "Words.h"

namespace sim {
namespace {
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
}  // namespace

SplitLine SplitWords(std::string_view line) {
  SplitLine result;
  std::string word;
  // A word can be empty yet present (`""`), so its presence is tracked apart from its text.
  bool inWord = false;
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (IsBlank(c)) {
      if (inWord) result.words.push_back(std::move(word));
      word.clear();
      inWord = false;
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      inWord = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char q = line[i];
        if (q == '"') {
          closed = true;
          ++i;
          break;
        }
        if (q == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
          word += line[i + 1];
          i += 2;
        } else {
          word += q;
          ++i;
        }
      }
      if (!closed) {
        result.words.clear();
        result.error = "a quote is not closed";
        return result;
      }
    } else {
      inWord = true;
      word += c;
      ++i;
    }
  }
  if (inWord) result.words.push_back(std::move(word));
  return result;
}

}  // namespace sim
