#pragma once

#include "platform/app_services.h"
#include "platform/station_list_file.h"
#include "scanner/scan_session.h"
#include "scanner/scan_view.h"
#include "scanner/ui/scan_preset_dialog.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace tessivar {

class PlayedListView;

// The scanner window frmScan. Scan mode: the style area FrameR (style, unknown formats, seconds,
// Start, Next, Pause, Add Preset, the station's details). Playlist mode: the playlist area framePL
// (the played list lstPL and the buttons Bookmark, Record, Next, Previous, Quit) covers it. The
// work behind it is the ScanSession.
class ScanWindow final : public QWidget, public ScanView
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ScanWindow)

 public:
  // owner: the main window, over which the scanner keeps itself in front.
  ScanWindow(const AppServices &services, const ScanSetup &setup, QWidget *owner = nullptr);
  ~ScanWindow() override;

  ScanSession &session() { return *session_; }
  // The window's load: the embedded players (with their messages when missing).
  void load();
  // Hands entries to the played list and plays it (DoPlaylist); the window shows.
  void playPlaylist(const QList<ListEntry> &entries);
  // A dialog of the scanner (Add Preset, the recorder's window) is open (DialogOpen).
  bool isDialogOpen() const { return !presetDialog_.isNull() || !recorderDialog_.isNull(); }

  // cmdPresets, cmdBookmar, cmdRec and F5.
  void openPresetDialog();
  void bookmarkSelected();
  void record();

  // --- ScanView ----------------------------------------------------------------------------------
  void setStatusText(int panel, const QString &text) override;
  void setStatusWord(const QString &text) override;
  void showStation(const StationAnswer &station) override;
  void setBitRateText(const QString &text) override;
  void setStreamTitle(const QString &title) override;
  void setNextEnabled(bool enabled) override;
  void setPauseEnabled(bool enabled) override;
  void setPresetsEnabled(bool enabled) override;
  void setPauseCaption(const QString &caption) override;
  void showLevelPictures(bool shown) override;
  void setLevelFrame(int frame) override;
  int secondsPerStation() const override;
  QString style() const override;
  bool includeUnknown() const override;
  void showStationArea() override;
  void setStartShown(bool shown) override;
  void showPlaylistArea() override;
  void closeWindow() override;

 signals:
  // The window has closed (lScanActive goes off).
  void closed();
  // A preset was assigned from the scanner (written already).
  void presetAssigned(int slot, const QString &name, const QString &url);
  // Bookmark: these played-list entries (text, link) go to the bookmarks.
  void bookmarksRequested(const QList<tessivar::ListEntry> &entries);
  // The playing stream's own title; empty when none.
  void streamTitleChanged(const QString &title);

 protected:
  void closeEvent(QCloseEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void buildStyleArea();
  void buildPlaylistArea();
  void buildStatusBar();
  void layoutAreas();
  void requestSize(double widthTwips, double heightTwips);
  int px(double twips) const;
  void onStyleChosen();
  void onSecondsEdited();
  void openStationWebsite();

  AppServices services_;
  ScanPresetDialog::Assign assignPreset_;
  StreamRecording *recording_ = nullptr;
  QPointer<QWidget> owner_;
  ScanSession *session_ = nullptr;
  QPointer<QDialog> presetDialog_;
  QPointer<QDialog> recorderDialog_;

  QFrame *frameR_ = nullptr;
  QWidget *styleRow_ = nullptr;
  QWidget *details_ = nullptr;
  QComboBox *comboStyle_ = nullptr;
  QCheckBox *chkU_ = nullptr;
  QLineEdit *txtS_ = nullptr;
  QPushButton *cmdStart_ = nullptr;
  QPushButton *cmdNext_ = nullptr;
  QPushButton *cmdPause_ = nullptr;
  QPushButton *cmdPresets_ = nullptr;
  QList<QLabel *> lblInfo_;
  QLabel *lblTitle_ = nullptr;
  QLabel *label1_ = nullptr;
  QList<QLabel *> picVol_;
  QFrame *framePL_ = nullptr;
  PlayedListView *lstPL_ = nullptr;
  QFrame *frameIn_ = nullptr;
  QStatusBar *statbar_ = nullptr;
  QList<QLabel *> panels_;
  QString stationLink_;
  double frameHeightTwips_ = 1195;
};

}  // namespace tessivar
