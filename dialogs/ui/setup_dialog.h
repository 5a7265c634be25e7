#pragma once

#include "platform/app_services.h"
#include "search/search_query.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace tessivar {

class ProgramOptions;
enum class SetupPlayer;

// frmSetup: formats, limits, player paths and the built-in player, proxy, connection speed and
// two options. A view over the run's ProgramOptions: making the dialog is its load (the
// archive-only boxes follow the search mode given here, and stay so while the dialog lives), every
// edit goes into the state at once, OK stores the state, and closing without OK reads the stored
// choices back into the state.
class SetupDialog final : public QDialog
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(SetupDialog)

 public:
  SetupDialog(ProgramOptions &state, const AppServices &services, SearchMode mode, QWidget *parent = nullptr);
  ~SetupDialog() override;

  // The dialog's pages, in the order of its tabs.
  enum class Page { Formats, RealPlayer, Winamp, MediaPlayer, StreamWorks, Proxy, Options };
  // The page of a player's program path.
  static Page playerPage(SetupPlayer player);

  // Shows the given page (callers choose a page before showing the dialog).
  void selectPage(Page page);

  // Asks for a player program: (caption, initial folder, filter) → chosen path, empty when the
  // user cancelled. A file dialog by default; tests answer it themselves.
  std::function<QString(const QString &, const QString &, const QString &)> chooseFile;

  // The filter the file dialog offers for a player.
  static QString playerFileFilter(SetupPlayer player);

 public slots:
  void accept() override;
  void reject() override;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  // Escape does nothing: there is no Cancel, and the edits must not be lost by a stray key.
  void keyPressEvent(QKeyEvent *event) override;

 private:
  QWidget *buildFormatTab();
  QWidget *buildPlayerTab(Page page);
  QWidget *buildProxyTab();
  QWidget *buildOptionsTab();
  QFrame *buildPlayerFrame();
  void load(SearchMode mode);
  void onTabChanged(int index);
  void onPathEdited(const QString &text);
  void onBitRateChanged(const QString &text);
  void onBrowse();
  void openLogoLink(QObject *logo);

  ProgramOptions &state_;
  AppServices services_;
  std::optional<SetupPlayer> playerShown_;  // the player page shown last

  QTabWidget *SSTab1 = nullptr;
  QLineEdit *txtB = nullptr;
  QLineEdit *txtT = nullptr;
  QLabel *Label16 = nullptr;
  QLineEdit *txtHost = nullptr;
  QLineEdit *txtPort = nullptr;
  QComboBox *comboB = nullptr;
  QCheckBox *chkTray = nullptr;
  QCheckBox *chkBrow = nullptr;
  QCheckBox *chkBuiltIn = nullptr;
  QFrame *FrameL = nullptr;
  QLabel *lblPlay = nullptr;
  QLineEdit *txtCMD = nullptr;
  QPushButton *cmdBrowse = nullptr;
  QPushButton *cmdOK = nullptr;
  QLabel *pReal = nullptr;
  QLabel *pMicro = nullptr;
  QLabel *pXing = nullptr;
  QList<QCheckBox *> formatBoxes_;
};

}  // namespace tessivar
