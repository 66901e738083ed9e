// TREParser: recursive descent over TRELex tokens (see RegExpParser.h).
//
// The parser keeps "the current token" in the lexer: every rule starts at
// its first token and returns with the lexer at the token after it. Each
// group pushes the lexer's options and restores them at its ')', so inline
// options reach to the end of the enclosing group. Nesting depth is counted
// on entry to every group and bounded by MaxNestDepth, which also bounds
// the depth of the tree for the NFA builder.
//
// Back-references and calls may name groups that come later; they are
// recorded and checked once the whole pattern is read.
// Covered by tests/regex/test_parser.cpp and tests/regex/test_compile_errors.cpp.
#include "regex/RegExpParser.h"

#include <algorithm>

#include "regex/RegExpCodeAssert.h"
#include "regex/RegExpCodeChar.h"
#include "regex/RegExpConst.h"
#include "regex/RegExpLexer.h"
#include "regex/RegExpProgram.h"
#include "regex/RegExpW.h"

namespace vantora {

struct TREParser::Impl {
  Impl(TREProgram& program, TREBinCodeStore& bins)
      : RE(program), Bins(bins), Lex(program.Expression(), program.Options()) {}

  TREProgram& RE;
  TREBinCodeStore& Bins;
  TRELex Lex;
  int GroupCounter = 0;  // number of the last capturing group opened
  int Depth = 0;

  struct TRef {
    int Number;                 // numbered reference / call
    std::u16string Name;        // named reference / call
    TREBinCode* Call = nullptr; // calls: the node to patch
    TREReferenceCode* Ref = nullptr;
    TREIfThenReferenceCode* Cond = nullptr;
    TREInSubReferenceCode* InSub = nullptr;
    bool IsCondition = false;
  };
  std::vector<TRef> Refs;

  // ---------------------------------------------------------------- nodes
  TREBinCode* NewBin(TREOperator op, TREBinCode* left = nullptr, TREBinCode* right = nullptr) {
    TREBinCode* b = &Bins.emplace_back();
    b->Op = op;
    b->Left = left;
    b->Right = right;
    return b;
  }
  template <class T, class... A>
  T* NewCode(A&&... args) {
    auto code = std::make_unique<T>(std::forward<A>(args)...);
    T* raw = code.get();
    RE.AddCode(std::move(code));
    return raw;
  }
  TREBinCode* Leaf(TRECode* code) {
    TREBinCode* b = NewBin(opEmply);
    b->Leaf = code;
    return b;
  }
  TREOptions Opt() const { return Lex.Options(); }
  TREToken Next() { return Lex.GetToken(); }
  TREToken Tok() const { return Lex.Token(); }

  void SyncGroupCount() { Lex.SetGroupCount(GroupCounter); }

  // ---------------------------------------------------------------- grammar
  TREBinCode* RegExpr(bool branchReset = false) {
    int startCounter = GroupCounter;
    int maxCounter = GroupCounter;
    TREBinCode* left = Term();
    while (Tok() == tkUnion) {
      if (branchReset) {
        maxCounter = std::max(maxCounter, GroupCounter);
        GroupCounter = startCounter;
        SyncGroupCount();
      }
      Next();
      TREBinCode* right = Term();
      left = NewBin(opUnion, left, right);
    }
    if (branchReset) {
      GroupCounter = std::max(maxCounter, GroupCounter);
      SyncGroupCount();
    }
    return left;
  }

  TREBinCode* Term() {
    if (Tok() == tkEnd || Tok() == tkUnion || Tok() == tkRPar) return NewBin(opEmply);
    TREBinCode* result = nullptr;
    // An explicit callout reports the length of the item after it, known
    // once that item is parsed (0 when the callout ends the branch).
    TRECalloutCode* callout = nullptr;
    while (Tok() != tkEnd && Tok() != tkUnion && Tok() != tkRPar) {
      const bool isCallout = Tok() == tkCallout;
      const std::size_t start = Lex.State().TokenStart;
      TREBinCode* f = Factor();
      if (!f) continue;
      if (callout) {
        callout->SetNextItemLength(static_cast<int>(Lex.State().TokenStart - start));
        callout = nullptr;
      }
      if (isCallout && f->Leaf && f->Leaf->Kind() == ckCallout) callout = static_cast<TRECalloutCode*>(f->Leaf);
      result = result ? NewBin(opConcat, result, f) : f;
    }
    return result ? result : NewBin(opEmply);
  }

