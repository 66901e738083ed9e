// The Alt-key repaint component: inactive without themed Windows, the idle
// pass over the top-level forms, and the full and selective repaint walks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/qt/AltKeyFix.h"
#include "support_App.h"

namespace vantora {
namespace {

struct Form {
  std::unique_ptr<QWidget> form = std::make_unique<QWidget>();
  QPushButton* button = new QPushButton(QStringLiteral("b"), form.get());
  QPushButton* bitmapButton = new QPushButton(QStringLiteral("i"), form.get());
  QCheckBox* check = new QCheckBox(form.get());
  QLabel* label = new QLabel(form.get());
  QGroupBox* group = new QGroupBox(form.get());
  QRadioButton* radio = new QRadioButton(group);
  QLineEdit* edit = new QLineEdit(group);
  QTabWidget* tabs = new QTabWidget(form.get());
  QWidget* page0 = new QWidget;
  QWidget* page1 = new QWidget;
  QPushButton* onPage0 = new QPushButton(page0);
  QPushButton* onPage1 = new QPushButton(page1);

  Form() {
    QPixmap pixmap(8, 8);
    pixmap.fill(Qt::red);
    bitmapButton->setIcon(QIcon(pixmap));
    tabs->addTab(page0, QStringLiteral("0"));
    tabs->addTab(page1, QStringLiteral("1"));
    tabs->setCurrentIndex(0);
  }
};

bool Has(const std::vector<QWidget*>& list, QWidget* w) {
  return std::find(list.begin(), list.end(), w) != list.end();
}

TEST(AltKeyFix, RepaintWalks) {
  Form f;
  std::vector<QWidget*> full;
  RepaintFull(f.form.get(), [&](QWidget* w) { full.push_back(w); });
  ASSERT_FALSE(full.empty());
  EXPECT_EQ(full.front(), f.form.get());
  for (QWidget* w : std::initializer_list<QWidget*>{f.button, f.bitmapButton, f.check, f.label, f.group, f.radio, f.edit,
                     static_cast<QWidget*>(f.tabs), f.page0, f.page1, f.onPage0, f.onPage1})
    EXPECT_TRUE(Has(full, w));
  // Depth first: each control comes after its parent, children in index order.
  for (std::size_t i = 1; i < full.size(); ++i) EXPECT_TRUE(Has({full.begin(), full.begin() + i}, full[i]->parentWidget()));
  EXPECT_LT(std::find(full.begin(), full.end(), f.group), std::find(full.begin(), full.end(), f.radio));
  EXPECT_LT(std::find(full.begin(), full.end(), f.radio), std::find(full.begin(), full.end(), f.tabs));

  std::vector<QWidget*> selective;
  RepaintSelective(f.form.get(), [&](QWidget* w) { selective.push_back(w); });
  EXPECT_TRUE(Has(selective, f.button));
  EXPECT_TRUE(Has(selective, f.check));
  EXPECT_TRUE(Has(selective, f.label));
  EXPECT_TRUE(Has(selective, f.radio));       // reached through the group box
  EXPECT_TRUE(Has(selective, f.onPage0));     // on the current tab page
  EXPECT_FALSE(Has(selective, f.bitmapButton));
  EXPECT_FALSE(Has(selective, f.onPage1));    // on a hidden tab page
  EXPECT_FALSE(Has(selective, f.form.get()));
  EXPECT_FALSE(Has(selective, f.group));
  EXPECT_FALSE(Has(selective, f.edit));
}

TEST(AltKeyFix, InactiveWithoutThemedWindows) {
  QObject owner;
  auto* fix = new TAltKeyFix(&owner);
  EXPECT_FALSE(TAltKeyFix::VistaWithTheme());
  EXPECT_FALSE(fix->Active());
  EXPECT_TRUE(fix->RepaintAll);
  QWidget form;
  form.show();
  fix->ApplicationEventsIdle();
  EXPECT_TRUE(fix->Forms().empty());
}

TEST(AltKeyFix, IdlePassTracksFormsAndRepaintsOnlyThoseNotified) {
  QObject owner;
  auto* fix = new TAltKeyFix(&owner, TAltKeyFix::Activation::kForceActive);
  std::vector<QWidget*> painted;
  fix->SetRepaintFunction([&](QWidget* w) { painted.push_back(w); });

  Form a;
  fix->ApplicationEventsIdle();
  fix->RepaintAll = false;  // entries made from now on repaint selectively
  Form b;
  auto c = std::make_unique<Form>();
  fix->ApplicationEventsIdle();
  ASSERT_EQ(fix->Forms().size(), 3u);
  EXPECT_TRUE(painted.empty());  // nothing changed yet

  fix->NoteUiStateChanged(a.form.get());
  fix->NoteUiStateChanged(b.form.get());
  EXPECT_TRUE(painted.empty());  // the repaint waits for the idle pass
  fix->ApplicationEventsIdle();
  EXPECT_TRUE(Has(painted, a.form.get()));  // full repaint
  EXPECT_TRUE(Has(painted, a.edit));
  EXPECT_TRUE(Has(painted, b.button));      // selective repaint
  EXPECT_FALSE(Has(painted, b.form.get()));
  EXPECT_FALSE(Has(painted, c->button));

  painted.clear();
  fix->ApplicationEventsIdle();
  EXPECT_TRUE(painted.empty());  // flag cleared

  c.reset();  // a form that goes away leaves the list
  fix->ApplicationEventsIdle();
  EXPECT_EQ(fix->Forms().size(), 2u);
}

}  // namespace
}  // namespace vantora
