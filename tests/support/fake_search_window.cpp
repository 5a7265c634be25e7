#include "fake_search_window.h"

#include <QCoroSignal>

namespace tessivar::test {

FakeSearchWindow::FakeSearchWindow(QObject *parent) : QObject(parent) {}

FakeSearchWindow::~FakeSearchWindow() = default;

void FakeSearchWindow::lockForSearch()
{
  locked = true;
  rowsAtLock = results.rowCount() + related.rowCount();
  searchBoxEnabled = false;
  log << QStringLiteral("lock");
}

void FakeSearchWindow::setSearchBoxEnabled(bool enabled)
{
  searchBoxEnabled = enabled;
  log << (enabled ? QStringLiteral("searchBox:on") : QStringLiteral("searchBox:off"));
}

void FakeSearchWindow::unlockAfterSearch()
{
  locked = false;
  log << QStringLiteral("unlock");
}

void FakeSearchWindow::setStatusText(int panel, const QString &value)
{
  if (panel >= 1 && panel <= 3) statusPanels[std::size_t(panel)] = value;
}

void FakeSearchWindow::setResultsCaption(const QString &value)
{
  resultsCaption = value;
}

void FakeSearchWindow::showTotalPages(const QString &totalPages)
{
  totalPagesShown << totalPages;
}

SearchInput FakeSearchWindow::input(SearchRequestKind kind, const QString &letter, int page) const
{
  SearchInput value;
  value.keywordText = text;
  value.kind = kind;
  value.letter = letter;
  value.page = page;
  value.mode = mode;
  value.formats = formats;
  value.connectionSpeed = speed;
  value.minBitRate = bitRate;
  value.minLength = length;
  value.dataServer = server;
  value.history = SearchHistory(history);
  return value;
}

QCoro::Task<> FakeSearchWindow::verify(ResultTableModel &rows, TransferState &, ProbeOptions)
{
  ++preVerifyCalls;
  rowsAtPreVerify << rows.rowCount();
  log << QStringLiteral("preVerify");
  emit preVerifyStarted();
  if (holdPreVerify) co_await qCoro(this, &FakeSearchWindow::preVerifyReleased);
}

FormatBoxes FakeSearchWindow::defaultFormats()
{
  FormatBoxes boxes;
  boxes.chkRA = 1;
  boxes.chkMA = 1;
  boxes.chkRV = 1;
  boxes.chkNA = 1;
  boxes.chkNV = 1;
  boxes.chkAV = 1;
  boxes.chkWA = 1;
  boxes.chkXDM = 1;
  boxes.chkMPEG = 1;
  return boxes;
}

}  // namespace tessivar::test