  static bool IsQuantifier(TREToken t) {
    return t == tkStar || t == tkPlus || t == tkQuest || t == tkBound;
  }

  TREBinCode* Factor() {
    std::size_t itemStart = Lex.State().TokenStart;
    TREToken first = Tok();
    TREBinCode* item = Primary();
    if (!IsQuantifier(Tok())) {
      if (item && RE.Options().Contains(roAutoCallout)) return WithAutoCallout(item, itemStart);
      return item;
    }
    if (!item) Lex.ErrorAt(sNothingToRepeat, Lex.State().Pos - 1);
    if (first == tkAheadMatch || first == tkAheadNoMatch)
      throw ERegExpCompile(REErrorMessage(sLoopOfMatchAheadNotSpecified, Lex.Pattern(), Lex.State().Pos));
    const TRECodeKind leafKind = item->Leaf ? item->Leaf->Kind() : ckOther;
    if (leafKind == ckBoundary || leafKind == ckTextHead || leafKind == ckTextTail || leafKind == ckTextEnd)
      Lex.ErrorAt(sLoopOfLengthZeroCannotSpecified, Lex.State().Pos - 1);
    int mn = 0, mx = 0;
    switch (Tok()) {
      case tkStar: mn = 0, mx = CONST_LoopMax; break;
      case tkPlus: mn = 1, mx = CONST_LoopMax; break;
      case tkQuest: mn = 0, mx = 1; break;
      default: mn = Lex.State().Min, mx = Lex.State().Max; break;
    }
    TREToken quant = Tok();
    std::size_t quantStart = Lex.State().TokenStart;
    TRELoopKind kind = lkGreedy;
    Next();
    if (Tok() == tkQuest) {
      kind = lkReluctant;
      Next();
    } else if (Tok() == tkPlus) {
      kind = lkPossessive;
      Next();
    }
    TREBinCode* loop = MakeLoop(item, quant, mn, mx, kind);
    if (RE.Options().Contains(roAutoCallout)) {
      std::size_t end = Lex.State().TokenStart;
      TRECode* co = NewCode<TRECalloutCode>(255, static_cast<int>(quantStart) + 1,
                                            static_cast<int>(end - quantStart), Opt());
      (void)itemStart;
      return NewBin(opConcat, Leaf(co), loop);
    }
    return loop;
  }

  TREBinCode* WithAutoCallout(TREBinCode* item, std::size_t itemStart) {
    std::size_t end = Lex.State().TokenStart;
    TRECode* co = NewCode<TRECalloutCode>(255, static_cast<int>(itemStart) + 1,
                                          static_cast<int>(end - itemStart), Opt());
    return NewBin(opConcat, Leaf(co), item);
  }

  TREBinCode* MakeLoop(TREBinCode* item, TREToken quant, int mn, int mx, TRELoopKind kind) {
    bool optimise = RE.OptimizeKind() == opCompileOnly || RE.OptimizeKind() == opBoth;
    bool greedyish = kind == lkGreedy || kind == lkPossessive;
    if (optimise && greedyish && item->Leaf && item->Leaf->CanRepeatFast()) {
      TREOperator op = opBound;
      if (mn == 0 && mx == CONST_LoopMax && quant != tkBound) op = opStar;
      else if (mn == 1 && mx == CONST_LoopMax && quant != tkBound) op = opPlus;
      if (op != opBound || quant == tkBound) {
        TREBinCode* b = NewBin(op, item);
        b->Min = mn;
        b->Max = mx;
        b->LoopKind = kind;
        // Possessive .*+ keeps its kind: giving nothing back is its meaning.
        const TRECodeKind leafKind = item->Leaf->Kind();
        if (op == opStar && kind == lkGreedy && leafKind == ckAnyChar) b->LoopKind = lkAny;
        if (op == opStar && kind == lkGreedy && leafKind == ckCombining) b->LoopKind = lkCombiningSequence;
        return b;
      }
    }
    if (quant == tkQuest && kind != lkPossessive) {
      // x? is an alternation with the empty string, in the order of the kind.
      TREBinCode* b = NewBin(opQuest, item);
      b->Min = 0;
      b->Max = 1;
      b->LoopKind = kind;
      return b;
    }
    TREBinCode* b = NewBin(opLoop, item);
    b->Min = mn;
    b->Max = mx;
    b->LoopKind = kind;
    return b;
  }

