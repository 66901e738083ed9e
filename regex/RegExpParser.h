// TREParser: recursive-descent parser from tokens (TRELex) to a tree of
// TREBinCode operator nodes over TRECode leaves.
//
// Grammar: RegExpr := Term { '|' Term };  Term := Factor { Factor } | empty;
// Factor := Primary [ quantifier [ '?' | '+' ] ].
// Invariants: every TREBinCode is owned by the list given to the parser
// (freed by the caller right after compilation); every leaf is owned by the
// program's code list. The nesting depth of groups is bounded (MaxNestDepth):
// deeper patterns fail to compile instead of exhausting the native stack.
// References and calls are resolved at the end of Parse.
// Covered by tests/regex/test_parser.cpp and tests/regex/test_compile_errors.cpp.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "regex/RegExpNFA.h"

namespace vantora {

class TREProgram;

class TREParser {
 public:
  TREParser(TREProgram& program, TREBinCodeStore& binCodes);
  ~TREParser();
  // Parses the program's Expression under its options; ERegExpCompile on error.
  TREBinCode* Parse();

  // Maximum group nesting.
  static constexpr int MaxNestDepth = 250;

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};

}  // namespace vantora
