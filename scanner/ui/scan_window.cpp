#include "scanner/ui/scan_window.h"

#include "base/settings_store.h"
#include "base/twips.h"
#include "platform/shell_opener.h"
#include "platform/station_list.h"
#include "platform/transfer_state.h"
#include "platform/ui/named_label.h"
#include "results/stream_recording.h"
#include "scanner/scan_styles.h"
#include "scanner/station_answer.h"
#include "scanner/ui/level_pictures.h"
#include "scanner/ui/played_list_view.h"
#include "scanner/ui/recorder_prompt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace tessivar {

namespace {

// Sizes in twips.
constexpr double loadWidth = 5655;
constexpr double loadHeight = 1875;
constexpr double startHeight = 3450;
constexpr double playlistHeight = 5895;
constexpr double smallestWidth = 5772;
constexpr double smallestHeight = 2976;
constexpr double frameWidth = 5550;
constexpr double frameLoadHeight = 1195;
constexpr double frameStartHeight = 2775;
constexpr double stripHeight = 600;
constexpr double levelWidth = 420;
constexpr double levelHeight = 300;

constexpr int longestSeconds = 32767;

QPushButton *makeButton(const QString &name, const QString &caption, QWidget *parent)
{
  auto *button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

// A server's text as a tool tip, shown as it is (never read as markup).
QString plainToolTip(const QString &text)
{
  if (text.isEmpty()) return {};
  return QStringLiteral("<p style='white-space:pre'>") + fieldDisplayText(text).toHtmlEscaped() +
         QStringLiteral("</p>");
}

void showField(QLabel *label, const QString &text, const QString &toolTip)
{
  label->setText(fieldDisplayText(text));
  label->setToolTip(plainToolTip(toolTip));
}

}  // namespace

ScanWindow::ScanWindow(const AppServices &services, const ScanSetup &setup, QWidget *owner)
    : QWidget(nullptr, Qt::Window), services_(services), assignPreset_(setup.assignPreset), owner_(owner)
{
  setObjectName(QStringLiteral("frmScan"));
  setWindowTitle(QStringLiteral("Tessivar! Broadcast - Station Scan"));
  setAttribute(Qt::WA_DeleteOnClose);
  recording_ = setup.recording != nullptr ? setup.recording : new StreamRecording(services_.processes, this);
  session_ = new ScanSession(*this, services_, setup, this);
  session_->setObjectName(QStringLiteral("ScanSession"));
  connect(session_, &ScanSession::closed, this, &ScanWindow::closed);

  buildStyleArea();
  buildPlaylistArea();
  buildStatusBar();

  auto *f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
  connect(f5, &QShortcut::activated, this, &ScanWindow::record);
  if (owner_) owner_->installEventFilter(this);

  setMinimumSize(twips::toPixelsCovering(smallestWidth, logicalDpiX()),
                 twips::toPixelsCovering(smallestHeight, logicalDpiY()));
  requestSize(loadWidth, loadHeight);
  onStyleChosen();
}

ScanWindow::~ScanWindow()
{
  // Destroyed without closing (its owner went first): nothing may go on playing or waiting.
  session_->close();
}

int ScanWindow::px(double twips) const
{
  return twips::toPixels(twips, logicalDpiX());
}

void ScanWindow::buildStyleArea()
{
  frameR_ = new QFrame(this);
  frameR_->setObjectName(QStringLiteral("FrameR"));
  frameR_->setAccessibleName(QStringLiteral("Style and station"));

  styleRow_ = new QWidget(frameR_);
  comboStyle_ = new QComboBox(styleRow_);
  comboStyle_->setObjectName(QStringLiteral("comboStyle"));
  comboStyle_->setAccessibleName(QStringLiteral("Style"));
  comboStyle_->setEditable(false);
  comboStyle_->addItems(scanStyles());
  connect(comboStyle_, &QComboBox::currentIndexChanged, this, &ScanWindow::onStyleChosen);
  chkU_ = new QCheckBox(QStringLiteral("Include Unknown Format Stations"), styleRow_);
  chkU_->setObjectName(QStringLiteral("chkU"));
  auto *every = makeLabel(QStringLiteral("lblEvery"), QStringLiteral("Change Every"), styleRow_);
  txtS_ = new QLineEdit(QStringLiteral("45"), styleRow_);
  txtS_->setObjectName(QStringLiteral("txtS"));
  txtS_->setAccessibleName(QStringLiteral("Change every (seconds)"));
  txtS_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), txtS_));
  txtS_->setMaximumWidth(px(700));
  every->setBuddy(txtS_);
  connect(txtS_, &QLineEdit::textChanged, this, &ScanWindow::onSecondsEdited);
  auto *seconds = makeLabel(QStringLiteral("lblSeconds"), QStringLiteral("Seconds"), styleRow_);
  cmdStart_ = makeButton(QStringLiteral("cmdStart"), QStringLiteral("&Start"), styleRow_);
  connect(cmdStart_, &QPushButton::clicked, session_, &ScanSession::start);

  auto *rows = new QVBoxLayout(styleRow_);
  rows->setContentsMargins(px(60), px(60), px(60), px(30));
  auto *styleLine = new QHBoxLayout;
  styleLine->addWidget(comboStyle_, 1);
  styleLine->addWidget(every);
  styleLine->addWidget(txtS_);
  styleLine->addWidget(seconds);
  auto *startLine = new QHBoxLayout;
  startLine->addWidget(chkU_);
  startLine->addStretch();
  startLine->addWidget(cmdStart_);
  rows->addLayout(styleLine);
  rows->addLayout(startLine);

  details_ = new QWidget(frameR_);
  auto *grid = new QGridLayout(details_);
  grid->setContentsMargins(px(60), 0, px(60), px(30));
  grid->setVerticalSpacing(1);
  const char *captions[] = {"Station", "Format", "Location", "BPS"};
  for (int index = 0; index < 4; ++index) {
    auto *caption = makeLabel(QStringLiteral("lblInfoCaption") + QString::number(index),
                              QString::fromLatin1(captions[index]) + QLatin1Char(':'), details_);
    auto *value = makeLabel(QStringLiteral("lblInfo") + QString::number(index), QString(), details_);
    // The field reads its text; the description says what it is.
    value->setAccessibleDescription(QString::fromLatin1(captions[index]));
    value->setFrameShape(QFrame::StyledPanel);
    value->setFrameShadow(QFrame::Sunken);
    caption->setBuddy(value);
    lblInfo_ << value;
    const int row = index == 3 ? 1 : index;
    const int column = index == 3 ? 2 : 0;
    grid->addWidget(caption, row, column);
    grid->addWidget(value, row, column + 1, 1, index == 1 || index == 3 ? 1 : 3);
  }
  lblInfo_[0]->installEventFilter(this);
  auto *titleCaption = makeLabel(QStringLiteral("lblTitleCaption"), QStringLiteral("Now Playing:"), details_);
  lblTitle_ = makeLabel(QStringLiteral("lblTitle"), QString(), details_);
  lblTitle_->setAccessibleDescription(QStringLiteral("Now Playing"));
  lblTitle_->setFrameShape(QFrame::StyledPanel);
  lblTitle_->setFrameShadow(QFrame::Sunken);
  grid->addWidget(titleCaption, 3, 0);
  grid->addWidget(lblTitle_, 3, 1, 1, 3);

  cmdNext_ = makeButton(QStringLiteral("cmdNext"), QStringLiteral("&Next"), details_);
  cmdPause_ = makeButton(QStringLiteral("cmdPause"), QStringLiteral("&Pause"), details_);
  cmdPresets_ = makeButton(QStringLiteral("cmdPresets"), QStringLiteral("Add Preset"), details_);
  for (QPushButton *button : {cmdNext_, cmdPause_, cmdPresets_}) button->setEnabled(false);
  connect(cmdNext_, &QPushButton::clicked, session_, &ScanSession::next);
  connect(cmdPause_, &QPushButton::clicked, session_, &ScanSession::togglePause);
  connect(cmdPresets_, &QPushButton::clicked, this, &ScanWindow::openPresetDialog);
  label1_ = makeLabel(QStringLiteral("Label1"), QString(), details_);
  label1_->setAccessibleDescription(QStringLiteral("Status"));
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(cmdNext_);
  buttons->addWidget(cmdPause_);
  buttons->addWidget(cmdPresets_);
  buttons->addWidget(label1_, 1);
  auto *level = makeLabel(QStringLiteral("picVol0"), QString(), details_);
  buttons->addWidget(level);
  grid->addLayout(buttons, 4, 0, 1, 4);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  picVol_ << level;
}

