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

// --- PreVerifyWindow -------------------------------------------------------------------------

void MainWindow::showVerifying(bool on)
{
  if (on) {
    if (QToolButton *play = controls_.toolbar->button(QStringLiteral("Play"))) play->setEnabled(false);
    controls_.results->showBusyPointer(true);
  }
  showPreVerifying(on);
  preVerifyBusy_ = on;
}

void MainWindow::resetProgress(int maximum)
{
  setProgressMaximum(maximum);
  setProgressValue(0);
}

void MainWindow::setResultsRedraw(bool on)
{
  controls_.results->setRedraw(on);
}

void MainWindow::connectGrids()
{
  const auto layoutNow = [this] { return results_layout::layoutForMode(searchMode()); };
  for (ResultsGrid *grid : {controls_.results, controls_.related}) {
    grid->setLayoutSource(layoutNow);
    grid->setPreVerifyBusySource([this] { return preVerifyBusy_; });
    grid->setMiniBrowserSource([this] { return setup_.chkBrow; });
    grid->setStatusPictures(artwork::ownIcon(artwork::Picture::StatusLive),
                            artwork::ownIcon(artwork::Picture::StatusFile));
    connect(grid, &ResultsGrid::streamFormatCheckRequested, this, &MainWindow::showStreamFormat);
    connect(grid, &ResultsGrid::statusLinkChanged, this,
            [this](const QString &text) { setStatusText(3, text); });
    connect(grid, &ResultsGrid::playRequested, this, &MainWindow::playRequested);
    connect(grid, &ResultsGrid::websitePreviewRequested, this, &MainWindow::websitePreviewRequested);
  }
  connect(controls_.results, &ResultsGrid::gridFocused, this, [this] { activeGrid_ = 1; });
  connect(controls_.related, &ResultsGrid::gridFocused, this, [this] { activeGrid_ = 2; });
  connect(controls_.results, &ResultsGrid::relatedResultsRequested, this,
          &MainWindow::relatedResultsRequested);
  connect(controls_.related, &ResultsGrid::playlistRequested, this, &MainWindow::relatedPlaylistRequested);
  connect(controls_.results, &ResultsGrid::presetDragStarted, lblMove_, &QLabel::setText);

  connect(controls_.searchBox->lineEdit(), &QLineEdit::returnPressed, this,
          &MainWindow::searchFromBoxRequested);
  // The box would otherwise report typed text that matches a history entry as a pick from the
  // list when editing ends (Enter, or the focus moving away), starting a search nobody asked for.
  disconnect(controls_.searchBox->lineEdit(), &QLineEdit::editingFinished, controls_.searchBox, nullptr);
  connect(controls_.searchBox, &QComboBox::activated, this, [this] { emit searchFromBoxRequested(); });
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
  resultsModel_.clear();
  if (mode == SearchMode::Archive) {
    relatedModel_.clear();
    controls_.related->show();
    relatedArea_->show();
  }
  controls_.menus.menuPlaylist->setVisible(mode != SearchMode::Live);
  controls_.browseBar->setVisible(mode == SearchMode::Library);
  controls_.presetBar->setVisible(mode == SearchMode::Live);
  setResultsCaption(QStringLiteral("  Search Results (0)"));
  if (mode == SearchMode::Live) {
    label3_->setText(QStringLiteral("Enter Station Name, Format, Region or Keywords"));
  } else if (mode == SearchMode::Archive) {
    label3_->setText(QStringLiteral("Enter Keywords (Subject, Band Name, Person, etc)"));
  }
  layoutWindow();
  controls_.menus.menuSelect->menuAction()->setEnabled(mode == SearchMode::Live);
  emit modeSwitched(mode);
}

void MainWindow::showStreamFormat()
{
  const QString url =
      controls_.results->currentCell(results_layout::streamUrlColumn(controls_.results->currentLayout()));
  if (url.isEmpty()) return;
  setStatusText(1, streamFormatName(url) + QStringLiteral(" Stream"));
}

// --- SearchWindow ----------------------------------------------------------------------------

void MainWindow::lockForSearch()
{
  lblADDR_->hide();
  controls_.browseBar->setEnabled(false);
  busyPointer_.set(true);
  controls_.results->showBusyPointer(true);
  controls_.results->setRedraw(false);
  setSearchControlsLocked(true);
  controls_.searchBox->setEnabled(false);
}

void MainWindow::setSearchControlsLocked(bool locked)
{
  controls_.toolbar->setSearchLockedButtonsEnabled(!locked);
  setStoppableRunning(Stoppable::Search, locked);
  controls_.menus.menuStart->setEnabled(!locked);
  controls_.menus.menuScan->setEnabled(!locked);
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
  controls_.toolbar->showSearchRunning(stoppableRunning_ != 0);
  controls_.menus.menuStop->setEnabled(stoppableRunning_ != 0);
}

void MainWindow::setSearchBoxEnabled(bool enabled)
{
  controls_.searchBox->setEnabled(enabled);
}

void MainWindow::unlockAfterSearch()
{
  setSearchControlsLocked(false);
  busyPointer_.set(false);
  controls_.results->showBusyPointer(false);
  controls_.results->setRedraw(true);
  controls_.browseBar->setEnabled(true);
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
  controls_.browseBar->showTotalPages(totalPages);
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
  return controls_.searchBox->currentText();
}

void MainWindow::setSearchText(const QString &text)
{
  controls_.searchBox->setEditText(text);
}

SearchHistory MainWindow::searchHistory() const
{
  QStringList entries;
  for (int index = 0; index < controls_.searchBox->count(); ++index)
    entries << controls_.searchBox->itemText(index);
  return SearchHistory(entries);
}

void MainWindow::addSearchHistoryEntry(const QString &text)
{
  // Adding to an empty list would make the new entry the box's text.
  const QString typed = controls_.searchBox->currentText();
  controls_.searchBox->addItem(text);
  controls_.searchBox->setEditText(typed);
}

SearchMode MainWindow::searchMode() const
{
  if (optArch_->isChecked()) return SearchMode::Archive;
  if (optLib_->isChecked()) return SearchMode::Library;
  return SearchMode::Live;
}

}  // namespace tessivar
