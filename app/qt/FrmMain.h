// TFrmMain, the Qt view of the program's one window: the controls with the
// names of the design as Qt widgets, their events forwarded to the
// toolkit-neutral behaviour it derives from, and the FrmMainView operations
// the behaviour asks of it done with Qt.
#pragma once

#include <QWidget>

#include "app/FrmMainBehaviour.h"

class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QShowEvent;

namespace vantora {

class TAltKeyFix;

class TFrmMain final : public QWidget, private FrmMainView, public FrmMainBehaviour {
  Q_OBJECT

 public:
  // `dialogs` must outlive the window.
  explicit TFrmMain(DialogService& dialogs, QWidget* parent = nullptr);
  ~TFrmMain() override;

  // Controls (owned by the window through Qt parenthood).
  QCheckBox* chkCtgr = nullptr;
  QListWidget* lstCtgr = nullptr;
  QGroupBox* grp01 = nullptr;
  QCheckBox* chkCode = nullptr;
  QCheckBox* chkAllPages = nullptr;  // sector mode: every result page of a listing
  QLineEdit* txtCode = nullptr;
  QPushButton* btnAction = nullptr;
  QPushButton* btnCancel = nullptr;
  QLabel* lblStatus = nullptr;
  QProgressBar* prgBar = nullptr;
  QLabel* lblTotal = nullptr;  // the whole job: share done and time left
  QGroupBox* grpSite = nullptr;
  QLineEdit* txtSite = nullptr;
  QPushButton* btnSite = nullptr;
  QLabel* lblSite = nullptr;
  QPushButton* btnSampleSite = nullptr;

  // Brings the window to the front (a second start of the program asks so).
  void BringToFront();

 signals:
  // The whole job's share done, in thousandths, each time it changes.
  void overallProgressChanged(int permille);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();  // FrmMainLayout.cpp
  QWidget* Control(Ctl control) const;
  void SetStatusText(const QString& text);

  // FrmMainView.
  void SetEnabled(Ctl control, bool enabled) override;
  bool Enabled(Ctl control) const override;
  void SetVisible(Ctl control, bool visible) override;
  void Focus(Ctl control) override;
  void RepaintNow(Ctl control) override;
  bool Checked(Ctl box) const override;
  void SetChecked(Ctl box, bool checked) override;
  std::string Text(Ctl control) const override;
  void SetText(Ctl control, const std::string& text) override;
  void SetWarningColour(Ctl label, bool warning) override;
  void SetReadOnly(Ctl field, bool readOnly) override;
  void SelectAllText(Ctl field) override;
  void SetFieldLook(Ctl field, bool editable) override;
  int SectorCount() const override;
  bool SectorTicked(int index) const override;
  void SetSectorTicked(int index, bool ticked) override;
  void SetCurrentSector(int index) override;
  void SetBarRange(int maximum) override;
  void SetBarPosition(int position) override;
  int BarPosition() const override;
  int BarMaximum() const override;
  void SetBusyCursor(bool busy) override;
  void* DialogOwner() override { return static_cast<QWidget*>(this); }
  void PostToEventLoop(std::function<void()> call) override;
  bool CloseWindow() override { return close(); }
  void QuitApplication() override;
  void InstallSynchronizeHook() override;
  bool InitializeTaskbar() override;
  void SetTaskbarState(TTaskBarProgressState state) override;
  void SetTaskbarValue(std::uint64_t completed, std::uint64_t total) override;
  void OverallProgressChanged(int permille) override { emit overallProgressChanged(permille); }

  TAltKeyFix* altKeyFix_ = nullptr;
  bool shownOnce_ = false;
};

}  // namespace vantora
