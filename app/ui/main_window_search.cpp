// What a search does to the main window, the mode options and the result grids' requests.
#include "app/ui/main_window.h"

#include "app/ui/browse_bar.h"
#include "app/ui/main_toolbar.h"
#include "app/ui/preset_bar.h"
#include "base/program_options.h"
#include "platform/ui/artwork.h"
#include "results/pre_verify.h"
#include "results/result_table_model.h"
#include "results/stream_format.h"
#include "results/ui/results_grid.h"
#include "search/result_verification.h"
#include "search/search_run.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QToolButton>

namespace tessivar {

namespace {

// What result pre-verification does to the main window.
class VerifyingWindow final : public PreVerifyWindow, public LinkVerification
{
 public:
  VerifyingWindow(MainWindow &window, TransferFactory &transfers)
      : LinkVerification(*this, transfers), window_(window)
  {
  }

  void showVerifying(bool on) override
  {
    if (on) {
      if (QToolButton *play = window_.toolbar()->button(QStringLiteral("Play"))) play->setEnabled(false);
      window_.resultsGrid()->showBusyPointer(true);
    }
    window_.showPreVerifying(on);
    window_.setPreVerifyBusy(on);
  }
  void setStatusText(int panel, const QString &text) override { window_.setStatusText(panel, text); }
  void resetProgress(int maximum) override
  {
    window_.setProgressMaximum(maximum);
    window_.setProgressValue(0);
  }
  void setResultsRedraw(bool on) override { window_.resultsGrid()->setRedraw(on); }
  bool isClosing() const override { return window_.isUnloading(); }

