// The window's behaviour under a view that is no toolkit: a whole run on a
// local quote site, whose callbacks must reach the view on its own thread
// only (through the synchronous-call queue), with every box and dialog owned
// by the view's window, and the window's states set back per mode at the end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "common/SiteConfig.h"
#include "common/Thread.h"
#include "support_FakeView.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/Job.h"

namespace vantora {
namespace {

class FakeTemporaryFolder {
 public:
  FakeTemporaryFolder() {
    path_ = std::filesystem::temp_directory_path() /
            ("vantora_behaviour_" + std::to_string(::getpid()));
    std::filesystem::create_directories(path_ / "site" / "profile");
  }
  ~FakeTemporaryFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

TEST(FrmMainBehaviour, ARunReachesTheViewOnItsThreadWithTheViewOwningEveryBox) {
  FakeTemporaryFolder dir;
  for (const char* code : {"1301", "7203"}) {
    std::ofstream(dir / (std::string("site/profile/") + code + ".html"))
        << "<html><body><div><h2 class=\"_BasePriceBoard__name_a\">" << code << "</h2></div></body></html>\n";
  }
  QuoteServer server(dir / "site");
  ::setenv("VANTORA_BASE_URL", server.BaseUrl().c_str(), 1);
  ::setenv("VANTORA_PAUSE_SCALE", "0", 1);
  SetJobScratchFilePath(dir / "tmp.dat");

  test::FakeView view;
  test::RecordingDialogs dialogs;
  auto form = std::make_unique<FrmMainBehaviour>(view, dialogs);
  view.form = form.get();
  form->SetSettingsPath(dir / "fnc.ini");
  form->FormCreate();
  form->FormShow();
  ASSERT_TRUE(test::WaitUntil(view, [&] { return form->SettingsLoaded(); }));

  view.controls[Ctl::chkCode].checked = true;
  form->chkCodeClick();
  view.controls[Ctl::txtCode].text = "1301,7203";
  dialogs.savePaths.push_back(dir / "out");
  form->btnActionClick();
  ASSERT_NE(form->Worker, nullptr);
  EXPECT_TRUE(view.busy);
  EXPECT_FALSE(view.controls[Ctl::grpSite].enabled);
  EXPECT_TRUE(view.controls[Ctl::btnCancel].enabled);
  ASSERT_TRUE(test::WaitUntil(view, [&] { return form->Worker == nullptr && TThread::RunningCount() == 0; }));

  EXPECT_EQ(view.ForeignThreadCalls(), 0);
  EXPECT_TRUE(std::filesystem::exists(dir / "out.csv"));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].caption, text::kCaptionOpen);
  for (const auto& box : dialogs.boxes) EXPECT_EQ(box.owner, &view);
  EXPECT_EQ(dialogs.dialogOwners, std::vector<void*>{&view});
  EXPECT_EQ(dialogs.flashedOwners, std::vector<void*>{&view});
  ASSERT_FALSE(view.permilles.empty());
  EXPECT_EQ(view.permilles.back(), 1000);
  EXPECT_TRUE(std::is_sorted(view.permilles.begin(), view.permilles.end()));
  EXPECT_EQ(view.taskbarStates.back(), TTaskBarProgressState::tbpsNone);

  // Code mode after the run: the code field is back, the sector controls
  // stay off, the cursor is normal and the progress lines are empty.
  EXPECT_FALSE(view.busy);
  EXPECT_TRUE(view.controls[Ctl::btnAction].enabled);
  EXPECT_FALSE(view.controls[Ctl::btnCancel].enabled);
  EXPECT_TRUE(view.controls[Ctl::txtCode].enabled);
  EXPECT_FALSE(view.controls[Ctl::chkCtgr].enabled);
  EXPECT_FALSE(view.controls[Ctl::lstCtgr].enabled);
  EXPECT_TRUE(view.controls[Ctl::grpSite].enabled);
  EXPECT_TRUE(view.controls[Ctl::lblTotal].text.empty());
  EXPECT_TRUE(view.controls[Ctl::lblStatus].text.empty());
  EXPECT_EQ(view.barPosition, 0);

  form.reset();
  SetJobScratchFilePath("");
  SetConfiguredQuoteSiteBase("");
  ::unsetenv("VANTORA_BASE_URL");
}

}  // namespace
}  // namespace vantora
