// The dialog service of the Qt view: QMessageBox, QFileDialog,
// QApplication::beep/alert, QDesktopServices. The owner of a box is a
// QWidget*. Besides the service's UTF-8 interface it takes Qt's own strings.
#pragma once

#include <QPointer>
#include <QString>
#include <optional>
#include <vector>

#include "app/DialogService.h"

class QMessageBox;
class QWidget;

namespace vantora {

class QtDialogService final : public DialogService {
 public:
  int MessageBox(void* owner, const std::string& text, const std::string& caption,
                 unsigned flags) override;
  void DismissMessageBox(void* owner) override;
  std::optional<std::string> ExecuteSaveDialog(void* owner,
                                               const SaveDialogRequest& request) override;
  void MessageBeep(unsigned type) override;
  void FlashWindow(void* window, int count, int intervalMs) override;
  bool OpenDocument(const std::string& path) override;
  void ShowException(const std::string& message) override;

  int MessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags);
  void DismissMessageBox(QWidget* parent);
  bool OpenDocument(const QString& path);

 private:
  struct OpenBox {
    QWidget* parent;
    QPointer<QMessageBox> box;
  };
  std::vector<OpenBox> openBoxes_;  // innermost last
};

// "CSVファイル (*.csv)|*.csv" -> "CSVファイル (*.csv)": the description of each
// pair with its pattern list in Qt's filter syntax.
QString ToQtFilter(const QString& filter);
// The folder a save dialog opens in: `folder` when it exists, else the
// user's documents folder, else the home folder (never the current folder,
// which may be the program's own or a source tree).
QString SaveDialogFolder(const QString& folder);

}  // namespace vantora
