// Outcome keywords, the Japanese details of the report, the decision from a
// download's report, and the report's file name and lines.
#include "worker/Outcome.h"

#include "common/Charset.h"
#include "worker/CsvFile.h"

namespace vantora {
namespace {

std::string Sjis(const std::string& utf8) { return Utf8ToCp932(utf8); }

std::string WithStatus(const char* textUtf8, int status) {
  return Sjis(std::string(textUtf8) + " (" + std::to_string(status) + ")");
}

std::string NetworkDetail(const DownloadResult& d) {
  switch (d.failure) {
    case DownloadFailure::kRefused: return Sjis("サーバーに接続できません");
    case DownloadFailure::kNotResolved: return Sjis("サーバー名を解決できません");
    case DownloadFailure::kTlsUntrusted: return Sjis("サーバーの証明書を確認できません");
    case DownloadFailure::kTlsHostMismatch: return Sjis("サーバーの証明書が別のホスト名のものです");
    case DownloadFailure::kTlsExpired: return Sjis("サーバーの証明書の有効期限が切れています");
    case DownloadFailure::kTlsOther: return Sjis("サーバーとの暗号化通信に失敗しました");
    case DownloadFailure::kTimedOut: return Sjis("サーバーの応答がありません (時間切れ)");
    case DownloadFailure::kDropped: return Sjis("ページの受信中に接続が切れました");
    default: return Sjis("通信に失敗しました: " + d.reason);
  }
}

}  // namespace

const char* OutcomeKeyword(Outcome outcome) {
  switch (outcome) {
    case Outcome::kOk: return "ok";
    case Outcome::kNotFound: return "not-found";
    case Outcome::kBlocked: return "blocked";
    case Outcome::kHttpError: return "http-error";
    case Outcome::kNetwork: return "network";
    case Outcome::kLayoutChanged: return "layout-changed";
    case Outcome::kCancelled: return "cancelled";
    case Outcome::kLocalError: return "local-error";
    case Outcome::kTooLarge: return "too-large";
  }
  return "local-error";
}

PageOutcome MakeOutcome(Outcome outcome, const std::string& url, int httpStatus) {
  PageOutcome o;
  o.outcome = outcome;
  o.httpStatus = httpStatus;
  o.url = url;
  switch (outcome) {
    case Outcome::kLayoutChanged: o.detail = Sjis("ページに必要な情報がありません (ページの形式が違います)"); break;
    case Outcome::kCancelled: o.detail = Sjis("取得を中断しました"); break;
    case Outcome::kLocalError:
      o.detail = Sjis("作業ファイルを読み込めません");
      o.reason = "the scratch file cannot be read back";
      break;
    default: break;
  }
  return o;
}

bool IsTlsFailure(DownloadFailure failure) {
  return failure == DownloadFailure::kTlsUntrusted || failure == DownloadFailure::kTlsHostMismatch ||
         failure == DownloadFailure::kTlsExpired || failure == DownloadFailure::kTlsOther;
}

PageOutcome OutcomeOfDownload(const DownloadResult& d, const std::string& url) {
  PageOutcome o;
  o.url = url;
  o.httpStatus = d.httpStatus;
  o.failure = d.failure;
  if (d.failure == DownloadFailure::kScratchFile) {
    o.outcome = Outcome::kLocalError;
    o.detail = Sjis("作業ファイルに書き込めません: " + d.reason);
    o.reason = d.reason;
    return o;
  }
  if (d.failure == DownloadFailure::kTooLarge) {
    o.outcome = Outcome::kTooLarge;
    o.detail = Sjis("ページが大きすぎます (" + std::to_string(PageSizeLimit() / 1000000) + " MB まで読み取りました)");
    return o;
  }
  if (d.failure == DownloadFailure::kCancelled) return MakeOutcome(Outcome::kCancelled, url, d.httpStatus);
  if (d.failure != DownloadFailure::kNone) {
    o.outcome = Outcome::kNetwork;
    o.detail = NetworkDetail(d);
    o.reason = d.reason;
    return o;
  }
  const int s = d.httpStatus;
  if (s == 404 || s == 410) {
    o.outcome = Outcome::kNotFound;
    o.detail = WithStatus("ページが見つかりません", s);
  } else if (s == 429 || s == 503) {
    o.outcome = Outcome::kBlocked;
    o.detail = WithStatus("サイトがアクセスを制限しています", s);
  } else if (s >= 400) {
    o.outcome = Outcome::kHttpError;
    o.detail = WithStatus("サーバーがエラーを返しました", s);
  }
  return o;
}

std::string ReportPathFor(const std::string& outputPath) {
  const std::string suffix = ".report.csv";
  const std::size_t n = outputPath.size();
  if (n >= 4 && outputPath[n - 4] == '.') {
    const std::string ext = outputPath.substr(n - 3);
    bool csv = true;
    for (std::size_t i = 0; i < 3; ++i) csv = csv && (ext[i] | 0x20) == "csv"[i];
    if (csv) return outputPath.substr(0, n - 4) + suffix;
  }
  return outputPath + suffix;
}

std::string ReportHeaderLine() { return "\"code\",\"outcome\",\"http_status\",\"detail\",\"url\""; }

std::string FormatReportLine(const std::string& code, const PageOutcome& outcome) {
  std::string line;
  AppendCsvValue(line, code);
  AppendCsvValue(line, OutcomeKeyword(outcome.outcome));
  AppendCsvValue(line, outcome.httpStatus > 0 ? std::to_string(outcome.httpStatus) : std::string());
  AppendCsvValue(line, outcome.detail);
  AppendCsvValue(line, outcome.url);
  return line;
}

}  // namespace vantora