void ScanWindow::buildPlaylistArea()
{
  framePL_ = new QFrame(this);
  framePL_->setObjectName(QStringLiteral("framePL"));
  framePL_->setAccessibleName(QStringLiteral("Playlist"));
  framePL_->setAutoFillBackground(true);
  framePL_->hide();
  lstPL_ = new PlayedListView(session_->playedList(), framePL_);
  lstPL_->setObjectName(QStringLiteral("lstPL"));
  lstPL_->setAccessibleName(QStringLiteral("Played list"));
  connect(lstPL_, &PlayedListView::enterPressed, session_, &ScanSession::playChosenEntry);
  connect(lstPL_, &PlayedListView::deletePressed, session_, &ScanSession::removeCurrentEntry);

  frameIn_ = new QFrame(framePL_);
  frameIn_->setObjectName(QStringLiteral("frameIn"));
  frameIn_->setAccessibleName(QStringLiteral("Playlist buttons"));
  auto *strip = new QHBoxLayout(frameIn_);
  strip->setContentsMargins(0, 0, 0, 0);
  auto *cmdBookmar = makeButton(QStringLiteral("cmdBookmar"), QStringLiteral("&Bookmark"), frameIn_);
  auto *cmdRec = makeButton(QStringLiteral("cmdRec"), QStringLiteral("&Record"), frameIn_);
  auto *cmdNextC = makeButton(QStringLiteral("cmdNextC"), QStringLiteral("&Next"), frameIn_);
  auto *cmdPrevC = makeButton(QStringLiteral("cmdPrevC"), QStringLiteral("&Previous"), frameIn_);
  auto *cmdQuit = makeButton(QStringLiteral("cmdQuit"), QStringLiteral("&Quit"), frameIn_);
  connect(cmdBookmar, &QPushButton::clicked, this, &ScanWindow::bookmarkSelected);
  connect(cmdRec, &QPushButton::clicked, this, &ScanWindow::record);
  connect(cmdNextC, &QPushButton::clicked, session_, &ScanSession::nextEntry);
  connect(cmdPrevC, &QPushButton::clicked, session_, &ScanSession::previousEntry);
  connect(cmdQuit, &QPushButton::clicked, this, [this] {
    session_->transferState().setStopRequested(true);
    close();
  });
  for (QPushButton *button : {cmdBookmar, cmdRec, cmdNextC, cmdPrevC, cmdQuit}) strip->addWidget(button);
  strip->addStretch();
  auto *level = makeLabel(QStringLiteral("picVol1"), QString(), frameIn_);
  strip->addWidget(level);
  picVol_ << level;
  for (QLabel *picture : picVol_) {
    picture->setAccessibleName(QStringLiteral("Sound level"));
    picture->setFixedSize(px(levelWidth), px(levelHeight));
    picture->setPixmap(levelPicture(1, picture->size()));
    picture->hide();
  }
}

