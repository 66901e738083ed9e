// The window as built: properties, every control's text, bounds, parent and
// initial state, the 33 sectors, fonts, tab order; the mode switch and the
// all-sectors box kept in step with the list both ways.
#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "support_Window.h"
#include "worker/Job.h"

namespace vantora::test {
namespace {

using LayoutTest = WindowTest;

TEST_F(LayoutTest, ControlsHaveTheirTextsBoundsAndInitialStates) {
  EXPECT_EQ(form->windowTitle(), Utf8("Vantora情報取得ソフト"));
  // The designed 256 x 406, grown downwards for the whole job's progress line
  // and the quote site setting, which lie wholly below the designed area.
  EXPECT_EQ(form->size(), QSize(256, 560));
  EXPECT_EQ(form->minimumSize(), QSize(256, 560));
  EXPECT_EQ(form->maximumSize(), QSize(256, 560));
  for (QWidget* added : {static_cast<QWidget*>(form->lblTotal), static_cast<QWidget*>(form->grpSite)}) {
    EXPECT_GE(added->geometry().top(), 406) << added->objectName().toStdString();
    EXPECT_TRUE(form->rect().contains(added->geometry())) << added->objectName().toStdString();
  }
  EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(form->pos(), QPoint(0, 0));

  const struct {
    QWidget* control;
    QWidget* parent;
    const char* name;
    QRect bounds;
    bool enabled;
  } controls[] = {
      {form->chkCtgr, form.get(), "chkCtgr", {11, 8, 102, 17}, true},
      {form->lstCtgr, form.get(), "lstCtgr", {8, 28, 240, 228}, true},
      {form->grp01, form.get(), "grp01", {8, 266, 240, 70}, true},
      {form->chkCode, form->grp01, "chkCode", {10, 16, 227, 17}, true},
      {form->txtCode, form->grp01, "txtCode", {10, 38, 220, 20}, false},
      {form->btnAction, form.get(), "btnAction", {8, 345, 119, 28}, true},
      {form->btnCancel, form.get(), "btnCancel", {128, 345, 120, 28}, false},
      {form->prgBar, form.get(), "prgBar", {0, 390, 256, 16}, true},
  };
  for (const auto& c : controls) {
    EXPECT_EQ(c.control->objectName(), QLatin1String(c.name));
    EXPECT_EQ(c.control->parentWidget(), c.parent) << c.name;
    EXPECT_EQ(c.control->geometry(), c.bounds) << c.name;
    EXPECT_EQ(c.control->isEnabled(), c.enabled) << c.name;
  }
  EXPECT_EQ(form->chkCtgr->text(), Utf8(" 業種の選択 : "));
  EXPECT_EQ(form->grp01->title(), Utf8(" 取得条件の設定 "));
  EXPECT_EQ(form->chkCode->text(), Utf8(" 銘柄コードから取得 （','で複数指定可）"));
  EXPECT_EQ(form->btnAction->text(), Utf8("取得開始 (&R)"));
  EXPECT_EQ(form->btnCancel->text(), Utf8("キャンセル (&C)"));
  EXPECT_TRUE(form->txtCode->text().isEmpty());
  EXPECT_FALSE(form->chkCtgr->isChecked());
  EXPECT_FALSE(form->chkCode->isChecked());
  EXPECT_EQ(form->lblStatus->text(), Utf8("\u3000\u3000"));
  EXPECT_TRUE(form->lblStatus->alignment() & Qt::AlignRight);
  EXPECT_EQ(form->lblStatus->geometry().right() + 1, 251);
  EXPECT_EQ(form->lblStatus->geometry().top(), 376);
  EXPECT_EQ(form->prgBar->value(), 0);
  EXPECT_FALSE(form->lstCtgr->testAttribute(Qt::WA_InputMethodEnabled));
  EXPECT_FALSE(form->txtCode->testAttribute(Qt::WA_InputMethodEnabled));
  EXPECT_EQ(form->Worker, nullptr);

  // The 33 sectors, in the order the worker maps to sector codes.
  ASSERT_EQ(form->lstCtgr->count(), 33);
  EXPECT_EQ(form->lstCtgr->item(0)->text(), Utf8("水産・農林業"));
  EXPECT_EQ(form->lstCtgr->item(9)->text(), Utf8("ゴム製品"));
  EXPECT_EQ(form->lstCtgr->item(23)->text(), Utf8("倉庫・運輸関連業"));
  EXPECT_EQ(form->lstCtgr->item(32)->text(), Utf8("サービス業"));
  for (int i = 0; i < 33; ++i) {
    const QListWidgetItem* item = form->lstCtgr->item(i);
    EXPECT_EQ(item->text(), Utf8(SectorNameUtf8(i)));
    EXPECT_EQ(item->checkState(), Qt::Unchecked);
    EXPECT_TRUE(item->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(item->sizeHint().height(), 16);
  }
}

TEST_F(LayoutTest, FontsAskForTheGothicFaceAndShowJapanese) {
  EXPECT_EQ(form->font().families().value(0), Utf8("ＭＳ Ｐゴシック"));
  EXPECT_EQ(form->font().pixelSize(), 12);
  EXPECT_EQ(form->lstCtgr->font().families().value(0), Utf8("ＭＳ Ｐゴシック"));
  EXPECT_EQ(form->lstCtgr->font().pixelSize(), 13);
  // Whatever face is installed, the resolved font has the glyphs.
  const QFontMetrics metrics(form->lstCtgr->font());
  for (const char16_t c : std::u16string(u"業種水産銘柄取得")) EXPECT_TRUE(metrics.inFont(QChar(c)));
}

TEST_F(LayoutTest, TabOrderFollowsTheDesign) {
  const std::vector<QWidget*> order = {form->chkCtgr, form->lstCtgr,  form->chkCode,
                                       form->txtCode, form->btnAction, form->btnCancel,
                                       form->prgBar};
  for (std::size_t i = 0; i + 1 < order.size(); ++i) {
    // The next widget in the focus chain after each one is the following one.
    QWidget* next = order[i]->nextInFocusChain();
    while (next != order[i + 1] && next != order[i] && !std::count(order.begin(), order.end(), next))
      next = next->nextInFocusChain();
    EXPECT_EQ(next, order[i + 1]) << order[i]->objectName().toStdString();
  }
}

TEST_F(LayoutTest, ModeSwitchKeepsTicksAndText) {
  ShowAndLoad();
  form->lstCtgr->item(3)->setCheckState(Qt::Checked);
  const QColor face = QPalette().color(QPalette::Active, QPalette::Button);
  const QColor window = QPalette().color(QPalette::Active, QPalette::Base);
  EXPECT_EQ(form->txtCode->palette().color(QPalette::Base), face);

  form->chkCode->setChecked(true);
  EXPECT_FALSE(form->chkCtgr->isEnabled());
  EXPECT_FALSE(form->lstCtgr->isEnabled());
  EXPECT_TRUE(form->txtCode->isEnabled());
  EXPECT_EQ(form->txtCode->palette().color(QPalette::Base), window);
  form->txtCode->setText(QStringLiteral("1301"));

  form->chkCode->setChecked(false);
  EXPECT_TRUE(form->chkCtgr->isEnabled());
  EXPECT_TRUE(form->lstCtgr->isEnabled());
  EXPECT_FALSE(form->txtCode->isEnabled());
  EXPECT_EQ(form->txtCode->palette().color(QPalette::Base), face);
  EXPECT_EQ(form->txtCode->text(), QStringLiteral("1301"));
  EXPECT_EQ(form->lstCtgr->item(3)->checkState(), Qt::Checked);
  EXPECT_TRUE(form->btnAction->isEnabled());
  EXPECT_FALSE(form->btnCancel->isEnabled());
}

TEST_F(LayoutTest, AllSectorsBoxAndListStayInStep) {
  ShowAndLoad();
  QListWidget* list = form->lstCtgr;
  // Ticking every sector one by one ticks the box.
  for (int i = 0; i < 33; ++i) {
    EXPECT_FALSE(form->chkCtgr->isChecked()) << i;
    list->item(i)->setCheckState(Qt::Checked);
  }
  EXPECT_TRUE(form->chkCtgr->isChecked());
  // Unticking one unticks the box and leaves the other 32 ticked.
  list->item(7)->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(form->chkCtgr->isChecked());
  int ticked = 0;
  for (int i = 0; i < 33; ++i) ticked += list->item(i)->checkState() == Qt::Checked;
  EXPECT_EQ(ticked, 32);

  // Ticking the box ticks all and moves the focus to the list; unticking
  // unticks all.
  form->chkCtgr->setFocus();
  form->chkCtgr->click();
  EXPECT_TRUE(form->chkCtgr->isChecked());
  for (int i = 0; i < 33; ++i) EXPECT_EQ(list->item(i)->checkState(), Qt::Checked);
  EXPECT_EQ(form->focusWidget(), list);
  form->chkCtgr->click();
  for (int i = 0; i < 33; ++i) EXPECT_EQ(list->item(i)->checkState(), Qt::Unchecked);
  EXPECT_FALSE(form->chkCtgr->isChecked());
}

}  // namespace
}  // namespace vantora::test
