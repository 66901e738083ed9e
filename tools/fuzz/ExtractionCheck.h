// One input of the page-extraction fuzzer, shared by the libFuzzer target
// (tools/fuzz/fuzz_extraction.cpp) and the replay test of the committed
// corpus: the bytes are a profile page as the scratch file holds it; they go
// through JoinedProfileText, ExtractProfileText (from empty field slots) and
// FormatRecord, and the record line must be one line of exactly as many
// quoted values as a record has columns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "worker/Job.h"

namespace vantora::fuzz {

// The values of a record line: each between double quotes, a '"' inside
// doubled, joined by ','; nothing when the line is not of that form. (Bytes
// are compared one by one: '"' and ',' are never the second byte of a
// Shift-JIS character.)
inline std::optional<std::vector<std::string>> QuotedValues(std::string_view line) {
  std::vector<std::string> values;
  std::size_t i = 0;
  for (;;) {
    if (i >= line.size() || line[i] != '"') return std::nullopt;
    ++i;
    std::string value;
    for (;;) {
      if (i >= line.size()) return std::nullopt;
      if (line[i] == '"') {
        if (i + 1 < line.size() && line[i + 1] == '"') {
          value += '"';
          i += 2;
          continue;
        }
        ++i;
        break;
      }
      value += line[i++];
    }
    values.push_back(std::move(value));
    if (i == line.size()) return values;
    if (line[i] != ',') return std::nullopt;
    ++i;
  }
}

// What is wrong with the record made from `data`; empty when nothing is.
// Exceptions from the extraction are not caught: they are findings too.
inline std::string ExtractionProblem(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ClearFieldSlots();
  const std::string page = JoinedProfileText(bytes);
  ExtractProfileText(page);
  const std::string record = FormatRecord();
  if (record.find_first_of("\r\n") != std::string::npos) return "line break in the record line";
  const auto values = QuotedValues(record);
  if (!values) return "record line not of quoted values";
  if (values->size() != static_cast<std::size_t>(kRecordSlotCount))
    return std::to_string(values->size()) + " values in the record line";
  return {};
}

}  // namespace vantora::fuzz
