// The window's texts exactly as shown (UTF-8 here; Shift-JIS in files), the
// run states it tells apart, the settings file's name and the client size.
// Shared by the toolkit-neutral behaviour and both views.
#pragma once

namespace vantora {

// The window's view of the current or last run.
enum TRunStatus : int {
  rsActive = 0,           // running, or ended with at least one record
  rsNothingFound = 1,     // ended without a record
  rsCancelled = 2,        // Cancel confirmed; the worker has been told to stop
  rsCloseRequested = 5,   // closing confirmed during a run (passing state)
  rsCloseWaiting = 6,     // worker told to stop; the program ends when it reports
  rsOutputFileError = 8,  // the output file could not be opened or written
  rsSiteUnreachable = 9,  // no page of the run could be fetched
  rsLayoutChanged = 10,   // stopped: the site's pages no longer have the expected layout
  rsScratchFileError = 11,  // stopped: the scratch file could not be written or read
  rsSiteRefusing = 12,    // stopped: the site kept refusing requests
};

// Texts of the window, exactly as shown (UTF-8 here; Shift-JIS in files).
namespace text {
inline constexpr char kTitle[] = "Vantora情報取得ソフト";
inline constexpr char kDefaultFileName[] = "Vantora情報.csv";
inline constexpr char kSaveTitle[] = "取得情報の保存先を指定してください";
inline constexpr char kSaveFilter[] = "CSVファイル (*.csv)|*.csv";
inline constexpr char kCaptionError[] = "エラー";
inline constexpr char kCaptionFileError[] = "Error";
inline constexpr char kCaptionNothingFound[] = "検索終了";
inline constexpr char kCaptionCancel[] = "中断確認";
inline constexpr char kCaptionClose[] = "終了確認";
inline constexpr char kCaptionOpen[] = "処理確認";
inline constexpr char kNoCode[] = "銘柄コードが入力されていません。";
inline constexpr char kNoSector[] = "業種は1つ以上を指定してください。";
inline constexpr char kFileInUse[] =
    "選択されたファイルが他のアプリケーションで使用中の為\n開くことができませんでした。";
inline constexpr char kAskCancel[] = "取得処理を中断します。\nよろしいですか？";
inline constexpr char kAskClose[] = "取得処理の実行中ですが終了しますか？";
inline constexpr char kAskOpen[] = "情報の取得が完了しました。\n保存したファイルを開きますか？";
inline constexpr char kFileMissing[] = "該当するファイルが見つかりませんでした。";
inline constexpr char kNothingFound[] = "該当する情報は見つかりませんでした。";
inline constexpr char kSiteUnreachable[] =
    "サイトへのアクセスができませんでした。\r\nしばらく時間を置いてから再度実行してください。";
inline constexpr char kStarting[] = "ページ情報を取得中です。暫くお待ちください。";
inline constexpr char kAllPages[] = "全ページ (&P)";
// End messages of runs in which not every page could be read; %1, %2 ... are
// filled in.
inline constexpr char kAskOpenNotAllRead[] =
    "情報の取得が完了しましたが、%1 件の企業の情報を読み取れませんでした。\n"
    "詳しくは次のファイルをご覧ください。\n%2\n保存したファイルを開きますか？";
inline constexpr char kAskOpenListingsNotRead[] =
    "情報の取得が完了しましたが、%1 件の業種の一覧を読み取れませんでした。\n"
    "詳しくは次のファイルをご覧ください。\n%2\n保存したファイルを開きますか？";
inline constexpr char kListingsNotRead[] = "%1 件の業種の一覧を読み取れませんでした。";
inline constexpr char kSeeReport[] = "詳しくは次のファイルをご覧ください。\n%1";
inline constexpr char kCancelledKept[] = "取得を中断しました。\n%1 件の情報を次のファイルに保存しました。\n%2";
inline constexpr char kLayoutStopped[] =
    "サイトのページが想定した形式ではなくなったため、取得を中止しました。\n"
    "%1 件の情報を次のファイルに保存しました。\n%2\n詳しくは次のファイルをご覧ください。\n%3";
// A site that could not be reached because of its certificate: waiting does
// not help, so the message says what failed instead.
inline constexpr char kSiteCertificate[] = "サイトへのアクセスができませんでした。\r\n%1";
inline constexpr char kSiteRefusing[] =
    "サイトがアクセスを拒否し続けているため、取得を中止しました。\n"
    "%1 件の情報を次のファイルに保存しました。\n%2\nしばらく時間を置いてから再度実行してください。";
inline constexpr char kWriteFailed[] =
    "ファイルへの書き込みに失敗したため、取得を中止しました。\n%1\n理由: %2\n"
    "それまでの %3 件の情報はファイルに残っています。";
inline constexpr char kScratchStopped[] =
    "作業ファイルを書き込めないため、取得を中止しました。\nフォルダ: %1\n理由: %2";
// Runs from the output file already there: an interrupted run taken up,
// the companies that failed read again.
inline constexpr char kAskResume[] = "前回中断した取得を再開しますか？";
inline constexpr char kAskRetry[] = "失敗した %1 件を再取得しますか？";
// The quote site setting and the whole job's progress.
inline constexpr char kSiteGroup[] = " 取得先サイト ";
inline constexpr char kSiteApply[] = "設定 (&S)";
inline constexpr char kSiteSample[] = "サンプルサイトで試す (&D)";
inline constexpr char kSitePrompt[] = "https://…";
inline constexpr char kSiteUnset[] =
    "取得先サイトが設定されていません。アドレスを入力して［設定］を押すか、サンプルサイトで試してください。";
inline constexpr char kSiteFromEnvironment[] = "環境変数 VANTORA_BASE_URL の指定を使用しています。";
inline constexpr char kSiteSampleInUse[] = "付属のサンプルサイト（架空の会社）を使用しています。";
inline constexpr char kSiteInvalid[] =
    "取得先サイトのアドレスが正しくありません。\nhttp:// または https:// とホスト名で指定してください。\n（例: https://quote.example.jp）";
inline constexpr char kNoSite[] =
    "取得先サイトが設定されていません。\nウィンドウ下部の「取得先サイト」にアドレスを設定するか、サンプルサイトで試してください。";
inline constexpr char kSampleSiteMissing[] = "付属のサンプルサイトが見つかりませんでした。";
inline constexpr char kNoOpener[] =
    "CSVファイルを開くアプリケーションが見つかりませんでした。\nファイルは次の場所に保存されています。\n%1";
inline constexpr char kTotalProgress[] = "全体 : %1%";
inline constexpr char kTimeLeftSeconds[] = "（残り約%1秒）";
inline constexpr char kTimeLeftMinutes[] = "（残り約%1分）";
inline constexpr char kTimeLeftHours[] = "（残り約%1時間%2分）";
}  // namespace text

// Name of the settings file (beside the executable, or in the user's config
// folder for an installed program).
inline constexpr char kSettingsFileName[] = "fnc.ini";

// The window's client size: the designed 256 x 406 and, below it, the whole
// job's progress line and the quote site setting.
inline constexpr int kFormWidth = 256;
inline constexpr int kFormHeight = 560;

}  // namespace vantora
