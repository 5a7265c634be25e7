#pragma once

#include "results/result_table_model.h"
#include "search/result_layout.h"
#include "search/result_row.h"
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

  void setLayout(ResultLayout layout) { m_layout = layout; }
  void setLayoutSource(std::function<ResultLayout()> source) { m_layoutSource = std::move(source); }
  void setConnectionSpeed(const QString &connectionSpeed);
  void setRelatedMode(bool related) { m_relatedMode = related; }
  bool relatedMode() const { return m_relatedMode; }
  void setCurrentPage(int page) { m_currentPage = page; }
  // While set, extract() ignores its blocks and stops between two anchors.
  void setStopRequested(bool stop) { m_stopRequested = stop; }
  bool stopRequested() const { return m_stopRequested; }

  // A new document begins: the unparsed text is dropped. Rows, the result count and the total
  // pages stay.
  void beginDocument();
  // Appends a block to the unparsed text and consumes every complete anchor in it.
  void extract(QByteArrayView block);
  // Parses one anchor and writes its row; false when the row was dropped by the speed filter.
  bool AddResultRow(QStringView address, QStringView text);

  int resultCount() const { return m_resultCount; }
  void setResultCount(int count) { m_resultCount = count; }
  QString totalPages() const { return m_totalPages; }
  QByteArray responseBuffer() const;
  int progressMaximum() const { return m_progressMaximum; }
  int progressValue() const { return m_progressValue; }
  // Anchors that were dropped as malformed (no quoted address, no text, never closed) in this
  // document.
  int malformedAnchors() const { return m_malformedAnchors; }

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

  QPointer<ResultTableModel> m_results;
  QPointer<ResultTableModel> m_related;
  ResultLayout m_layout = ResultLayout::Live;
  std::function<ResultLayout()> m_layoutSource;
  std::optional<double> m_speedLimit;  // of the connection speed
  bool m_relatedMode = false;
  int m_currentPage = 0;
  bool m_stopRequested = false;

  QByteArray m_buffer;  // the page from the first byte not yet dropped
  qsizetype m_parsed = 0;  // start of the unparsed text in m_buffer
  qsizetype m_scanned = 0;  // tags are sought from here on
  qsizetype m_open = -1;  // the latest "A HREF" not yet closed
  int m_openedAgain = 0;  // tags opened again before m_open, malformed once a close comes
  qsizetype m_totalPagesScanned = 0;
  qsizetype m_totalPagesStart = -1;  // first byte of the page count, -1 until the marker is seen
  qsizetype m_breakScanned = 0;
  bool m_totalPagesComplete = false;
  ResultRowScratch m_scratch;
  StationRecord m_record;  // reused from anchor to anchor, like the cells
  ResultTableModel::Utf8Cells m_cells;

  ResultTableModel *m_pendingTarget = nullptr;  // the model holding staged rows

  bool m_extracting = false;
  int m_resultCount = 0;
  QString m_totalPages;
  bool m_totalPagesAnnounced = false;  // announced for the current document
  // What changed since the last publish().
  bool m_countChanged = false;
  std::optional<int> m_searchCaption;
  std::optional<int> m_relatedCaption;
  bool m_totalPagesChanged = false;
  int m_progressMaximum = 0;
  int m_progressValue = 0;
  int m_malformedAnchors = 0;
};

}  // namespace tessivar