  // Single characters with the same options merge into one literal; a
  // character directly followed by a quantifier is left for the next item.
  TREBinCode* LiteralRun() {
    TREOptions opts = Opt();
    std::vector<std::uint32_t> chars;
    chars.reserve(32);
    chars.push_back(Lex.State().Char);
    if (!Lex.NextPlainChar()) Next();
    while (Tok() == tkChar && Opt() == opts && !IsQuantifierAhead()) {
      chars.push_back(Lex.State().Char);
      if (!Lex.NextPlainChar()) Next();
    }
    if (chars.size() == 1) return Leaf(NewCode<TRECharCode>(chars[0], opts));
    return Leaf(NewCode<TRELiteralCode>(chars, opts));
  }

  // With the current token a character: whether a quantifier follows it.
  bool IsQuantifierAhead() {
    // Fast answer in plain text without extended mode: the next token starts
    // at the cursor, so only * + ? { can begin a quantifier; ( and \ may
    // begin a skipped comment or \Q\E and take the full look-ahead.
    const TRELexRec& st = Lex.State();
    if (st.Context == ctNormal && !st.Options.Contains(roExtended)) {
      const std::u16string& pat = Lex.Pattern();
      if (st.Pos >= pat.size()) return false;
      const char16_t c = pat[st.Pos];
      if (c != u'*' && c != u'+' && c != u'?' && c != u'{' && c != u'(' && c != u'\\') return false;
    }
    TRELexRec save = Lex.Save();
    bool q = IsQuantifier(Lex.GetToken());
    Lex.Restore(save);
    return q;
  }

  [[noreturn]] void UnmatchedParen() { Lex.ErrorAt(sUnmatchedSmallPar, Lex.State().Pos); }

  // Reads a group body up to its ')' with the options pushed; returns the
  // body and leaves the lexer after the ')'.
  TREBinCode* GroupBody(TREOptions inner, bool branchReset = false, std::size_t* bodyEnd = nullptr) {
    if (++Depth > MaxNestDepth) Lex.Error(sNotRecognized);
    TREOptions saved = Opt();
    Lex.SetOptions(inner);
    Next();
    TREBinCode* body = RegExpr(branchReset);
    if (Tok() != tkRPar) UnmatchedParen();
    if (bodyEnd) *bodyEnd = Lex.State().TokenStart;
    Lex.SetOptions(saved);
    --Depth;
    Next();
    return body;
  }

  static bool IsCall(const TREBinCode* b) { return b && !b->Leaf && b->Op == opGoSub; }

  void CheckRecursion(const TREBinCode* body, std::size_t groupStart) {
    bool bad = IsCall(body);
    std::vector<const TREBinCode*> alts;
    if (body && !body->Leaf && body->Op == opUnion) {
      std::vector<const TREBinCode*> stack{body};
      while (!stack.empty()) {
        const TREBinCode* n = stack.back();
        stack.pop_back();
        if (n && !n->Leaf && n->Op == opUnion) {
          stack.push_back(n->Left);
          stack.push_back(n->Right);
        } else if (IsCall(n)) {
          bad = true;
        }
      }
    }
    if (bad) Lex.ErrorSpan(sNeverEndingRecursion, groupStart, Lex.State().TokenStart - 1);
  }

