#pragma once

#include "results/result_layout.h"
#include "results/result_table_model.h"
#include "search/result_cells.h"
#include "search/station_record.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

namespace tessivar {

// "  Search Results (N)" and "  Addtional Related Results (N)".
QString searchResultsCaption(int count);
QString relatedResultsCaption(int count);
// "Current Page : (" page " of " total ")".
QString browseLabelText(int currentPage, const QString &totalPages);

// Turns a result page into grid rows while it arrives. The transfer hands every data block to
// extract(); each complete anchor (an "A HREF" tag, its address in double quotes, its text,
// then "</A>", tags in any letter case) becomes one row of the results model, or of the related
// model in related mode. A block may end anywhere, also inside a tag, a marker or a UTF-8
// character: the unfinished tail waits for the next block, so every anchor is parsed once.
// Work per block is proportional to the new bytes plus the unfinished tail.
//
// Inputs: the layout of each row (setLayout, or setLayoutSource asked for every row), the
// connection speed text, related mode, the current page and the stop flag.
// Outputs: the rows, resultCount(), totalPages(), responseBuffer() (the text after the last
// anchor consumed), and the signals below. They are emitted at the end of an extract() call (not
// once per row): progressChanged every time, the others when that call changed them. The
// captions follow the grid's rule: the search caption when the results grid had a multiple of
// ten rows before a row was added, the related caption once the related grid holds two rows.
// Not re-entrant: a slot may call extract() (the bytes are appended and parsed by the running
// call) but not beginDocument().
class ResultPageParser final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ResultPageParser)

 public:
  ResultPageParser(ResultTableModel *results, ResultTableModel *related, QObject *parent = nullptr);
  ~ResultPageParser() override;

  void setLayout(ResultLayout layout) { layout_ = layout; }
  void setLayoutSource(std::function<ResultLayout()> source) { layoutSource_ = std::move(source); }
  void setConnectionSpeed(const QString &connectionSpeed);
  void setRelatedMode(bool related) { relatedMode_ = related; }
  bool relatedMode() const { return relatedMode_; }
  void setCurrentPage(int page) { currentPage_ = page; }
  // While set, extract() ignores its blocks and stops between two anchors.
  void setStopRequested(bool stop) { stopRequested_ = stop; }
  bool stopRequested() const { return stopRequested_; }

  // A new document begins: the unparsed text is dropped. Rows, the result count and the total
  // pages stay.
  void beginDocument();
  // Appends a block to the unparsed text and consumes every complete anchor in it.
  void extract(QByteArrayView block);
  // Parses one anchor and writes its row; false when the row was dropped by the speed filter.
  bool AddResultRow(QStringView address, QStringView text);

  int resultCount() const { return resultCount_; }
  void setResultCount(int count) { resultCount_ = count; }
  QString totalPages() const { return totalPages_; }
  QByteArray responseBuffer() const;
  // Bytes of the page held now: what is still needed to cut rows, and at most the latest 1 MB
  // of text after the last anchor.
  qsizetype bufferedBytes() const { return buffer_.size(); }
  // Bytes of the page received since the end of the last anchor that was cut out of it.
  qint64 bytesSinceLastAnchor() const { return received_ - lastAnchorEnd_; }
  int progressMaximum() const { return progressMaximum_; }
  int progressValue() const { return progressValue_; }
  // Anchors that were dropped as malformed (no quoted address, no text, never closed, longer than
  // 64 KB) in this document.
  int malformedAnchors() const { return malformedAnchors_; }

 signals:
  void resultCountChanged(int count);
  void searchCaptionChanged(const QString &caption);   // lblSearch2
  void relatedCaptionChanged(const QString &caption);  // lblADDR
  void totalPagesChanged(const QString &totalPages);
  void browseLabelChanged(const QString &label);  // lblBrowse
  void progressChanged(int maximum, int value);   // progbar

 private:
  ResultLayout currentLayout() const;
  void scanTotalPages();
  void consumeAnchor(qsizetype open, qsizetype close);
  bool addRow(QByteArrayView address, QByteArrayView text);
  void writeRow(ResultTableModel *target, int row, const ResultTableModel::Utf8Cells &cells, int picture);
  int gridRows(const ResultTableModel *model) const;
  void flushRows();
  void compact();
  void publish();

  QPointer<ResultTableModel> results_;
  QPointer<ResultTableModel> related_;
  ResultLayout layout_ = ResultLayout::Live;
  std::function<ResultLayout()> layoutSource_;
  std::optional<int> speedLimit_;  // of the connection speed
  bool relatedMode_ = false;
  int currentPage_ = 0;
  bool stopRequested_ = false;

  QByteArray buffer_;         // the page from the first byte not yet dropped
  qsizetype parsed_ = 0;      // start of the unparsed text in buffer_
  qint64 received_ = 0;       // bytes of the page received
  qint64 lastAnchorEnd_ = 0;  // received_ at the end of the last anchor consumed
  qsizetype scanned_ = 0;     // tags are sought from here on
  qsizetype open_ = -1;       // the latest "A HREF" not yet closed
  int openedAgain_ = 0;       // tags opened again before open_, malformed once a close comes
  qsizetype totalPagesScanned_ = 0;
  qsizetype totalPagesStart_ = -1;  // first byte of the page count, -1 until the marker is seen
  qsizetype breakScanned_ = 0;
  bool totalPagesComplete_ = false;
  ResultRowScratch scratch_;
  StationRecord record_;  // reused from anchor to anchor, like the cells
  ResultTableModel::Utf8Cells cells_;

  ResultTableModel *pendingTarget_ = nullptr;  // the model holding staged rows

  bool extracting_ = false;
  int resultCount_ = 0;
  QString totalPages_;
  bool totalPagesAnnounced_ = false;  // announced for the current document
  // What changed since the last publish().
  bool countChanged_ = false;
  std::optional<int> searchCaption_;
  std::optional<int> relatedCaption_;
  bool totalPagesChanged_ = false;
  int progressMaximum_ = 0;
  int progressValue_ = 0;
  int malformedAnchors_ = 0;
};

}  // namespace tessivar
