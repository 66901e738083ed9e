// Zero-width and context leaves: ^ $ \A \Z \z \b \B \G, back-references
// (numbered and named), the conditions of (?(...)...) and callouts.
//
// Anchors look only at the range [RangeTop, RangeEnd] of the context.
// Back-references read the current capture record of their group; a group
// that has not matched makes the reference fail. Conditions that depend on
// the matcher's call stack ((R), (Rn), (R&name)) and callouts are evaluated
// by the matcher itself; their leaves only carry the data.
// Covered by tests/regex/test_code.cpp.
#pragma once

#include <string>

#include "regex/RegExpCode.h"
#include "regex/RegExpW.h"  // TCalloutData

namespace vantora {

// Base of the zero-width leaves.
class TREZeroWidthCode : public TRECode {
 public:
  TREZeroWidthCode(TREOptions options, TRECodeKind kind) : TRECode(options, kind) {}
  bool IsEqual(const TREContext& cx, const char16_t* p, int& len) const override {
    len = 0;
    return Test(cx, p);
  }
  virtual bool Test(const TREContext& cx, const char16_t* p) const = 0;
  void GetLengthRange(int& min, int& max) const override { min = max = 0; }
  void GetCharLengthRange(int& min, int& max) const override { min = max = 0; }
};

// ^ (roMultiLine: also after a line break, except at the range end).
class TRELineHeadCode : public TREZeroWidthCode {
 public:
  explicit TRELineHeadCode(TREOptions options) : TREZeroWidthCode(options, ckLineHead) {}
  bool Test(const TREContext& cx, const char16_t* p) const override;
  bool IsAnchored() const override { return true; }
  bool MultiLine() const { return Options().Contains(roMultiLine); }
  std::string Dump() const override { return MultiLine() ? "^(m)" : "^"; }
};

// $: the range end or a final single line break; roMultiLine: also before
// any line break.
class TRELineTailCode : public TREZeroWidthCode {
 public:
  explicit TRELineTailCode(TREOptions options) : TREZeroWidthCode(options, ckLineTail) {}
  bool Test(const TREContext& cx, const char16_t* p) const override;
  bool MultiLine() const { return Options().Contains(roMultiLine); }
  std::string Dump() const override { return MultiLine() ? "$(m)" : "$"; }
};

// \A
class TRETextHeadCode : public TREZeroWidthCode {
 public:
  explicit TRETextHeadCode(TREOptions options) : TREZeroWidthCode(options, ckTextHead) {}
  bool Test(const TREContext& cx, const char16_t* p) const override { return p == cx.RangeTop; }
  bool IsAnchored() const override { return true; }
  std::string Dump() const override { return "\\A"; }
};

// \Z: the range end or before a final run of line breaks.
class TRETextTailCode : public TREZeroWidthCode {
 public:
  explicit TRETextTailCode(TREOptions options) : TREZeroWidthCode(options, ckTextTail) {}
  bool Test(const TREContext& cx, const char16_t* p) const override;
  std::string Dump() const override { return "\\Z"; }
};

// \z
class TRETextEndCode : public TREZeroWidthCode {
 public:
  explicit TRETextEndCode(TREOptions options) : TREZeroWidthCode(options, ckTextEnd) {}
  bool Test(const TREContext& cx, const char16_t* p) const override { return p == cx.RangeEnd; }
  std::string Dump() const override { return "\\z"; }
};

// \b and \B.
class TREBoundaryCode : public TREZeroWidthCode {
 public:
  TREBoundaryCode(bool negative, TREOptions options)
      : TREZeroWidthCode(options, ckBoundary), FNegative(negative) {}
  bool Test(const TREContext& cx, const char16_t* p) const override;
  bool Negative() const { return FNegative; }
  std::string Dump() const override { return FNegative ? "\\B" : "\\b"; }