  static bool HasLoop(const TREBinCode* b) {
    std::vector<const TREBinCode*> stack{b};
    while (!stack.empty()) {
      const TREBinCode* n = stack.back();
      stack.pop_back();
      if (!n || n->Leaf) continue;
      if (n->Op == opPlus || n->Op == opStar || n->Op == opBound || n->Op == opLoop) return true;
      if (n->Op == opQuest) return true;
      stack.push_back(n->Left);
      stack.push_back(n->Right);
    }
    return false;
  }

  TREBinCode* CapturingGroup(const std::u16string& name) {
    int index = ++GroupCounter;
    SyncGroupCount();
    TREGroupTable& groups = RE.Groups();
    if (index >= groups.Count()) {
      groups.Add(name);
    } else if (!name.empty()) {
      groups.AddName(name, index);
    }
    std::size_t groupStart = Lex.State().TokenStart;
    std::size_t bodyStart = Lex.State().Pos;
    std::size_t bodyEnd = bodyStart;
    TREBinCode* body = GroupBody(Opt(), false, &bodyEnd);
    CheckRecursion(body, groupStart);
    TREGroupInfo& g = groups.Item(index);
    if (g.SubExpression.empty()) {
      std::u16string text = Lex.Pattern().substr(bodyStart, bodyEnd - bodyStart);
      while (!text.empty() && text.back() <= u' ') text.pop_back();
      g.SubExpression = text;
    }
    TREBinCode* b = NewBin(opGroup, body);
    b->GroupIndex = index;
    b->GroupName = name;
    return b;
  }

  TREBinCode* Reference(int number) {
    if (Opt().Contains(roNamedGroupOnly)) Lex.Error(sUseNamedGroup);
    auto* code = NewCode<TREReferenceCode>(number, Opt());
    Refs.push_back({number, {}, nullptr, code, nullptr, nullptr, false});
    RE.SetHasBackReference();
    return Leaf(code);
  }

  int Relative(int n) {
    // -n: n groups back from the last opened; +n: n groups ahead.
    const long long abs = n < 0 ? static_cast<long long>(GroupCounter) + n + 1 : static_cast<long long>(GroupCounter) + n;
    if (abs <= 0 || abs > 0x7FFFFFFF || n == 0) Lex.ErrorValue(sInvalidGroupNumber, n);
    return static_cast<int>(abs);
  }

  TREBinCode* Call(int number, const std::u16string& name) {
    TREBinCode* b = NewBin(opGoSub);
    b->GroupIndex = number;
    b->GroupName = name;
    Refs.push_back({number, name, b, nullptr, nullptr, nullptr, false});
    RE.SetHasGoSub();
    return b;
  }

  TREBinCode* Verb(TREOperator op) {
    TREBinCode* b = NewBin(op);
    const std::u16string& name = Lex.State().Name;
    if (!name.empty()) {
      b->NameIndex = RE.AddName(name);
    }
    Next();
    return b;
  }

  TREBinCode* Assertion(TREOperator op) {
    std::size_t start = Lex.State().TokenStart;
    TREBinCode* body = GroupBody(Opt());
    if ((op == opBehindMatch || op == opBehindNoMatch) && HasLoop(body))
      Lex.ErrorSpan(sBehindMatchNotVariableLength, start, Lex.State().TokenStart - 1);
    return NewBin(op, body);
  }

