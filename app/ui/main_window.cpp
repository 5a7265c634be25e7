#include "app/ui/main_window.h"

#include "app/ui/browse_bar.h"
#include "app/ui/main_toolbar.h"
#include "app/ui/preset_bar.h"
#include "app/ui/tray_icon.h"
#include "base/product.h"
#include "base/program_options.h"
#include "base/settings_store.h"
#include "base/twips.h"
#include "platform/http_transfer.h"
#include "platform/transfer_factory.h"
#include "platform/ui/artwork.h"
#include "platform/ui/named_label.h"
#include "results/result_table_model.h"
#include "results/ui/results_grid.h"
#include "search/result_verification.h"
#include "search/search_run.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace tessivar {

namespace {

constexpr double panel1WidthTwips = 2600;
constexpr double panel2WidthTwips = 900;
constexpr double progressWidthTwips = 2200;

// The caption bars above the grids: white text on the program's blue.
void styleCaptionBar(QLabel *label)
{
  label->setAutoFillBackground(true);
  QPalette colours = label->palette();
  colours.setColor(QPalette::Window, QColor(29, 63, 138));
  colours.setColor(QPalette::WindowText, Qt::white);
  label->setPalette(colours);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  label->setMinimumHeight(label->fontMetrics().height() + 6);
}

}  // namespace

MainWindow::MainWindow(const AppServices &services, QWidget *parent)
    : QMainWindow(parent), services_(services), setup_(std::make_unique<ProgramOptions>(services.settings))
{
  setObjectName(QStringLiteral("frmMain"));
  setCaption();
  setWindowIcon(artwork::ownIcon(artwork::Picture::Application));

  transfer_ = services_.transfers.makeTransfer(this);
  transfer_->setObjectName(QStringLiteral("HTTP1"));
  resultsModel_ = new ResultTableModel(this);
  resultsModel_->setObjectName(QStringLiteral("MSHResultsModel"));
  relatedModel_ = new ResultTableModel(this);
  relatedModel_->setObjectName(QStringLiteral("MSHResults2Model"));
  relatedModel_->setColumnLayout(ResultLayout::Archive);

  menus_ = MainMenus::build(menuBar());
  toolbar_ = new MainToolbar(this);
  addToolBar(Qt::TopToolBarArea, toolbar_);
  buildControls();
  buildStatusBar();
  buildTimers();

  tray_ = new TrayIcon(this);
  tray_->setIcon(windowIcon());
  tray_->setToolTip(product::trayToolTip());
  connect(tray_, &TrayIcon::clicked, this, &MainWindow::restoreFromTray);

  buildSearchRun();

  connectMenus();
  connectToolbar();
  connectGrids();

  const double dpi = screenDpi();
  setMinimumSize(twips::toPixelsCovering(results_layout::minimumWindowWidth, dpi),
                 twips::toPixelsCovering(results_layout::minimumWindowHeight, dpi));
  resize(twipsToPixels(12000, dpi), twipsToPixels(8400, dpi));
  switchMode(SearchMode::Live);
  setStatusText(1, QStringLiteral("Ready"));
}

MainWindow::~MainWindow()
{
  // The run and the controls refer to the window's members, which go before its children do.
  delete searchRun_;
  searchRun_ = nullptr;
  delete centralWidget();
}