 private:
  bool FNegative;
};

// \G: the end of the previous match (the range start before any match).
class TREGlobalPosCode : public TREZeroWidthCode {
 public:
  explicit TREGlobalPosCode(TREOptions options) : TREZeroWidthCode(options, ckGlobalPos) {}
  bool Test(const TREContext& cx, const char16_t* p) const override;
  std::string Dump() const override { return "\\G"; }
};

// \n, \k<n>, \g{n}: the text of group n, compared under the options.
class TREReferenceCode : public TRECode {
 public:
  TREReferenceCode(int groupIndex, TREOptions options)
      : TRECode(options, ckReference), FGroupIndex(groupIndex) {}
  bool IsEqual(const TREContext& cx, const char16_t* p, int& len) const override;
  void GetLengthRange(int& min, int& max) const override { min = 0, max = -1; }
  void GetCharLengthRange(int& min, int& max) const override { min = 0, max = -1; }
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int index) { FGroupIndex = index; }
  std::string Dump() const override { return "ref " + std::to_string(FGroupIndex); }

 protected:
  // Compares the subject at p with a capture.
  bool MatchCapture(const TREContext& cx, const TRECapture& cap, const char16_t* p, int& len) const;
  int FGroupIndex;
};

// \k<name>: among the groups of that name, the first that matched.
class TRENamedReferenceCode : public TREReferenceCode {
 public:
  TRENamedReferenceCode(const std::u16string& name, TREOptions options)
      : TREReferenceCode(0, options), FGroupName(name) {}
  bool IsEqual(const TREContext& cx, const char16_t* p, int& len) const override;
  const std::u16string& GroupName() const { return FGroupName; }
  std::string Dump() const override { return "named-ref " + std::to_string(FGroupIndex); }

 private:
  std::u16string FGroupName;
};

// Condition (n) / (<name>): true if the group has matched.
class TREIfThenReferenceCode : public TREZeroWidthCode {
 public:
  TREIfThenReferenceCode(int groupIndex, TREOptions options)
      : TREZeroWidthCode(options, ckIfThenReference), FGroupIndex(groupIndex) {}
  bool Test(const TREContext& cx, const char16_t* p) const override;
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int index) { FGroupIndex = index; }
  std::string Dump() const override { return "if-group " + std::to_string(FGroupIndex); }

 protected:
  int FGroupIndex;
};

class TREIfThenNamedReferenceCode : public TREIfThenReferenceCode {
 public:
  TREIfThenNamedReferenceCode(const std::u16string& name, TREOptions options)
      : TREIfThenReferenceCode(0, options), FGroupName(name) {}
  // True if any group of the name has matched.
  bool Test(const TREContext& cx, const char16_t* p) const override;
  const std::u16string& GroupName() const { return FGroupName; }
  std::string Dump() const override { return "if-named " + std::to_string(FGroupIndex); }

 private:
  std::u16string FGroupName;
};

// Condition (R), (Rn), (R&name): inside a call of the group (0 = any
// recursion). The matcher evaluates it from its call stack; Test is false.
class TREInSubReferenceCode : public TREZeroWidthCode {
 public:
  TREInSubReferenceCode(int groupIndex, TREOptions options)
      : TREZeroWidthCode(options, ckInSubReference), FGroupIndex(groupIndex) {}
  bool Test(const TREContext&, const char16_t*) const override { return false; }
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int index) { FGroupIndex = index; }
  std::string Dump() const override { return "in-sub " + std::to_string(FGroupIndex); }

 protected:
  int FGroupIndex;
};

class TREInSubNameReferenceCode : public TREInSubReferenceCode {
 public:
  TREInSubNameReferenceCode(const std::u16string& name, TREOptions options)
      : TREInSubReferenceCode(0, options), FGroupName(name) {}
  const std::u16string& GroupName() const { return FGroupName; }

 private:
  std::u16string FGroupName;
};

// (?Cn) and automatic callouts. The matcher fills the positions of Data
// and calls OnCallout.
class TRECalloutCode : public TRECode {
 public:
  TRECalloutCode(int number, int patternPosition, int nextItemLength, TREOptions options)
      : TRECode(options, ckCallout) {
    FData.CalloutNumber = number;
    FData.PatternPosition = patternPosition;
    FData.NextItemLength = nextItemLength;
  }
  void GetLengthRange(int& min, int& max) const override { min = 0, max = -1; }
  void GetCharLengthRange(int& min, int& max) const override { min = 0, max = -1; }
  const TCalloutData& Data() const { return FData; }
  void SetNextItemLength(int length) { FData.NextItemLength = length; }
  std::string Dump() const override { return "callout " + std::to_string(FData.CalloutNumber); }

 private:
  TCalloutData FData;
};

}  // namespace vantora