 private:
  MainWindow &window_;
};

}  // namespace

void MainWindow::buildSearchRun()
{
  verification_ = std::make_unique<VerifyingWindow>(*this, services_.transfers);
  searchRun_ = new SearchRun(*this, *transfer_, *verification_, services_.prompter, this);
  searchRun_->setObjectName(QStringLiteral("SearchRun"));
}

void MainWindow::connectGrids()
{
  const auto layoutNow = [this] { return results_layout::layoutForMode(searchMode()); };
  for (ResultsGrid *grid : {results_, related_}) {
    grid->setLayoutSource(layoutNow);
    grid->setPreVerifyBusySource([this] { return preVerifyBusy_; });
    grid->setMiniBrowserSource([this] { return setup_->chkBrow; });
    grid->setStatusPictures(artwork::ownIcon(artwork::Picture::StatusLive),
                            artwork::ownIcon(artwork::Picture::StatusFile));
    connect(grid, &ResultsGrid::streamFormatCheckRequested, this, &MainWindow::showStreamFormat);
    connect(grid, &ResultsGrid::statusLinkChanged, this,
            [this](const QString &text) { setStatusText(3, text); });
    connect(grid, &ResultsGrid::playRequested, this, &MainWindow::playRequested);
    connect(grid, &ResultsGrid::websitePreviewRequested, this, &MainWindow::websitePreviewRequested);
  }
  connect(results_, &ResultsGrid::gridFocused, this, [this] { activeGrid_ = 1; });
  connect(related_, &ResultsGrid::gridFocused, this, [this] { activeGrid_ = 2; });
  connect(results_, &ResultsGrid::relatedResultsRequested, this, &MainWindow::relatedResultsRequested);
  connect(related_, &ResultsGrid::playlistRequested, this, &MainWindow::relatedPlaylistRequested);
  connect(results_, &ResultsGrid::presetDragStarted, lblMove_, &QLabel::setText);

  connect(txtSearch_->lineEdit(), &QLineEdit::returnPressed, this, &MainWindow::startSearchFromBox);
  // The box would otherwise report typed text that matches a history entry as a pick from the
  // list when editing ends (Enter, or the focus moving away), starting a search nobody asked for.
  disconnect(txtSearch_->lineEdit(), &QLineEdit::editingFinished, txtSearch_, nullptr);
  connect(txtSearch_, &QComboBox::activated, this, &MainWindow::startSearchFromBox);
  // The mode follows the option that becomes checked, however that happens: the mouse, the
  // keyboard, a screen reader's toggle or the program itself.
  const auto modeOption = [this](QRadioButton *option, SearchMode mode) {
    connect(option, &QRadioButton::toggled, this, [this, mode](bool checked) {
      if (checked) applyMode(mode);
    });
  };
  modeOption(optLive_, SearchMode::Live);
  modeOption(optArch_, SearchMode::Archive);
  modeOption(optLib_, SearchMode::Library);
}

void MainWindow::switchMode(SearchMode mode)
{
  QRadioButton *option = mode == SearchMode::Live      ? optLive_
                         : mode == SearchMode::Archive ? optArch_
                                                       : optLib_;
  // Checking an option applies its mode; one already checked is applied again.
  if (option->isChecked()) {
    applyMode(mode);
  } else {
    option->setChecked(true);
  }
}

void MainWindow::applyMode(SearchMode mode)
{
  for (int panel = 1; panel <= 3; ++panel) setStatusText(panel, QString());
  resultsModel_->clear();
  if (mode == SearchMode::Archive) {
    relatedModel_->clear();
    related_->show();
    relatedArea_->show();
  }
  menus_.menuPlaylist->setVisible(mode != SearchMode::Live);
  frameLib_->setVisible(mode == SearchMode::Library);
  frameSide_->setVisible(mode == SearchMode::Live);
  setResultsCaption(QStringLiteral("  Search Results (0)"));
  if (mode == SearchMode::Live) {
    label3_->setText(QStringLiteral("Enter Station Name, Format, Region or Keywords"));
  } else if (mode == SearchMode::Archive) {
    label3_->setText(QStringLiteral("Enter Keywords (Subject, Band Name, Person, etc)"));
  }
  layoutWindow();
  menus_.menuSelect->menuAction()->setEnabled(mode == SearchMode::Live);
  emit modeSwitched(mode);
}

void MainWindow::showStreamFormat()
{
  const QString url = results_->currentCell(results_layout::streamUrlColumn(results_->currentLayout()));
  if (url.isEmpty()) return;
  setStatusText(1, streamFormatName(url) + QStringLiteral(" Stream"));
}

// --- SearchWindow ----------------------------------------------------------------------------

void MainWindow::lockForSearch()
{
  lblADDR_->hide();
  frameLib_->setEnabled(false);
  busyPointer_.set(true);
  results_->showBusyPointer(true);
  results_->setRedraw(false);
  setSearchControlsLocked(true);
  txtSearch_->setEnabled(false);
}

void MainWindow::setSearchControlsLocked(bool locked)
{
  toolbar_->setSearchLockedButtonsEnabled(!locked);
  setStoppableRunning(Stoppable::Search, locked);
  menus_.menuStart->setEnabled(!locked);
  menus_.menuScan->setEnabled(!locked);
  for (QRadioButton *option : {optArch_, optLive_, optLib_}) option->setEnabled(!locked);
}

void MainWindow::setRelatedCaption(const QString &text)
{
  lblADDR_->setText(text);
}

void MainWindow::showRelatedCaption()
{
  lblADDR_->show();
}

void MainWindow::setStoppableRunning(Stoppable what, bool running)
{
  if (running)
    stoppableRunning_ |= int(what);
  else
    stoppableRunning_ &= ~int(what);
  toolbar_->showSearchRunning(stoppableRunning_ != 0);
  menus_.menuStop->setEnabled(stoppableRunning_ != 0);
}

void MainWindow::setSearchBoxEnabled(bool enabled)
{
  txtSearch_->setEnabled(enabled);
}

void MainWindow::unlockAfterSearch()
{
  setSearchControlsLocked(false);
  busyPointer_.set(false);
  results_->showBusyPointer(false);
  results_->setRedraw(true);
  frameLib_->setEnabled(true);
  layoutWindow();
}

void MainWindow::setStatusText(int panel, const QString &text)
{
  if (panel >= 1 && panel <= panels_.size()) panels_.at(panel - 1)->setText(text);
}

void MainWindow::setResultsCaption(const QString &text)
{
  lblSearch2_->setText(text);
}

void MainWindow::showTotalPages(const QString &totalPages)
{
  frameLib_->showTotalPages(totalPages);
}

int MainWindow::progressMaximum() const
{
  return progbar_->maximum();
}

void MainWindow::setProgressMaximum(int maximum)
{
  progbar_->setMaximum(std::max(maximum, progbar_->minimum()));
}

void MainWindow::setProgressValue(int value)
{
  progbar_->setValue(std::clamp(value, progbar_->minimum(), progbar_->maximum()));
}

QString MainWindow::searchText() const
{
  return txtSearch_->currentText();
}

void MainWindow::setSearchText(const QString &text)
{
  txtSearch_->setEditText(text);
}

SearchHistory MainWindow::searchHistory() const
{
  QStringList entries;
  for (int index = 0; index < txtSearch_->count(); ++index) entries << txtSearch_->itemText(index);
  return SearchHistory(entries);
}

void MainWindow::addSearchHistoryEntry(const QString &text)
{
  // Adding to an empty list would make the new entry the box's text.
  const QString typed = txtSearch_->currentText();
  txtSearch_->addItem(text);
  txtSearch_->setEditText(typed);
}

SearchInput MainWindow::searchInput(SearchRequestKind kind, const QString &letter, int page) const
{
  SearchInput input;
  input.keywordText = searchText();
  input.kind = kind;
  input.letter = letter;
  input.page = page;
  input.mode = searchMode();
  input.formats = setup_->formats;
  input.connectionSpeed = setup_->connectionSpeed;
  input.minBitRate = setup_->minBitRate;
  input.minLength = setup_->minLength;
  input.dataServer = dataServer_;
  input.history = searchHistory();
  return input;
}

void MainWindow::runSearch(const SearchInput &input)
{
  auto run = searchRun_->RunSearch(input);
}

SearchMode MainWindow::searchMode() const
{
  if (optArch_->isChecked()) return SearchMode::Archive;
  if (optLib_->isChecked()) return SearchMode::Library;
  return SearchMode::Live;
}

}  // namespace tessivar
