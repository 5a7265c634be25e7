#include "dialogs/ui/setup_dialog.h"

#include "base/connection_speed.h"
#include "base/product.h"
#include "base/program_options.h"
#include "base/settings_store.h"
#include "base/site_links.h"
#include "dialogs/setup_format_checks.h"
#include "platform/app_services.h"
#include "platform/prompter.h"
#include "platform/shell_open.h"
#include "platform/ui/artwork.h"
#include "platform/ui/named_label.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <optional>

namespace tessivar {

namespace {

const char *const playerTabProperty = "playerTab";
const char *const indexProperty = "index";

QLabel *makeLabel(const QString &name, const QString &text, QWidget *parent, bool wrap)
{
  QLabel *label = tessivar::makeLabel(name, text, parent);
  label->setWordWrap(wrap);
  return label;
}

using Page = SetupDialog::Page;

constexpr int pageCount = int(Page::Options) + 1;

// The player whose program path a page shows; none for the other pages.
std::optional<SetupPlayer> playerOfPage(int index)
{
  switch (Page(index)) {
    case Page::RealPlayer:
      return SetupPlayer::Real;
    case Page::MediaPlayer:
      return SetupPlayer::Media;
    case Page::StreamWorks:
      return SetupPlayer::StreamWorks;
    default:
      return std::nullopt;
  }
}

// True for a typed character a number box refuses: anything printable but a digit.
bool refusedInNumberBox(const QKeyEvent &key)
{
  const QString text = key.text();
  if (text.isEmpty()) return false;  // arrows, Delete, Home and the like
  for (const QChar c : text) {
    if (c == QChar(8)) continue;  // Backspace
    if (c >= u'0' && c <= u'9') continue;
    if (!c.isPrint()) continue;  // control characters (Ctrl+C, Ctrl+V, Tab, Enter)
    return true;
  }
  return false;
}

struct PlayerTexts
{
  const char *logoName;
  const char *first;
  const char *second;
};

PlayerTexts playerTexts(Page page)
{
  switch (page) {
    case Page::MediaPlayer:
      return {
          "pMicro",
          "Windows Media Player plays Microsoft Media audio and video streams (ASF, WMA and WMV) as well as "
          "MP3, WAV, AVI and MPEG files.",
          "Version 7 or later is recommended; earlier versions may not play every live broadcast."};
    case Page::StreamWorks:
      return {"pXing", "The Xing StreamWorks player plays StreamWorks audio and video broadcasts.",
              "A number of stations broadcast only in this format; install the player to hear them."};
    default:
      return {
          "pReal",
          "RealPlayer plays RealAudio and RealVideo streams, the format most live radio stations in the "
          "directory broadcast in.",
          "The free edition of RealPlayer is all you need to listen to stations and watch RealVideo clips."};
  }
}

}  // namespace

SetupDialog::SetupDialog(ProgramOptions &state, const AppServices &services, SearchMode mode, QWidget *parent)
    : QDialog(parent), state_(state), services_(services)
{
  setObjectName(QStringLiteral("frmSetup"));
  setWindowTitle(QStringLiteral("Tessivar! Broadcast - Setup"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  chooseFile = [this](const QString &caption, const QString &folder, const QString &filter) {
    return QFileDialog::getOpenFileName(this, caption, folder, filter);
  };

  SSTab1 = new QTabWidget(this);
  SSTab1->setObjectName(QStringLiteral("SSTab1"));
  SSTab1->setUsesScrollButtons(false);
  SSTab1->addTab(buildFormatTab(), QStringLiteral("Select Format"));
  SSTab1->addTab(buildPlayerTab(Page::RealPlayer), QStringLiteral("RealPlayer"));
  auto *winamp = new QWidget(SSTab1);
  winamp->setObjectName(QStringLiteral("tabWinamp"));
  SSTab1->addTab(winamp, QStringLiteral("Winamp"));
  SSTab1->addTab(buildPlayerTab(Page::MediaPlayer), QStringLiteral("Microsoft Media"));
  SSTab1->addTab(buildPlayerTab(Page::StreamWorks), QStringLiteral("Streamworks"));
  SSTab1->addTab(buildProxyTab(), QStringLiteral("Proxy Settings"));
  SSTab1->addTab(buildOptionsTab(), QStringLiteral("Options"));

  cmdOK = new QPushButton(QStringLiteral("&OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &SetupDialog::accept);

  auto *bottom = new QHBoxLayout;
  bottom->addWidget(buildPlayerFrame(), 1);
  bottom->addStretch(0);
  bottom->addWidget(cmdOK, 0, Qt::AlignVCenter);

  auto *layout = new QVBoxLayout(this);
  layout->addWidget(SSTab1, 1);
  layout->addLayout(bottom);
  setMinimumSize(qMax(600, SSTab1->tabBar()->sizeHint().width() + 40), 440);

  load(mode);
  connect(SSTab1, &QTabWidget::currentChanged, this, &SetupDialog::onTabChanged);
  if (state_.lastSetupTab >= 0 && state_.lastSetupTab < pageCount) selectPage(Page(state_.lastSetupTab));
}

SetupDialog::~SetupDialog() = default;

QWidget *SetupDialog::buildFormatTab()
{
  auto *tab = new QWidget(SSTab1);
  tab->setObjectName(QStringLiteral("tabFormat"));
  auto *layout = new QVBoxLayout(tab);
  layout->addWidget(makeLabel(QStringLiteral("Label11"),
                              QStringLiteral("Select Formats to Include in Search Results..."), tab));

  auto *boxes = new QGridLayout;
  int general = 0;
  int archive = 0;
  for (const SetupFormatCheck &format : setupFormatChecks()) {
    auto *box = new QCheckBox(QString::fromLatin1(format.caption), tab);
    box->setObjectName(QString::fromLatin1(format.objectName));
    if (format.archiveOnly) {
      boxes->addWidget(box, archive++, 1);
    } else {
      boxes->addWidget(box, general++, 0);
    }
    formatBoxes_.append(box);
    const SettingKey key = format.key;
    connect(box, &QCheckBox::stateChanged, this, [this, key](int state) {
      state_.setFormatBox(key, state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0);
    });
  }
  boxes->setColumnStretch(0, 1);
  boxes->setColumnStretch(1, 1);
  layout->addLayout(boxes);
  layout->addStretch(1);

  auto *limits = new QHBoxLayout;
  limits->addWidget(makeLabel(QStringLiteral("Label5"), QStringLiteral("Only show entries above"), tab));
  txtB = new QLineEdit(tab);
  txtB->setObjectName(QStringLiteral("txtB"));
  txtB->setAccessibleName(QStringLiteral("Only show entries above (kbps)"));
  txtB->setFixedWidth(56);
  txtB->installEventFilter(this);
  limits->addWidget(txtB);
  limits->addWidget(makeLabel(QStringLiteral("Label6"), QStringLiteral("kbps"), tab));
  txtT = new QLineEdit(tab);
  txtT->setObjectName(QStringLiteral("txtT"));
  txtT->setAccessibleName(QStringLiteral("Only show entries above (minutes)"));
  txtT->setFixedWidth(56);
  txtT->installEventFilter(this);
  limits->addSpacing(12);
  limits->addWidget(txtT);
  Label16 = makeLabel(QStringLiteral("Label16"), QStringLiteral("minutes"), tab);
  limits->addWidget(Label16);
  limits->addStretch(1);
  layout->addLayout(limits);

  connect(txtB, &QLineEdit::textChanged, this, &SetupDialog::onBitRateChanged);
  connect(txtT, &QLineEdit::textChanged, this, [this](const QString &text) { state_.setLengthText(text); });
  return tab;
}

QWidget *SetupDialog::buildPlayerTab(Page page)
{
  const int tabIndex = int(page);
  const PlayerTexts texts = playerTexts(page);
  auto *tab = new QWidget(SSTab1);
  tab->setObjectName(QStringLiteral("tabPlayer%1").arg(tabIndex));
  auto *layout = new QVBoxLayout(tab);

  auto *logo = new QLabel(tab);
  logo->setObjectName(QString::fromLatin1(texts.logoName));
  logo->setAccessibleName(QString::fromLatin1(texts.logoName));
  logo->setCursor(Qt::PointingHandCursor);
  logo->setProperty(playerTabProperty, tabIndex);
  logo->installEventFilter(this);
  const auto kind = page == Page::MediaPlayer   ? artwork::PlayerLogo::Media
                    : page == Page::StreamWorks ? artwork::PlayerLogo::StreamWorks
                                                : artwork::PlayerLogo::Real;
  logo->setPixmap(artwork::playerLogo(kind));
  if (page == Page::RealPlayer) pReal = logo;
  if (page == Page::MediaPlayer) pMicro = logo;
  if (page == Page::StreamWorks) pXing = logo;
  layout->addWidget(logo, 0, Qt::AlignLeft);

  layout->addWidget(
      makeLabel(QStringLiteral("lblAbout%1_0").arg(tabIndex), QString::fromUtf8(texts.first), tab, true));
  layout->addWidget(
      makeLabel(QStringLiteral("lblAbout%1_1").arg(tabIndex), QString::fromUtf8(texts.second), tab, true));
  auto *hint = makeLabel(
      QStringLiteral("lblLogo"),
      QStringLiteral("Single Click the Logo to Visit Player Website and Download Player. "), tab, true);
  hint->setProperty(indexProperty, page == Page::RealPlayer ? 0 : tabIndex - 1);
  layout->addWidget(hint);
  layout->addStretch(1);
  return tab;
}

QWidget *SetupDialog::buildProxyTab()
{
  auto *tab = new QWidget(SSTab1);
  tab->setObjectName(QStringLiteral("tabProxy"));
  auto *layout = new QVBoxLayout(tab);
  layout->addWidget(
      makeLabel(QStringLiteral("Label14"),
                QStringLiteral("If your Internet connection requires a firewall/proxy, please enter that "
                               "information here so that you may access the Internet with Tessivar! "
                               "Broadcast."),
                tab, true));
  auto *form = new QGridLayout;
  form->addWidget(makeLabel(QStringLiteral("Label9"), QStringLiteral("Address"), tab), 0, 0);
  txtHost = new QLineEdit(tab);
  txtHost->setObjectName(QStringLiteral("txtHost"));
  txtHost->setAccessibleName(QStringLiteral("Address"));
  form->addWidget(txtHost, 0, 1);
  form->addWidget(makeLabel(QStringLiteral("Label10"), QStringLiteral("Port"), tab), 1, 0);
  txtPort = new QLineEdit(tab);
  txtPort->setObjectName(QStringLiteral("txtPort"));
  txtPort->setAccessibleName(QStringLiteral("Port"));
  txtPort->setFixedWidth(72);
  txtPort->installEventFilter(this);
  form->addWidget(txtPort, 1, 1, Qt::AlignLeft);
  form->setColumnStretch(1, 1);
  layout->addLayout(form);
  layout->addStretch(1);

  connect(txtHost, &QLineEdit::textChanged, this,
          [this](const QString &text) { state_.setProxyHostText(text); });
  connect(txtPort, &QLineEdit::textChanged, this,
          [this](const QString &text) { state_.setProxyPortText(text); });
  return tab;
}

QWidget *SetupDialog::buildOptionsTab()
{
  auto *tab = new QWidget(SSTab1);
  tab->setObjectName(QStringLiteral("tabOptions"));
  auto *layout = new QVBoxLayout(tab);
  auto *speedRow = new QHBoxLayout;
  speedRow->addWidget(makeLabel(QStringLiteral("Label12"), QStringLiteral("Optimize results for"), tab));
  comboB = new QComboBox(tab);
  comboB->setObjectName(QStringLiteral("comboB"));
  // Editable only so that it can show a stored name that is not in the list; typing is refused.
  comboB->setEditable(true);
  comboB->lineEdit()->setReadOnly(true);
  comboB->setInsertPolicy(QComboBox::NoInsert);
  comboB->installEventFilter(this);
  comboB->lineEdit()->installEventFilter(this);
  comboB->setMinimumWidth(180);
  speedRow->addWidget(comboB);
  speedRow->addStretch(1);
  layout->addLayout(speedRow);
  layout->addWidget(
      makeLabel(QStringLiteral("Label13"),
                QStringLiteral("Please select your connection type so that your Tessivar! Broadcast "
                               "experience may be the most enjoyable and useful.  Please note that by "
                               "optimizing for higher connection speeds beyond your connection may result "
                               "in skipping or inability to play streams."),
                tab, true));
  layout->addSpacing(8);
  chkTray = new QCheckBox(QStringLiteral("Minimize to System Tray"), tab);
  chkTray->setObjectName(QStringLiteral("chkTray"));
  layout->addWidget(chkTray);
  chkBrow = new QCheckBox(QStringLiteral("Open Mini-Browser on Preview"), tab);
  chkBrow->setObjectName(QStringLiteral("chkBrow"));
  layout->addWidget(chkBrow);
  layout->addStretch(1);

  connect(comboB, &QComboBox::activated, this,
          [this](int index) { state_.pickConnection(comboB->itemText(index)); });
  connect(chkTray, &QCheckBox::clicked, this, [this](bool ticked) { state_.setTray(ticked); });
  connect(chkBrow, &QCheckBox::clicked, this, [this](bool ticked) { state_.setBrow(ticked); });
  return tab;
}

QFrame *SetupDialog::buildPlayerFrame()
{
  FrameL = new QFrame(this);
  FrameL->setObjectName(QStringLiteral("FrameL"));
  FrameL->setFrameShape(QFrame::StyledPanel);
  auto *column = new QVBoxLayout(FrameL);
  auto *layout = new QHBoxLayout;
  column->addLayout(layout);
  lblPlay = makeLabel(QStringLiteral("lblPlay"), QStringLiteral("Player Location"), FrameL);
  layout->addWidget(lblPlay);
  txtCMD = new QLineEdit(FrameL);
  txtCMD->setObjectName(QStringLiteral("txtCMD"));
  txtCMD->setAccessibleName(QStringLiteral("Player Location"));
  layout->addWidget(txtCMD, 1);
  cmdBrowse = new QPushButton(QStringLiteral("&Browse"), FrameL);
  cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
  cmdBrowse->setAutoDefault(false);
  layout->addWidget(cmdBrowse);
  // On every player page: the program's own player stands in for all of them.
  chkBuiltIn = new QCheckBox(QStringLiteral("Play streams in Tessivar"), FrameL);
  chkBuiltIn->setObjectName(QStringLiteral("chkBuiltIn"));
  chkBuiltIn->setAccessibleName(chkBuiltIn->text());
  column->addWidget(chkBuiltIn);
  connect(txtCMD, &QLineEdit::textChanged, this, &SetupDialog::onPathEdited);
  connect(cmdBrowse, &QPushButton::clicked, this, &SetupDialog::onBrowse);
  connect(chkBuiltIn, &QCheckBox::clicked, this, [this](bool ticked) { state_.setBuiltInPlayer(ticked); });
  return FrameL;
}

void SetupDialog::load(SearchMode mode)
{
  const bool archive = mode == SearchMode::Archive;
  txtT->setEnabled(archive);
  Label16->setEnabled(archive);
  for (int i = 0; i < formatBoxes_.size(); ++i) {
    if (setupFormatChecks()[static_cast<std::size_t>(i)].archiveOnly) formatBoxes_[i]->setEnabled(archive);
  }

  comboB->addItems(connectionChoices());
  FrameL->hide();
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();

  state_.load();
  comboB->setEditText(state_.connectionSpeed);
  txtHost->setText(state_.proxyHostText());
  txtPort->setText(state_.proxyPortText());
  txtB->setText(state_.bitRateText());
  txtT->setText(state_.lengthText());
  for (int i = 0; i < formatBoxes_.size(); ++i) {
    const int value = state_.formatBox(setupFormatChecks()[static_cast<std::size_t>(i)].key);
    formatBoxes_[i]->setCheckState(value == 1   ? Qt::Checked
                                   : value == 2 ? Qt::PartiallyChecked
                                                : Qt::Unchecked);
  }
  chkTray->setChecked(state_.chkTray);
  chkBrow->setChecked(state_.chkBrow);
  chkBuiltIn->setChecked(state_.builtInPlayer);

  SSTab1->setTabEnabled(int(Page::Winamp), false);
}

SetupDialog::Page SetupDialog::playerPage(SetupPlayer player)
{
  switch (player) {
    case SetupPlayer::Media:
      return Page::MediaPlayer;
    case SetupPlayer::StreamWorks:
      return Page::StreamWorks;
    case SetupPlayer::Real:
      break;
  }
  return Page::RealPlayer;
}

void SetupDialog::selectPage(Page page)
{
  const int index = int(page);
  if (!SSTab1->isTabEnabled(index)) return;
  if (SSTab1->currentIndex() == index) {
    onTabChanged(index);
  } else {
    SSTab1->setCurrentIndex(index);
  }
}

void SetupDialog::onTabChanged(int index)
{
  cmdBrowse->show();
  txtCMD->show();
  lblPlay->show();
  if (const std::optional<SetupPlayer> player = playerOfPage(index)) {
    playerShown_ = player;
    txtCMD->setText(state_.playerPath(*player));
    FrameL->show();
  } else {
    cmdBrowse->hide();
    txtCMD->hide();
    lblPlay->hide();
    FrameL->hide();
  }
  state_.lastSetupTab = index;
}

void SetupDialog::onPathEdited(const QString &text)
{
  if (const std::optional<SetupPlayer> player = playerOfPage(SSTab1->currentIndex()))
    state_.setPlayerPath(*player, text);
}

void SetupDialog::onBitRateChanged(const QString &text)
{
  const QString kept = state_.setBitRateText(text);
  if (kept != text) txtB->setText(kept);
}

QString SetupDialog::playerFileFilter(SetupPlayer player)
{
  // Programs carry no common file name ending here, so the filter names the player and lists all files.
  return ProgramOptions::playerName(player) + QStringLiteral(" (*)");
}

void SetupDialog::onBrowse()
{
  if (!playerShown_) return;
  const SetupPlayer player = *playerShown_;
  const QString chosen = chooseFile(ProgramOptions::playerName(player),
                                    QCoreApplication::applicationDirPath(), playerFileFilter(player));
  if (chosen.isEmpty()) return;
  txtCMD->setText(chosen);
}

void SetupDialog::openLogoLink(QObject *logo)
{
  // The StreamWorks installer is offered from the maker's own site.
  std::optional<SiteLink> link;
  if (logo == pReal) link = SiteLink::RealPlayerPage;
  if (logo == pMicro) link = SiteLink::MediaPlayerPage;
  if (logo == pXing) link = SiteLink::StreamWorksInstaller;
  if (link) shellOpen(services_.shell, services_.prompter, siteLink(services_.settings, *link));
}

bool SetupDialog::eventFilter(QObject *watched, QEvent *event)
{
  if (event->type() == QEvent::KeyPress) {
    const auto &key = static_cast<const QKeyEvent &>(*event);
    // Enter in a number box is one more key the box discards; it does not press OK.
    if (watched == txtB || watched == txtT || watched == txtPort)
      return refusedInNumberBox(key) || key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    if ((watched == comboB || watched == comboB->lineEdit()) && !key.text().isEmpty() &&
        key.text().at(0).isPrint()) {
      return true;
    }
  }
  if (event->type() == QEvent::MouseButtonRelease &&
      (watched == pReal || watched == pMicro || watched == pXing)) {
    const auto &mouse = static_cast<const QMouseEvent &>(*event);
    if (mouse.button() == Qt::LeftButton) {
      openLogoLink(watched);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void SetupDialog::keyPressEvent(QKeyEvent *event)
{
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void SetupDialog::accept()
{
  if (state_.proxyEdited()) {
    services_.prompter.ask(PromptIcon::Information, product::applicationTitle(),
                           QStringLiteral("Please restart application after setting proxy information."));
  }
  state_.store();
  QDialog::accept();
}

void SetupDialog::reject()
{
  // Closing without OK drops the unsaved choices: the next use reads the stored ones.
  state_.load();
  QDialog::reject();
}

}  // namespace tessivar
