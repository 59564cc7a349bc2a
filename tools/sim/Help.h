// The console's own description of its words: `help`, the usage line shown after an error at a
// terminal, and the words offered for completion.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct CommandHelp {
  std::string_view name;
  std::string_view usage;
  std::string_view summary;
  std::string_view example;
};

// Every command, in the order `help` lists them.
const std::vector<CommandHelp>& Commands();
std::optional<CommandHelp> FindCommand(std::string_view name);

// `help`: one line a command; `help NAME`: its usage, what it does and an example. None for a
// name that is no command.
std::string HelpText();
std::optional<std::string> HelpText(std::string_view name);

// The fixed words a command takes at `position` (1 is the word after its name), read from its
// usage line: `click left|right|middle|double` offers four at 1. Empty where it takes free text.
std::vector<std::string> WordChoices(std::string_view name, size_t position);

}  // namespace sim
