// Zero-width and context leaves: ^ $ \A \Z \z \b \B \G, back-references
// (numbered and named), the conditions of (?(...)...) and callouts.
//
// Anchors look only at the range [FMatchTopP, FMatchEndP] of the owner.
// Back-references read the current capture record of their group; a group
// that has not matched makes the reference fail. Conditions that depend on
// the matcher's call stack ((R), (Rn), (R&name)) and callouts are evaluated
// by the matcher itself; their leaves only carry the data.
// Covered by tests/regex/test_code.cpp.
#pragma once

#include <string>

#include "regex/RegExpCode.h"
#include "regex/RegExpW.h"

namespace vantora {

// Base of the zero-width leaves.
class TREZeroWidthCode : public TRECode {
 public:
  using TRECode::TRECode;
  bool IsEqual(const char16_t* p, int& len) const override {
    len = 0;
    return Test(p);
  }
  virtual bool Test(const char16_t* p) const = 0;
  void GetLengthRange(int& min, int& max) const override { min = max = 0; }
  void GetCharLengthRange(int& min, int& max) const override { min = max = 0; }
};

// ^ (roMultiLine: also after a line break, except at the range end).
class TRELineHeadCode : public TREZeroWidthCode {
 public:
  using TREZeroWidthCode::TREZeroWidthCode;
  bool Test(const char16_t* p) const override;
  bool IsAnchored() const override { return true; }
  bool MultiLine() const { return Options().Contains(roMultiLine); }
  std::string Dump() const override { return MultiLine() ? "^(m)" : "^"; }
};

// $: the range end or a final single line break; roMultiLine: also before
// any line break.
class TRELineTailCode : public TREZeroWidthCode {
 public:
  using TREZeroWidthCode::TREZeroWidthCode;
  bool Test(const char16_t* p) const override;
  bool MultiLine() const { return Options().Contains(roMultiLine); }
  std::string Dump() const override { return MultiLine() ? "$(m)" : "$"; }
};

// \A
class TRETextHeadCode : public TREZeroWidthCode {
 public:
  using TREZeroWidthCode::TREZeroWidthCode;
  bool Test(const char16_t* p) const override { return p == RangeStart(); }
  bool IsAnchored() const override { return true; }
  std::string Dump() const override { return "\\A"; }
};

// \Z: the range end or before a final run of line breaks.
class TRETextTailCode : public TREZeroWidthCode {
 public:
  using TREZeroWidthCode::TREZeroWidthCode;
  bool Test(const char16_t* p) const override;
  std::string Dump() const override { return "\\Z"; }
};

// \z
class TRETextEndCode : public TREZeroWidthCode {
 public:
  using TREZeroWidthCode::TREZeroWidthCode;
  bool Test(const char16_t* p) const override { return p == RangeEnd(); }
  std::string Dump() const override { return "\\z"; }
};

// \b and \B.
class TREBoundaryCode : public TREZeroWidthCode {
 public:
  TREBoundaryCode(TRegExp& owner, bool negative, TREOptions options)
      : TREZeroWidthCode(owner, options), FNegative(negative) {}
  bool Test(const char16_t* p) const override;
  bool Negative() const { return FNegative; }
  std::string Dump() const override { return FNegative ? "\\B" : "\\b"; }

 private:
  bool FNegative;
};

// \G: the end of the previous match (the range start before any match).
class TREGlobalPosCode : public TREZeroWidthCode {
 public:
  TREGlobalPosCode(TRegExp& owner, TREOptions options) : TREZeroWidthCode(owner, options) { FKind = ckGlobalPos; }
  bool Test(const char16_t* p) const override;
  std::string Dump() const override { return "\\G"; }
};

// \n, \k<n>, \g{n}: the text of group n, compared under the options.
class TREReferenceCode : public TRECode {
 public:
  TREReferenceCode(TRegExp& owner, int groupIndex, TREOptions options)
      : TRECode(owner, options), FGroupIndex(groupIndex) {}
  bool IsEqual(const char16_t* p, int& len) const override;
  void GetLengthRange(int& min, int& max) const override { min = 0, max = -1; }
  void GetCharLengthRange(int& min, int& max) const override { min = 0, max = -1; }
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int index) { FGroupIndex = index; }
  std::string Dump() const override { return "ref " + std::to_string(FGroupIndex); }

 protected:
  // Compares the subject at p with a capture.
  bool MatchCapture(const TRECapture& cap, const char16_t* p, int& len) const;
  int FGroupIndex;
};

// \k<name>: among the groups of that name, the first that matched.
class TRENamedReferenceCode : public TREReferenceCode {
 public:
  TRENamedReferenceCode(TRegExp& owner, const std::u16string& name, TREOptions options)
      : TREReferenceCode(owner, 0, options), FGroupName(name) {}
  bool IsEqual(const char16_t* p, int& len) const override;
  const std::u16string& GroupName() const { return FGroupName; }
  std::string Dump() const override { return "named-ref " + std::to_string(FGroupIndex); }

 private:
  std::u16string FGroupName;
};

// Condition (n) / (<name>): true if the group has matched.
class TREIfThenReferenceCode : public TREZeroWidthCode {
 public:
  TREIfThenReferenceCode(TRegExp& owner, int groupIndex, TREOptions options)
      : TREZeroWidthCode(owner, options), FGroupIndex(groupIndex) {}
  bool Test(const char16_t* p) const override;
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int index) { FGroupIndex = index; }
  std::string Dump() const override { return "if-group " + std::to_string(FGroupIndex); }

 protected:
  int FGroupIndex;
};

class TREIfThenNamedReferenceCode : public TREIfThenReferenceCode {
 public:
  TREIfThenNamedReferenceCode(TRegExp& owner, const std::u16string& name, TREOptions options)
      : TREIfThenReferenceCode(owner, 0, options), FGroupName(name) {}
  // True if any group of the name has matched.
  bool Test(const char16_t* p) const override;
  const std::u16string& GroupName() const { return FGroupName; }
  std::string Dump() const override { return "if-named " + std::to_string(FGroupIndex); }

 private:
  std::u16string FGroupName;
};

// Condition (R), (Rn), (R&name): inside a call of the group (0 = any
// recursion). The matcher evaluates it from its call stack; Test is false.
class TREInSubReferenceCode : public TREZeroWidthCode {
 public:
  TREInSubReferenceCode(TRegExp& owner, int groupIndex, TREOptions options)
      : TREZeroWidthCode(owner, options), FGroupIndex(groupIndex) {
    FKind = ckInSubReference;
  }
  bool Test(const char16_t*) const override { return false; }
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int index) { FGroupIndex = index; }
  std::string Dump() const override { return "in-sub " + std::to_string(FGroupIndex); }

 protected:
  int FGroupIndex;
};

class TREInSubNameReferenceCode : public TREInSubReferenceCode {
 public:
  TREInSubNameReferenceCode(TRegExp& owner, const std::u16string& name, TREOptions options)
      : TREInSubReferenceCode(owner, 0, options), FGroupName(name) {}
  const std::u16string& GroupName() const { return FGroupName; }

 private:
  std::u16string FGroupName;
};

// (?Cn) and automatic callouts. The matcher fills the positions of Data
// and calls OnCallout.
class TRECalloutCode : public TRECode {
 public:
  TRECalloutCode(TRegExp& owner, int number, int patternPosition, int nextItemLength, TREOptions options)
      : TRECode(owner, options) {
    FKind = ckCallout;
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
