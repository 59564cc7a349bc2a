// The profile engine on any text, with any sequence of writes and deletions. After each edit:
//  - a written key reads back as Windows' read rule gives the value (blanks and one pair of
//    quotes stripped); a deleted key or section reads as missing;
//  - no other key's value changes;
//  - every line the edit does not touch survives byte for byte (a last line without a line end
//    may gain one).
// Names and values are kept to what a caller can write and read back (no line breaks, no '=' in
// a key, no ']' in a section, no lone lead byte at the end of a name).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/profile/ini_text.h"

namespace {

using profile::detail::Document;
using profile::detail::HasByteOrderMark;
using profile::detail::kByteOrderMark;
using profile::detail::LineKind;
using profile::detail::NamesEqual;
using profile::detail::TrimBlanks;

// The edit being checked, shown when a check fails.
std::string shown_before;
std::string shown_after;

std::string Escaped(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    char hex[8];
    std::snprintf(hex, sizeof hex, c < 0x20 || c > 0x7E ? "\\x%02X" : "%c", c);
    out += hex;
  }
  return out;
}

void Check(bool ok, int line = __builtin_LINE()) {
  if (ok) return;
  std::fprintf(stderr, "profile_fuzz.cpp:%d failed\nbefore: %s\nafter:  %s\n", line,
               Escaped(shown_before).c_str(), Escaped(shown_after).c_str());
  std::abort();
}

// Lines as the oracle cuts them, each with its line end: CR LF, LF or a lone CR.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) {
      end = text.size();
    } else {
      end += text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    }
    lines.push_back(text.substr(begin, end - begin));
    begin = end;
  }
  return lines;
}