  TREBinCode* Conditional() {
    const TRELexRec st = Lex.State();
    TREBinCode* cond = nullptr;
    bool define = false;
    switch (st.Token) {
      case tkIfMatchRef:
        if (st.HasNumber) {
          auto* c = NewCode<TREIfThenReferenceCode>(st.Number, Opt());
          TRef r{st.Number, {}, nullptr, nullptr, c, nullptr, true};
          Refs.push_back(r);
          cond = Leaf(c);
        } else {
          auto* c = NewCode<TREIfThenNamedReferenceCode>(st.Name, Opt());
          Refs.push_back({0, st.Name, nullptr, nullptr, c, nullptr, true});
          cond = Leaf(c);
        }
        break;
      case tkInSubRef:
        if (st.HasNumber) {
          auto* c = NewCode<TREInSubReferenceCode>(st.Number, Opt());
          if (st.Number > 0) Refs.push_back({st.Number, {}, nullptr, nullptr, nullptr, c, true});
          cond = Leaf(c);
        } else {
          auto* c = NewCode<TREInSubNameReferenceCode>(st.Name, Opt());
          Refs.push_back({0, st.Name, nullptr, nullptr, nullptr, c, true});
          cond = Leaf(c);
        }
        break;
      case tkDefine:
        define = true;
        break;
      default: {
        // tkIfMatch: an assertion group follows.
        TREToken t = Next();
        TREOperator op = t == tkAheadMatch     ? opAheadMatch
                         : t == tkAheadNoMatch ? opAheadNoMatch
                         : t == tkBehindMatch  ? opBehindMatch
                         : t == tkBehindNoMatch ? opBehindNoMatch
                                                : opEmply;
        if (op == opEmply) Lex.Error(sInvalideCondition);
        if (++Depth > MaxNestDepth) Lex.Error(sNotRecognized);
        TREOptions saved = Opt();
        Next();
        TREBinCode* body = RegExpr();
        if (Tok() != tkRPar) UnmatchedParen();
        Lex.SetOptions(saved);
        --Depth;
        if ((op == opBehindMatch || op == opBehindNoMatch) && HasLoop(body))
          throw ERegExpCompile(REErrorMessage(REFormat(sBehindMatchNotVariableLength, u""), Lex.Pattern(),
                                              Lex.State().Pos));
        cond = NewBin(op, body);
        break;
      }
    }
    // Branches up to the conditional's ')'.
    if (++Depth > MaxNestDepth) Lex.Error(sNotRecognized);
    TREOptions saved = Opt();
    Next();
    TREBinCode* yes = Term();
    TREBinCode* no = nullptr;
    if (Tok() == tkUnion) {
      Next();
      no = Term();
      if (Tok() == tkUnion || define)
        throw ERegExpCompile(REErrorMessage(sContainsTooManyBranches, Lex.Pattern(), Lex.State().Pos));
    }
    if (Tok() != tkRPar) UnmatchedParen();
    Lex.SetOptions(saved);
    --Depth;
    Next();
    TREBinCode* then = NewBin(opIfThen, yes, no);
    if (define) return NewBin(opDefine, then);
    return NewBin(opIfMatch, cond, then);
  }

  TREBinCode* CharClass(bool negative) {
    auto* cls = NewCode<TRECharClassCode>(negative, Opt());
    TREOptions o = Opt();
    while (true) {
      TREToken t = Next();
      const TRELexRec& st = Lex.State();
      switch (t) {
        case tkCharClassEnd:
          cls->Sort();
          Next();
          return Leaf(cls);
        case tkChar: cls->Add(st.Char); break;
        case tkRangeChar: cls->Add(st.StartChar, st.LastChar); break;
        case tkWordChar: cls->Add(std::make_unique<TREWordCharCode>(false, o)); break;
        case tkNEWordChar: cls->Add(std::make_unique<TREWordCharCode>(true, o)); break;
        case tkDigitChar: cls->Add(std::make_unique<TREDigitCharCode>(false, o)); break;
        case tkNEDigitChar: cls->Add(std::make_unique<TREDigitCharCode>(true, o)); break;
        case tkSpaceChar: cls->Add(std::make_unique<TRESpaceCharCode>(false, o)); break;
        case tkNESpaceChar: cls->Add(std::make_unique<TRESpaceCharCode>(true, o)); break;
        case tkHorizontalSpaceChar: cls->Add(std::make_unique<TREHorizontalSpaceCharCode>(false, o)); break;
        case tkNEHorizontalSpaceChar: cls->Add(std::make_unique<TREHorizontalSpaceCharCode>(true, o)); break;
        case tkVerticalSpaceChar: cls->Add(std::make_unique<TREVerticalSpaceCharCode>(false, o)); break;
        case tkNEVerticalSpaceChar: cls->Add(std::make_unique<TREVerticalSpaceCharCode>(true, o)); break;
        case tkProperty: cls->Add(std::make_unique<TREPropertyCode>(st.Property, false, o)); break;
        case tkNEProperty: cls->Add(std::make_unique<TREPropertyCode>(st.Property, true, o)); break;
        case tkPosixBracket: cls->Add(std::make_unique<TREPosixCharClassCode>(st.PosixKind, false, o)); break;
        case tkNEPosixBracket: cls->Add(std::make_unique<TREPosixCharClassCode>(st.PosixKind, true, o)); break;
        case tkEnd: Lex.ErrorAt(sUnmatchedBigPar, Lex.State().Pos);
        default: Lex.Error(sInvalidCharactorClass);
      }
    }
  }