void ScanWindow::buildStatusBar()
{
  statbar_ = new QStatusBar(this);
  statbar_->setObjectName(QStringLiteral("statbar"));
  statbar_->setSizeGripEnabled(false);
  for (int panel = 1; panel <= 2; ++panel) {
    auto *label = makeLabel(QStringLiteral("statbarPanel") + QString::number(panel), QString(), statbar_);
    label->setAccessibleDescription(QStringLiteral("Status panel ") + QString::number(panel));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setContentsMargins(3, 0, 3, 0);
    label->setMinimumWidth(px(panel == 1 ? 3200 : 1800));
    statbar_->addWidget(label, panel == 1 ? 2 : 1);
    panels_ << label;
  }
}

void ScanWindow::requestSize(double widthTwips, double heightTwips)
{
  resize(px(widthTwips), px(heightTwips));
  layoutAreas();
}

void ScanWindow::layoutAreas()
{
  const int statusHeight = statbar_->sizeHint().height();
  statbar_->setGeometry(0, height() - statusHeight, width(), statusHeight);
  frameR_->setGeometry(px(50), 0, px(frameWidth), px(frameHeightTwips_));
  styleRow_->setGeometry(0, 0, frameR_->width(), px(frameLoadHeight));
  details_->setGeometry(0, px(frameLoadHeight), frameR_->width(), px(frameStartHeight - frameLoadHeight));
  // The playlist area: the window less 100 wide, down to the status bar; its button strip 100
  // above its bottom and 200 narrower; the list 300 narrower and 300 less high than the rest.
  const int areaWidth = width() - px(100);
  const int areaHeight = height() - statusHeight;
  framePL_->setGeometry(0, 0, areaWidth, areaHeight);
  const int strip = px(stripHeight);
  frameIn_->setGeometry(px(100), areaHeight - strip - px(100), areaWidth - px(200), strip);
  lstPL_->setGeometry(px(150), px(150), areaWidth - px(300), areaHeight - strip - px(300));
}

