#pragma once

#include "results/result_table_model.h"
#include "search/result_verification.h"
#include "search/search_query.h"
#include "search/search_window.h"

#include <QObject>
#include <QStringList>

#include <array>

namespace tessivar::test {

// A main window as a search run sees it, with the run's pre-verification: every call is recorded
// in log, every value is a public member a test may set or read.
class FakeSearchWindow final : public QObject, public SearchWindow, public ResultVerification
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(FakeSearchWindow)

 public:
  explicit FakeSearchWindow(QObject *parent = nullptr);
  ~FakeSearchWindow() override;

  void lockForSearch() override;
  void setSearchBoxEnabled(bool enabled) override;
  void unlockAfterSearch() override;
  bool isUnloading() const override { return unloading; }
  void setStatusText(int panel, const QString &text) override;
  void setResultsCaption(const QString &text) override;
  void showTotalPages(const QString &totalPages) override;
  int progressMaximum() const override { return progressMax; }
  void setProgressMaximum(int maximum) override { progressMax = maximum; }
  void setProgressValue(int value) override { progressValue = value; }
  void setSearchText(const QString &value) override { text = value; }
  void addSearchHistoryEntry(const QString &entry) override { history << entry; }
  ResultTableModel *resultsModel() override { return &results; }
  ResultTableModel *relatedModel() override { return &related; }
  QCoro::Task<> verify(ResultTableModel &rows, TransferState &stop, ProbeOptions options) override;

  // What a search of the given kind would be handed: the fake window's state as one value.
  SearchInput input(SearchRequestKind kind = SearchRequestKind::Keyword, const QString &letter = {},
                    int page = 0) const;

  // The eight player formats and the MPEG box ticked, the four FTP-link boxes clear.
  static FormatBoxes defaultFormats();

  // The window's state.
  bool locked = false;
  int rowsAtLock = -1;  // rows in the two models when the window was last locked
  bool searchBoxEnabled = true;
  bool unloading = false;
  std::array<QString, 4> statusPanels;  // 1 to 3
  QString resultsCaption;
  QStringList totalPagesShown;
  int progressMax = 0;
  int progressValue = 0;
  QString text;
  QStringList history;
  SearchMode mode = SearchMode::Live;
  FormatBoxes formats = defaultFormats();
  QString speed = QStringLiteral("All Connections");
  int bitRate = 0;
  int length = 0;
  QString server;
  ResultTableModel results;
  ResultTableModel related;
  int preVerifyCalls = 0;
  // When set, pre-verification lasts until releasePreVerify().
  bool holdPreVerify = false;
  void releasePreVerify() { emit preVerifyReleased(); }
  // Row counts of the results model seen when pre-verification began.
  QList<int> rowsAtPreVerify;

  // "lock", "unlock", "searchBox:on"/"searchBox:off", "preVerify" in the order they happened;
  // tests may append their own entries (e.g. the prompts).
  QStringList log;

 signals:
  void preVerifyReleased();
  void preVerifyStarted();
};

}  // namespace tessivar::test