  TREBinCode* Primary() {
    const TRELexRec& st = Lex.State();
    TREOptions o = Opt();
    switch (Tok()) {
      case tkChar: return LiteralRun();
      case tkDot: Next(); return Leaf(NewCode<TREAnyCharCode>(o));
      case tkLHead: Next(); return Leaf(NewCode<TRELineHeadCode>(o));
      case tkLTail: Next(); return Leaf(NewCode<TRELineTailCode>(o));
      case tkTHead: Next(); return Leaf(NewCode<TRETextHeadCode>(o));
      case tkTTail: Next(); return Leaf(NewCode<TRETextTailCode>(o));
      case tkTTailEnd: Next(); return Leaf(NewCode<TRETextEndCode>(o));
      case tkWordBoundary: Next(); return Leaf(NewCode<TREBoundaryCode>(false, o));
      case tkNEWordBoundary: Next(); return Leaf(NewCode<TREBoundaryCode>(true, o));
      case tkGlobalPos: Next(); return Leaf(NewCode<TREGlobalPosCode>(o));
      case tkWordChar: Next(); return Leaf(NewCode<TREWordCharCode>(false, o));
      case tkNEWordChar: Next(); return Leaf(NewCode<TREWordCharCode>(true, o));
      case tkDigitChar: Next(); return Leaf(NewCode<TREDigitCharCode>(false, o));
      case tkNEDigitChar: Next(); return Leaf(NewCode<TREDigitCharCode>(true, o));
      case tkSpaceChar: Next(); return Leaf(NewCode<TRESpaceCharCode>(false, o));
      case tkNESpaceChar: Next(); return Leaf(NewCode<TRESpaceCharCode>(true, o));
      case tkHorizontalSpaceChar: Next(); return Leaf(NewCode<TREHorizontalSpaceCharCode>(false, o));
      case tkNEHorizontalSpaceChar: Next(); return Leaf(NewCode<TREHorizontalSpaceCharCode>(true, o));
      case tkVerticalSpaceChar: Next(); return Leaf(NewCode<TREVerticalSpaceCharCode>(false, o));
      case tkNEVerticalSpaceChar: Next(); return Leaf(NewCode<TREVerticalSpaceCharCode>(true, o));
      case tkLineBreak: Next(); return Leaf(NewCode<TRELineBreakCharCode>(o));
      case tkCombiningSequence: Next(); return Leaf(NewCode<TRECombiningSequence>(o));
      case tkProperty:
      case tkNEProperty: {
        bool neg = Tok() == tkNEProperty;
        TUnicodeProperty p = st.Property;
        Next();
        return Leaf(NewCode<TREPropertyCode>(p, neg, o));
      }
      case tkPosixBracket:
      case tkNEPosixBracket: {
        bool neg = Tok() == tkNEPosixBracket;
        TREPosixClassKind k = st.PosixKind;
        Next();
        return Leaf(NewCode<TREPosixCharClassCode>(k, neg, o));
      }
      case tkCharClassFirst: return CharClass(false);
      case tkNegativeCharClassFirst: return CharClass(true);
      case tkKeepPattern: Next(); return NewBin(opKeepPattern);
      case tkReference: {
        int n = st.Number;
        Next();
        return Reference(n);
      }
      case tkReferenceRelative: {
        int n = Relative(st.Number);
        Next();
        return Reference(n);
      }
      case tkNamedReference: {
        auto* code = NewCode<TRENamedReferenceCode>(st.Name, o);
        Refs.push_back({0, st.Name, nullptr, code, nullptr, nullptr, false});
        RE.SetHasBackReference();
        Next();
        return Leaf(code);
      }
      case tkLPar:
        if (RE.Options().Contains(roNamedGroupOnly) || o.Contains(roNamedGroupOnly))
          return GroupBody(o);
        return CapturingGroup({});
      case tkGroupBegin: return CapturingGroup(std::u16string(st.Name));
      case tkLParWithOption: return GroupBody(st.NewOptions);
      case tkOption:
        // Already applied by the lexer: the options hold to the group's end.
        Next();
        return nullptr;
      case tkNoBackTrack: return NewBin(opNoBackTrack, GroupBody(o));
      case tkAheadMatch: return Assertion(opAheadMatch);
      case tkAheadNoMatch: return Assertion(opAheadNoMatch);
      case tkBehindMatch: return Assertion(opBehindMatch);
      case tkBehindNoMatch: return Assertion(opBehindNoMatch);
      case tkBranchReset: return GroupBody(o, true);
      case tkIfMatch:
      case tkIfMatchRef:
      case tkInSubRef:
      case tkDefine: return Conditional();
      case tkGoSub: {
        int n = st.Number;
        Next();
        return Call(n, {});
      }
      case tkGoSubRelative: {
        int n = Relative(st.Number);
        Next();
        return Call(n, {});
      }
      case tkGoSubName: {
        std::u16string name = st.Name;
        Next();
        return Call(-1, name);
      }
      case tkCallout: {
        int n = st.Min;
        auto* code = NewCode<TRECalloutCode>(n, static_cast<int>(st.Pos) + 1, 0, o);
        Next();
        return Leaf(code);
      }
      case tkFail: Next(); return NewBin(opFail);
      case tkbcPrune: return Verb(opPrune);
      case tkbcSkip: return Verb(opSkip);
      case tkbcMark: return Verb(opMark);
      case tkbcThen: return Verb(opThen);
      case tkbcCommit: return Verb(opCommint);
      case tkbcAccept: return Verb(opAccept);
      case tkStar:
      case tkPlus:
      case tkQuest:
      case tkBound: Lex.ErrorAt(sNothingToRepeat, Lex.State().Pos - 1);
      default: Lex.Error(sNotRecognized);
    }
  }