void ScanWindow::resizeEvent(QResizeEvent *event)
{
  QWidget::resizeEvent(event);
  if (!isMinimized()) layoutAreas();
}

void ScanWindow::load()
{
  session_->createPlayers();
}

void ScanWindow::playPlaylist(const QList<ListEntry> &entries)
{
  session_->addPlaylistEntries(entries);
  show();
  raise();
  activateWindow();
  auto task = session_->DoPlaylist();
}

// --- the style area ------------------------------------------------------------------------------

void ScanWindow::onStyleChosen()
{
  chkU_->setChecked(comboStyle_->currentText() == allStationsStyle());
}

void ScanWindow::onSecondsEdited()
{
  const QString text = txtS_->text();
  bool ok = false;
  const qlonglong value = text.toLongLong(&ok);
  if (text.isEmpty() || (ok && value == 0))
    txtS_->setText(QStringLiteral("25"));
  else if (!ok || value > longestSeconds)
    txtS_->setText(QStringLiteral("32000"));
}

int ScanWindow::secondsPerStation() const
{
  return txtS_->text().toInt();
}

QString ScanWindow::style() const
{
  return comboStyle_->currentText();
}

bool ScanWindow::includeUnknown() const
{
  return chkU_->isChecked();
}

void ScanWindow::showStationArea()
{
  cmdStart_->hide();
  comboStyle_->setEnabled(false);
  chkU_->setEnabled(false);
  frameHeightTwips_ = frameStartHeight;
  requestSize(twips::fromPixels(width(), logicalDpiX()), startHeight);
}

void ScanWindow::setStartShown(bool shown)
{
  cmdStart_->setVisible(shown);
  if (shown) cmdStart_->setFocus();
}

void ScanWindow::showPlaylistArea()
{
  framePL_->show();
  framePL_->raise();
  statbar_->raise();
  setWindowTitle(QStringLiteral("Tessivar! Broadcast - Playlist"));
  requestSize(twips::fromPixels(width(), logicalDpiX()), playlistHeight);
}

// --- what the session shows ----------------------------------------------------------------------

void ScanWindow::setStatusText(int panel, const QString &text)
{
  if (QLabel *label = panels_.value(panel - 1)) label->setText(fieldDisplayText(text));
}

void ScanWindow::setStatusWord(const QString &text)
{
  label1_->setText(text);
}