std::string ReadRule(std::string_view value) {
  value = TrimBlanks(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

using Values = std::vector<std::pair<std::pair<std::string, std::string>, std::string>>;

// Every key a reader can reach: in the first section of each name, the first key of each name.
Values Visible(const Document& doc) {
  Values values;
  for (const auto& section : doc.Sections()) {
    std::string_view name = doc.lines()[section.header].name;
    if (doc.FindSection(name)->header != section.header) continue;
    for (std::size_t i = section.header + 1; i < section.end; ++i) {
      const auto& line = doc.lines()[i];
      if (line.kind != LineKind::kKey || *doc.FindKey(section, line.name) != i) continue;
      values.push_back({{std::string(name), std::string(line.name)}, std::string(doc.Value(i))});
    }
  }
  return values;
}

Values Without(Values values, std::string_view section, std::optional<std::string_view> key) {
  std::erase_if(values, [&](const auto& v) {
    return NamesEqual(v.first.first, section) && (!key || NamesEqual(v.first.second, *key));
  });
  return values;
}

bool EndsInLeadByte(std::string_view name) {
  bool lead = false;
  for (char c : name) lead = !lead && profile::detail::IsLeadByte(c);
  return lead;
}

std::string Name(FuzzedDataProvider& in, std::string_view forbidden) {
  std::string name = in.ConsumeRandomLengthString(12);
  std::string out;
  for (char c : name) {
    if (c != '\r' && c != '\n' && c != '\0' && forbidden.find(c) == std::string_view::npos) {
      out += c;
    }
  }
  out = std::string(TrimBlanks(out));
  if (out.empty() || out[0] == ';' || out[0] == '[' || EndsInLeadByte(out)) out = "k" + out;
  if (EndsInLeadByte(out)) out += 'x';
  return out;
}

// A byte-order mark stays, and is no line of its own even in a file that holds nothing else: the
// texts after it.
void StripMark(std::string_view& before, std::string_view& after) {
  Check(HasByteOrderMark(after) == HasByteOrderMark(before));
  if (HasByteOrderMark(before)) {
    before.remove_prefix(kByteOrderMark.size());
    after.remove_prefix(kByteOrderMark.size());
  }
}

// Lines of `before` other than those at `skip`, compared with `after`'s other than `added`; the
// last line of `before` may have gained a line end.
void CheckKeptLines(std::string_view before, std::string_view after, std::size_t skip,
                    std::vector<std::size_t> added) {
  StripMark(before, after);
  std::vector<std::string_view> old_lines = Lines(before);
  std::vector<std::string_view> new_lines = Lines(after);
  std::vector<std::string_view> kept;
  for (std::size_t i = 0; i < old_lines.size(); ++i) {
    if (i != skip) kept.push_back(old_lines[i]);
  }
  std::vector<std::string_view> rest;
  for (std::size_t i = 0; i < new_lines.size(); ++i) {
    bool skipped = false;
    for (std::size_t a : added) skipped = skipped || a == i;
    if (!skipped) rest.push_back(new_lines[i]);
  }
  Check(kept.size() == rest.size());
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (kept[i] == rest[i]) continue;
    // Only the old last line may differ, by the line end a new line after it needed.
    Check(i + 1 == kept.size() && kept[i].find_first_of("\r\n") == std::string_view::npos &&
          rest[i].substr(0, kept[i].size()) == kept[i] &&
          rest[i].substr(kept[i].size()).find_first_not_of("\r\n") == std::string_view::npos);
  }
}

void WriteAndCheck(std::string& text, const std::string& section, const std::string& key,
                   const std::string& value) {
  const Document before(text);
  std::string updated = before.WithValue(section, key, value);
  shown_before = text;
  shown_after = updated;
  const Document after(updated);
  const auto found = after.FindSection(section);
  Check(found.has_value());
  const auto line = after.FindKey(*found, key);
  Check(line.has_value());
  Check(after.Value(*line) == ReadRule(value));
  Check(Without(Visible(before), section, key) == Without(Visible(after), section, key));

  std::size_t skip = SIZE_MAX;
  if (auto old_section = before.FindSection(section)) {
    if (auto old_line = before.FindKey(*old_section, key)) skip = *old_line;
  }
  std::vector<std::size_t> added{*line};
  if (!before.FindSection(section)) added.push_back(found->header);
  CheckKeptLines(text, updated, skip, added);
  text = std::move(updated);
}

void DeleteAndCheck(std::string& text, const std::string& section, std::optional<std::string> key) {
  const Document before(text);
  std::string updated = key ? before.WithoutKey(section, *key) : before.WithoutSection(section);
  shown_before = text;
  shown_after = updated;
  const Document after(updated);
  if (key) {
    if (auto found = after.FindSection(section)) Check(!after.FindKey(*found, *key));
  } else {
    Check(!after.FindSection(section));
  }
  Check(Without(Visible(before), section, key) == Without(Visible(after), section, key));
  // Deletion only drops whole lines; a byte-order mark stays.
  std::string_view old_text = text;
  std::string_view new_text = updated;
  StripMark(old_text, new_text);
  std::vector<std::string_view> old_lines = Lines(old_text);
  std::size_t next = 0;
  for (std::string_view l : Lines(new_text)) {
    while (next < old_lines.size() && old_lines[next] != l) ++next;
    Check(next < old_lines.size());
    ++next;
  }
  text = std::move(updated);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::string text = in.ConsumeRandomLengthString(2048);
  if (in.ConsumeBool()) text.insert(0, kByteOrderMark);
  for (int op = 0; op < 8 && in.remaining_bytes() > 0; ++op) {
    const std::string section = Name(in, "]");
    const std::string key = Name(in, "=");
    switch (in.ConsumeIntegralInRange(0, 5)) {
      case 0:
        DeleteAndCheck(text, section, key);
        break;
      case 1:
        DeleteAndCheck(text, section, std::nullopt);
        break;
      default: {
        std::string value = in.ConsumeRandomLengthString(40);
        std::erase_if(value, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
        WriteAndCheck(text, section, key, value);
      }
    }
  }
  return 0;
}
