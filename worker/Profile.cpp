// The company profile extraction: one profile page into field slots 0..21.
#include <string>

#include "common/SiteConfig.h"
#include "common/TextUtil.h"
#include "common/Charset.h"
#include "worker/Job.h"
#include "worker/JobInternal.h"

namespace vantora {

int ProfileLabelSlot(const std::string& label) {
  static const char* const kLabelsUtf8[] = {
      "本社所在地", "業種分類", "英文社名", "代表者名", "設立年月日", "市場名", "上場年月日",
      "決算",       "単元株数", "従業員数（単独）", "従業員数（連結）", "平均年齢", "平均年収",
  };
  static const StringList kLabels = [] {
    StringList labels;
    for (const char* l : kLabelsUtf8) labels.push_back(detail::Sjis(l));
    return labels;
  }();
  for (std::size_t i = 0; i < kLabels.size(); ++i)
    if (SameTextIgnoreCase(kLabels[i], label)) return static_cast<int>(i) + 5;
  return -1;
}

void ReadCompanyProfile(const std::string& quoteAddress) {
  auto& slots = Job().fieldSlots;
  const std::string profileAddress = quoteAddress + "/profile";
  detail::FetchToScratch(profileAddress);
  StringList lines;
  Pause(1000);
  lines = detail::LoadScratchLines();

  std::string page;
  for (const std::string& line : lines) {
    page += Utf8ToCp932(Trim(line));
    if (detail::Terminated()) break;
  }

  if (!page.empty()) {
    // The page pieces and their values: added with the extraction.
  }

  slots[21] = profileAddress;
  std::string code = RemoveTextIgnoreCase(quoteAddress, QuotePagePrefix());
  const std::size_t dot = FindText(code, ".");
  if (dot != std::string::npos) code.resize(dot);
  slots[0] = Trim(code);
}

}  // namespace vantora
