// Parser (stub; filled in by the next commit).
#include "regex/RegExpParser.h"

#include "regex/RegExpW.h"

namespace vantora {
struct TREParser::Impl {};
TREParser::TREParser(TRegExp&, std::vector<std::unique_ptr<TREBinCode>>&) {}
TREParser::~TREParser() = default;
TREBinCode* TREParser::Parse() { return nullptr; }
}  // namespace vantora
