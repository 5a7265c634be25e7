#pragma once

#include "platform/app_services.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTabWidget;

namespace tessivar {

// frmQuickHelp: six tabs that explain searching, browsing, presets, the scanner and the setup.
// Making the window is its load, which stores "QHShow" = "1" so that start-up does not offer it
// again. "Need more help?" and the logo open their pages on the maker's site.
class QuickHelpWindow final : public QDialog
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(QuickHelpWindow)

 public:
  explicit QuickHelpWindow(const AppServices &services, QWidget *parent = nullptr);
  ~QuickHelpWindow() override;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  QWidget *buildTab(int index);

  AppServices services_;
  QLabel *Label1 = nullptr;
  QTabWidget *SSTab1 = nullptr;
  QLabel *picLogo = nullptr;
  QLabel *Label15 = nullptr;
  QPushButton *cmdOK = nullptr;
};

}  // namespace tessivar
