// The console's word splitter: any line splits or says why not, and words written back in quotes
// (with \" and \\) split into the same words.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Words.h"

namespace {

std::string Quoted(const std::string& word) {
  std::string out = "\"";
  for (char c : word) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const sim::SplitLine split = sim::SplitWords(line);
  if (!split.error.empty()) {
    if (!split.words.empty()) std::abort();
    return 0;
  }
  std::string again;
  for (const std::string& word : split.words) again += Quoted(word) + " ";
  const sim::SplitLine round = sim::SplitWords(again);
  if (!round.error.empty() || round.words != split.words) std::abort();
  return 0;
}
