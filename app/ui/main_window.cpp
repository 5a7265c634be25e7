#include "app/ui/main_window.h"

#include "app/ui/browse_bar.h"
#include "app/ui/main_toolbar.h"
#include "app/ui/preset_bar.h"
#include "app/ui/tray_icon.h"
#include "app/ui/twips_geometry.h"
#include "base/product.h"
#include "base/program_options.h"
#include "base/settings_store.h"
#include "base/twips.h"
#include "platform/ui/artwork.h"
#include "platform/ui/named_label.h"
#include "platform/ui/screen_dpi.h"
#include "results/result_table_model.h"
#include "results/ui/results_grid.h"

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

MainWindow::MainWindow(const AppServices &services, ProgramOptions &options, ResultTableModel &results,
                       ResultTableModel &related, QWidget *parent)
    : QMainWindow(parent),
      services_(services),
      setup_(options),
      resultsModel_(results),
      relatedModel_(related)
{
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(product::mainWindowCaption());
  setWindowIcon(artwork::ownIcon(artwork::Picture::Application));

  controls_.menus = MainMenus::build(menuBar());
  controls_.toolbar = new MainToolbar(this);
  addToolBar(Qt::TopToolBarArea, controls_.toolbar);
  buildControls();
  buildStatusBar();
  buildTimers();

  controls_.tray = new TrayIcon(this);
  controls_.tray->setIcon(windowIcon());
  controls_.tray->setToolTip(product::trayToolTip());
  connect(controls_.tray, &TrayIcon::clicked, this, &MainWindow::restoreFromTray);

  connectMenus();
  connectToolbar();
  connectGrids();

  const double dpi = screenDpi(this);
  setMinimumSize(twips::toPixelsCovering(results_layout::minimumWindowWidth, dpi),
                 twips::toPixelsCovering(results_layout::minimumWindowHeight, dpi));
  resize(twipsToPixels(12000, dpi), twipsToPixels(8400, dpi));
  switchMode(SearchMode::Live);
  setStatusText(1, QStringLiteral("Ready"));
}

MainWindow::~MainWindow()
{
  // The controls refer to the window's members, which go before its children do.
  delete centralWidget();
}

void MainWindow::buildControls()
{
  auto *central = new QWidget(this);
  central->setObjectName(QStringLiteral("frmMainClient"));
  setCentralWidget(central);
  const int margin = twipsToPixels(results_layout::gridWidthAllowance / 2, screenDpi(this));
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
  controls_.searchBox = new QComboBox(frameTop_);
  controls_.searchBox->setObjectName(QStringLiteral("txtSearch"));
  controls_.searchBox->setAccessibleName(QStringLiteral("Search text"));
  controls_.searchBox->view()->setAccessibleName(QStringLiteral("Searches so far"));
  controls_.searchBox->setEditable(true);
  controls_.searchBox->setInsertPolicy(QComboBox::NoInsert);
  controls_.searchBox->setCompleter(nullptr);
  controls_.searchBox->setMaxVisibleItems(15);
  controls_.searchBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  label3_->setBuddy(controls_.searchBox);
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
  top->addWidget(controls_.searchBox, 1, 0);
  top->addWidget(optLive_, 1, 1);
  top->addWidget(optArch_, 1, 2);
  top->addWidget(optLib_, 1, 3);
  top->setColumnStretch(0, 1);
  column->addWidget(frameTop_);

  controls_.presetBar = new PresetBar(central);
  column->addWidget(controls_.presetBar);
  controls_.browseBar = new BrowseBar(central);
  column->addWidget(controls_.browseBar, 0, Qt::AlignLeft);

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

  controls_.results = new ResultsGrid(ResultsGrid::Kind::Results, sortOrder_, central);
  controls_.results->setResultModel(&resultsModel_);
  column->addWidget(controls_.results, 1);

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
  controls_.related = new ResultsGrid(ResultsGrid::Kind::Related, sortOrder_, relatedArea_);
  controls_.related->setResultModel(&relatedModel_);
  relatedColumn->addWidget(controls_.related, 1);
  column->addWidget(relatedArea_);

  // Hidden helper: the drag label of the presets.
  lblMove_ = makeLabel(QStringLiteral("lblMove"), QString(), central);
  lblMove_->setAccessibleDescription(QStringLiteral("Preset being dragged"));
  lblMove_->hide();
}

void MainWindow::buildStatusBar()
{
  QStatusBar *bar = statusBar();
  bar->setObjectName(QStringLiteral("statbar"));
  bar->setSizeGripEnabled(true);
  QFont tahoma(QStringLiteral("Tahoma"));
  tahoma.setPointSizeF(bar->font().pointSizeF());
  bar->setFont(tahoma);
  const double dpi = screenDpi(this);
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
