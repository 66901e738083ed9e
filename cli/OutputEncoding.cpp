// Conversion of the job's Shift-JIS output file into UTF-8 with a BOM.
#include "cli/OutputEncoding.h"

#include <fstream>
#include <iterator>

#include "common/Charset.h"

namespace vantora::cli {

bool WriteUtf8Copy(const std::string& sjisPath, const std::string& utf8Path) {
  std::ifstream in(sjisPath, std::ios::binary);
  if (!in) return false;
  const std::string sjis((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  const std::string utf8 = "\xEF\xBB\xBF" + Cp932ToUtf8(sjis);
  std::ofstream out(utf8Path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
  out.close();
  return !out.fail();
}

}  // namespace vantora::cli