  // ------------------------------------------------------------ resolution
  void Resolve() {
    TREGroupTable& groups = RE.Groups();
    int count = groups.Count() - 1;
    for (TRef& r : Refs) {
      int index = r.Number;
      if (!r.Name.empty()) {
        index = groups.IndexOfName(r.Name);
        if (index < 0) Lex.ErrorName(sInvalidGroupName, r.Name);
        if (r.Call && groups.CountOfName(r.Name) > 1) Lex.ErrorName(sCannotCallMultipleDefineGroupName, r.Name);
      } else if (index > count || index < 0) {
        if (r.IsCondition && r.Cond) Lex.ErrorValue(sRangeOverGroupNumber, index);
        Lex.ErrorValue(sInvalidGroupNumber, index);
      }
      if (r.Call) r.Call->GroupIndex = index;
      if (r.Ref) {
        r.Ref->SetGroupIndex(index);
        groups.Item(index).IsReferenced = true;
      }
      if (r.Cond) {
        r.Cond->SetGroupIndex(index);
        groups.Item(index).IsReferenced = true;
      }
      if (r.InSub) r.InSub->SetGroupIndex(index);
    }
    groups.CheckSameGroupName();
  }

  TREBinCode* Parse() {
    RE.Groups().Clear();
    RE.Groups().Add({});
    Next();
    TREBinCode* root = RegExpr();
    if (Tok() == tkRPar) Lex.ErrorAt(sUnmatchedSmallPar, Lex.State().Pos - 1);
    if (Tok() != tkEnd) Lex.Error(sRegExpNotCompleted);
    Resolve();
    return root;
  }
};

TREParser::TREParser(TREProgram& program, TREBinCodeStore& binCodes)
    : FImpl(std::make_unique<Impl>(program, binCodes)) {}

TREParser::~TREParser() = default;

TREBinCode* TREParser::Parse() { return FImpl->Parse(); }

}  // namespace vantora
