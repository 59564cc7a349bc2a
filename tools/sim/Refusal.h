// Shared by the command files of the console.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace sim {

// A command that cannot be carried out; its text follows "error: ".
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline std::string Quote(std::string_view word) {
  // Built by appending: GCC 12 at -O2 sees a false overlap (-Wrestrict) in "\"" + std::string(…).
  std::string quoted;
  quoted.reserve(word.size() + 2);
  quoted += '"';
  quoted += word;
  quoted += '"';
  return quoted;
}

}  // namespace sim