void MainWindow::buildControls()
{
  auto *central = new QWidget(this);
  central->setObjectName(QStringLiteral("frmMainClient"));
  setCentralWidget(central);
  const int margin = twipsToPixels(results_layout::gridWidthAllowance / 2, screenDpi());
  auto *column = new QVBoxLayout(central);
  column->setContentsMargins(margin, 4, margin, 2);
  column->setSpacing(4);

  // Search box and mode options.
  frameTop_ = new QFrame(central);
  frameTop_->setObjectName(QStringLiteral("frameTop"));
  frameTop_->setAccessibleName(QStringLiteral("Search"));
  auto *top = new QGridLayout(frameTop_);
  top->setContentsMargins(0, 0, 0, 0);
  top->setHorizontalSpacing(10);
  top->setVerticalSpacing(2);
  label3_ = makeLabel(QStringLiteral("Label3"),
                      QStringLiteral("Enter Station Name, Format, Region or Keywords"), frameTop_);
  txtSearch_ = new QComboBox(frameTop_);
  txtSearch_->setObjectName(QStringLiteral("txtSearch"));
  txtSearch_->setAccessibleName(QStringLiteral("Search text"));
  txtSearch_->view()->setAccessibleName(QStringLiteral("Searches so far"));
  txtSearch_->setEditable(true);
  txtSearch_->setInsertPolicy(QComboBox::NoInsert);
  txtSearch_->setCompleter(nullptr);
  txtSearch_->setMaxVisibleItems(15);
  txtSearch_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  label3_->setBuddy(txtSearch_);
  const QString liveTip = QStringLiteral("Click here to search for live radio and television broadcasts");
  const QString clipTip =
      QStringLiteral("Click here to search for streaming audio and video clips, movies, concerts and more");
  optLive_ = new QRadioButton(QStringLiteral("LIVE Broadcasts"), frameTop_);
  optLive_->setObjectName(QStringLiteral("optLive"));
  optLive_->setToolTip(liveTip);
  optArch_ = new QRadioButton(QStringLiteral("Streaming Audio && Video"), frameTop_);
  optArch_->setObjectName(QStringLiteral("optArch"));
  optArch_->setToolTip(clipTip);
  optLib_ = new QRadioButton(QStringLiteral("Browse"), frameTop_);
  optLib_->setObjectName(QStringLiteral("optLib"));
  optLib_->setToolTip(clipTip);
  optLive_->setChecked(true);
  top->addWidget(label3_, 0, 0, 1, 4);
  top->addWidget(txtSearch_, 1, 0);
  top->addWidget(optLive_, 1, 1);
  top->addWidget(optArch_, 1, 2);
  top->addWidget(optLib_, 1, 3);
  top->setColumnStretch(0, 1);
  column->addWidget(frameTop_);

  frameSide_ = new PresetBar(central);
  column->addWidget(frameSide_);
  frameLib_ = new BrowseBar(central);
  column->addWidget(frameLib_, 0, Qt::AlignLeft);

  // The results grid with its caption bar and the pre-verification label.
  auto *captionRow = new QHBoxLayout;
  captionRow->setSpacing(0);
  lblSearch2_ = makeLabel(QStringLiteral("lblSearch2"), QStringLiteral("  Search Results"), central);
  styleCaptionBar(lblSearch2_);
  lblV_ = makeLabel(QStringLiteral("lblV"), QStringLiteral("Pre-verifying Files"), central);
  QFont verifyFont = lblV_->font();
  verifyFont.setBold(true);
  lblV_->setFont(verifyFont);
  lblV_->setAlignment(Qt::AlignCenter);
  lblV_->setContentsMargins(10, 0, 10, 0);
  lblV_->hide();
  captionRow->addWidget(lblSearch2_, 1);
  captionRow->addWidget(lblV_);
  column->addLayout(captionRow);
  lblSearch_ = makeLabel(QStringLiteral("lblSearch"), QStringLiteral("  Search Results"), central);
  lblSearch_->hide();

  results_ = new ResultsGrid(ResultsGrid::Kind::Results, sortOrder_, central);
  results_->setResultModel(resultsModel_);
  column->addWidget(results_, 1);

  // The related results, shown in the archive layout only.
  relatedArea_ = new QWidget(central);
  relatedArea_->setObjectName(QStringLiteral("relatedArea"));
  auto *relatedColumn = new QVBoxLayout(relatedArea_);
  relatedColumn->setContentsMargins(0, 0, 0, 0);
  relatedColumn->setSpacing(4);
  lblADDR_ =
      makeLabel(QStringLiteral("lblADDR"), QStringLiteral("  Additional Related Results"), relatedArea_);
  styleCaptionBar(lblADDR_);
  relatedColumn->addWidget(lblADDR_);
  related_ = new ResultsGrid(ResultsGrid::Kind::Related, sortOrder_, relatedArea_);
  related_->setResultModel(relatedModel_);
  relatedColumn->addWidget(related_, 1);
  column->addWidget(relatedArea_);

  // Hidden helpers: the drag label of the presets and the splash picture kept for the About window.
  lblMove_ = makeLabel(QStringLiteral("lblMove"), QString(), central);
  lblMove_->setAccessibleDescription(QStringLiteral("Preset being dragged"));
  lblMove_->hide();
  picSplash_ = makeLabel(QStringLiteral("picSplash"), QString(), central);
  picSplash_->setAccessibleName(QStringLiteral("picSplash"));
  picSplash_->hide();
}

void MainWindow::buildStatusBar()
{
  QStatusBar *bar = statusBar();
  bar->setObjectName(QStringLiteral("statbar"));
  bar->setSizeGripEnabled(true);
  QFont tahoma(QStringLiteral("Tahoma"));
  tahoma.setPointSizeF(bar->font().pointSizeF());
  bar->setFont(tahoma);
  const double dpi = screenDpi();
  for (int panel = 1; panel <= 3; ++panel) {
    auto *label = makeLabel(QStringLiteral("statbarPanel") + QString::number(panel), QString(), bar);
    // A screen reader reads the panel's text; the description says which panel it is.
    label->setAccessibleDescription(QStringLiteral("Status panel ") + QString::number(panel));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setContentsMargins(3, 0, 3, 0);
    panels_ << label;
  }
  panels_.at(0)->setMinimumWidth(twipsToPixels(panel1WidthTwips, dpi));
  panels_.at(1)->setMinimumWidth(twipsToPixels(panel2WidthTwips, dpi));
  panels_.at(1)->setAlignment(Qt::AlignCenter);
  panels_.at(2)->setTextInteractionFlags(Qt::TextSelectableByMouse);
  bar->addWidget(panels_.at(0));
  bar->addWidget(panels_.at(1));
  bar->addWidget(panels_.at(2), 1);
  progbar_ = new QProgressBar(bar);
  progbar_->setObjectName(QStringLiteral("progbar"));
  progbar_->setAccessibleName(QStringLiteral("Progress"));
  progbar_->setTextVisible(false);
  progbar_->setRange(0, 100);
  progbar_->setValue(0);
  progbar_->setFixedWidth(twipsToPixels(progressWidthTwips, dpi));
  bar->addPermanentWidget(progbar_);
}

void MainWindow::buildTimers()
{
  timerFlash_ = new QTimer(this);
  timerFlash_->setObjectName(QStringLiteral("TimerFlash"));
  timerFlash_->setInterval(1000);
  connect(timerFlash_, &QTimer::timeout, this, &MainWindow::flashTick);
}

QString MainWindow::statusText(int panel) const
{
  return panel >= 1 && panel <= panels_.size() ? panels_.at(panel - 1)->text() : QString();
}

}  // namespace tessivar
