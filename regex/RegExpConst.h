// The engine's message table and the formatting of its error messages.
//
// Compile errors are built in two steps: the message is formatted with one
// argument (the pattern fragment, a number or a name), then joined with the
// position marker as "%s; %s", where the marker is the whole pattern with
// " <-- " inserted after the error offset.
// Covered by tests/regex/test_compile_errors.cpp.
#pragma once

#include <string>

namespace vantora {

// Message texts.
inline constexpr const char16_t* sNotRecognized = u"%s認識できない正規表現です";
inline constexpr const char16_t* sHexDigitIsRequired = u"%s16進数が必要です";
inline constexpr const char16_t* sCodePointRangeOver = u"%sコードポイントの範囲を超えています";
inline constexpr const char16_t* sLoopOfMatchAheadNotSpecified = u"先読みでの繰り返しは指定できません";
inline constexpr const char16_t* sUnmatchedBigPar = u"%s [ がマッチしません";
inline constexpr const char16_t* sMissingRightBraceOnEscx = u"%s } がありません";
inline constexpr const char16_t* sQuantifierIsTooLarge = u"%s繰り返しの数が大きすぎます";
inline constexpr const char16_t* sCantDoMaxLessMin = u"%s最大値より最小値のほうが大きいです";
inline constexpr const char16_t* sPosixClassUnkown = u"[:%s:] はPOSIXクラスではありません";
inline constexpr const char16_t* sInvalideBigParRange = u"文字クラスの範囲指定が違います [%s]";
inline constexpr const char16_t* sGroupNameIsEmpty = u"%sグループ名がありません";
inline constexpr const char16_t* sGroupNumberIsEmpty = u"%sグループ番号がありません";
inline constexpr const char16_t* sNoEndOfGroup = u"%sグループが終了していません";
inline constexpr const char16_t* sUnmatchedSmallPar = u"%s ( がマッチしません";
inline constexpr const char16_t* sOptionNotCompleted = u"%sオプションの指定が終了していません";
inline constexpr const char16_t* sPropertyUnknown = u"{%s} はプロパティではありません";
inline constexpr const char16_t* sInvalidProperty = u"%sプロパティが不正です";
inline constexpr const char16_t* sMissingRightBrace = u"%s ] がありません";
inline constexpr const char16_t* sQuestPosInaccurate = u"?の位置が不正です";
inline constexpr const char16_t* sLoopOfLengthZeroCannotSpecified = u"%s長さゼロの繰り返しはできません";
inline constexpr const char16_t* sRegExpNotCompleted = u"%s正規表現が正しく終了していません";
inline constexpr const char16_t* sInvalidCharactorClass = u"%s不正な文字クラスです";
inline constexpr const char16_t* sCannotCallMultipleDefineGroupName =
    u"多重定義されたグループ名<%s>の部分式は呼び出せません";
inline constexpr const char16_t* sInvalidGroupNumber = u"グループ番号<%d>はこの位置からは参照できません";
inline constexpr const char16_t* sInvalidGroupName = u"グループ名<%s>の書式が間違っています";
inline constexpr const char16_t* sInvalidCharInGroupName = u"グループ名の中に不正な文字があります";
inline constexpr const char16_t* sBehindMatchNotGroup = u"%s戻り読み内でグループは使えません";
inline constexpr const char16_t* sNeverEndingRecursion = u"%s終了しないかもしない再帰があります";
inline constexpr const char16_t* sBehindMatchNotVariableLength = u"%s戻り読み内で可変長文字列は使えません";
inline constexpr const char16_t* sInvalideCondition = u"%s条件式が不正です";
inline constexpr const char16_t* sContainsTooManyBranches = u"条件構文の分岐が多すぎます";
inline constexpr const char16_t* sNotTerminated = u"%s正規表現が終了していません";
inline constexpr const char16_t* sInvalidEscapeCharacterSyntax = u"%sエスケープ文字の書式が間違っています";
inline constexpr const char16_t* sPosixClassSupportedOnlyClass =
    u"%sPOSIX文字クラスが使えるのは文字クラスの中だけです";
inline constexpr const char16_t* sRangeOverCalloutNumber = u"%sコールアウト番号は 0 から 255 までです";
inline constexpr const char16_t* sNothingToRepeat = u"%s繰り返す対象がありません";
inline constexpr const char16_t* sConditionNotRecognized = u"%s条件式が認識できません";
inline constexpr const char16_t* sUnterminatedVerbPattern = u"%sバックトラック制御記号が正しく終了していません";
inline constexpr const char16_t* sUseNamedGroup = u"%sグループ番号では参照できません。グループ名を使ってください";
inline constexpr const char16_t* sFatalError = u"致命的エラー";
inline constexpr const char16_t* sExecFuncNotCall = u"Execメソッドが実行されていません";
inline constexpr const char16_t* sUnmatchedCurlyBracket = u"%s { がマッチしません";
inline constexpr const char16_t* sRangeOverGroupNumber = u"グループ番号<%d>は範囲を越えています";
inline constexpr const char16_t* sMissingGroupName = u"グループ名<%s>は存在しません";
inline constexpr const char16_t* sMatchLimitExceeded = u"%sの上限に達したため照合を中止しました";
inline constexpr const char16_t* sMatchLimitSteps = u"照合ステップ数";
inline constexpr const char16_t* sMatchLimitCallDepth = u"部分式呼び出しの深さ";
inline constexpr const char16_t* sMatchLimitMemory = u"照合用メモリ";
inline constexpr const char16_t* sNotFoundOldCode = u"BUG: not found OldCode";

// Replaces the first %s of fmt by arg (texts without %s are returned as is).
std::u16string REFormat(const char16_t* fmt, const std::u16string& arg);
// Replaces the first %d of fmt by the decimal value.
std::u16string REFormat(const char16_t* fmt, long long value);
// "message; pattern-with-marker" where the marker " <-- " follows the first
// 'offset' code units of the pattern (offset is clamped to the pattern).
std::u16string REErrorMessage(const std::u16string& message, const std::u16string& pattern,
                              std::size_t offset);

// UTF-16 -> UTF-8 (lone surrogates become U+FFFD) and back.
std::string REToUtf8(const std::u16string& s);
std::u16string REFromUtf8(const std::string& s);

}  // namespace vantora
