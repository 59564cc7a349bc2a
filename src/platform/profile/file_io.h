#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace profile::detail {

// The whole file, or nothing when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

// Puts `data` in place of `file` so that a crash at any point leaves either the old or the new text
// complete, with the old file's permissions. On failure the temporary file is removed and `file`
// is untouched.
bool ReplaceFile(const std::filesystem::path& file, const std::string& data);

}  // namespace profile::detail
