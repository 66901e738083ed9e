// Replays the committed seed corpora of the two fuzzers in the normal test
// run (and so under the sanitizer builds), so that an input that once
// crashed, threw or broke the record line fails here once it is added to
// tools/fuzz/corpus or tools/fuzz/corpus-extraction.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The regex fuzzer's entry point itself, so that the replay decodes an input
// exactly as the fuzzer does.
#include "tools/fuzz/fuzz_regex.cpp"
#include "tools/fuzz/ExtractionCheck.h"

namespace vantora {
namespace {

// The files of a corpus folder, in name order, with their bytes.
std::vector<std::pair<std::string, std::string>> Corpus(const char* folder) {
  std::vector<std::pair<std::string, std::string>> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(VANTORA_SOURCE_DIR "/") + folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    inputs.emplace_back(entry.path().filename().string(),
                        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

const std::uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

TEST(FuzzCorpus, RegexInputsRunWithoutAnEscapingError) {
  const auto inputs = Corpus("tools/fuzz/corpus");
  ASSERT_FALSE(inputs.empty());
  for (const auto& [name, bytes] : inputs)
    EXPECT_NO_THROW(LLVMFuzzerTestOneInput(Bytes(bytes), bytes.size())) << name;
}

TEST(FuzzCorpus, ExtractionInputsGiveOneLineOf22QuotedValues) {
  // The check itself rejects what it must.
  EXPECT_EQ(fuzz::QuotedValues("\"a\"\"b\",\"\""), (std::vector<std::string>{"a\"b", ""}));
  for (const char* bad : {"", "\"a\",", "\"a\"b", "\"a", "a", "\"a\";\"b\""})
    EXPECT_FALSE(fuzz::QuotedValues(bad).has_value()) << bad;

  const auto inputs = Corpus("tools/fuzz/corpus-extraction");
  ASSERT_FALSE(inputs.empty());
  for (const auto& [name, bytes] : inputs) {
    std::string problem;
    EXPECT_NO_THROW(problem = fuzz::ExtractionProblem(Bytes(bytes), bytes.size())) << name;
    EXPECT_EQ(problem, "") << name;
  }
}

}  // namespace
}  // namespace vantora