void ScanWindow::showStation(const StationAnswer &station)
{
  showField(lblInfo_[0], station.name, station.name);
  showField(lblInfo_[1], station.format, station.format);
  showField(lblInfo_[2], stationLocation(station.locationFirst, station.locationSecond),
            stationLocationToolTip(station.locationFirst, station.locationSecond));
  showField(lblInfo_[3], station.bitRate, station.bitRate);
  // The name is a link while the station has a web address the program may open.
  stationLink_ = stationWebLink(station.website);
  QFont font = lblInfo_[0]->font();
  font.setUnderline(!stationLink_.isEmpty());
  lblInfo_[0]->setFont(font);
  if (stationLink_.isEmpty())
    lblInfo_[0]->unsetCursor();
  else
    lblInfo_[0]->setCursor(Qt::PointingHandCursor);
}

void ScanWindow::setBitRateText(const QString &text)
{
  showField(lblInfo_[3], text, text);
}

void ScanWindow::setStreamTitle(const QString &title)
{
  showField(lblTitle_, title, title);
  emit streamTitleChanged(title);
}

void ScanWindow::setNextEnabled(bool enabled)
{
  cmdNext_->setEnabled(enabled);
}

void ScanWindow::setPauseEnabled(bool enabled)
{
  cmdPause_->setEnabled(enabled);
}

void ScanWindow::setPresetsEnabled(bool enabled)
{
  cmdPresets_->setEnabled(enabled);
}

void ScanWindow::setPauseCaption(const QString &caption)
{
  cmdPause_->setText(caption);
}

void ScanWindow::showLevelPictures(bool shown)
{
  for (QLabel *picture : picVol_) picture->setVisible(shown);
}

void ScanWindow::setLevelFrame(int frame)
{
  for (QLabel *picture : picVol_) picture->setPixmap(levelPicture(frame, picture->size()));
}

void ScanWindow::closeWindow()
{
  close();
}

// --- commands ------------------------------------------------------------------------------------

void ScanWindow::openPresetDialog()
{
  if (presetDialog_) {
    presetDialog_->raise();
    return;
  }
  if (!session_->isStationPlaying()) return;
  auto *dialog = new ScanPresetDialog(services_.settings, assignPreset_, session_->stationName(),
                                      session_->stationAddress(), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::ApplicationModal);
  connect(dialog, &ScanPresetDialog::presetAssigned, this, &ScanWindow::presetAssigned);
  presetDialog_ = dialog;
  dialog->show();
}

void ScanWindow::bookmarkSelected()
{
  const StationList &list = session_->playedList();
  QList<ListEntry> chosen;
  for (int index = 0; index < list.count(); ++index) {
    if (list.isSelected(index))
      chosen << ListEntry{list.text(index), list.secondText(index), list.number(index)};
  }
  if (!chosen.isEmpty()) emit bookmarksRequested(chosen);
}

void ScanWindow::record()
{
  if (recorderDialog_) {
    recorderDialog_->raise();
    return;
  }
  recorderDialog_ =
      CheckRecord(services_, *recording_, session_->stationAddress(), session_->stationName(), this);
}

void ScanWindow::openStationWebsite()
{
  if (!stationLink_.isEmpty()) services_.shell.open(stationLink_);
}

// --- window events -------------------------------------------------------------------------------

void ScanWindow::closeEvent(QCloseEvent *event)
{
  // Its dialogs go first: nothing they do may reach a closed scanner.
  if (presetDialog_) presetDialog_->close();
  if (recorderDialog_) recorderDialog_->close();
  session_->close();
  event->accept();
}

bool ScanWindow::eventFilter(QObject *watched, QEvent *event)
{
  if (watched == lblInfo_.value(0) && event->type() == QEvent::MouseButtonPress) {
    openStationWebsite();
    return true;
  }
  // Keeping in front: the main window coming forward brings the scanner back over it, unless a
  // dialog of the scanner is open. Other programs and the scanner's own message boxes are left
  // alone.
  if (watched == owner_ && event->type() == QEvent::WindowActivate && isVisible() && !isMinimized() &&
      !session_->isClosing() && !isDialogOpen()) {
    QTimer::singleShot(0, this, [this] {
      raise();
      activateWindow();
    });
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tessivar
