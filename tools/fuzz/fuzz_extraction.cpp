// libFuzzer target of the page extraction and the record line: the input is
// a profile page as stored in the scratch file (ExtractionCheck.h). A record
// line of the wrong form, an exception, a crash or a sanitizer report is a
// finding.
#include <cstdio>
#include <cstdlib>

#include "tools/fuzz/ExtractionCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string problem = vantora::fuzz::ExtractionProblem(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "fuzz_extraction: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
