#include "search/result_parser.h"

#include "search/result_row.h"
#include "search/station_record.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

namespace tessivar {

namespace {

constexpr QByteArrayView kTotalPagesMarker = "&&&&TOTALPAGES:";
constexpr QByteArrayView kBreak = "<BR>";
constexpr qsizetype kOpenLength = 6;   // "A HREF"
constexpr qsizetype kCloseLength = 4;  // "</A>"
// While the "<BR>" after the page count has not arrived, at most this much of the text after the
// marker stands for the count.
constexpr qsizetype kPendingTotalPagesLimit = 64;

char lower(char c)
{
  return char(c | 0x20);
}

int clampToInt(qsizetype value)
{
  return int(std::min<qsizetype>(value, INT_MAX));
}

// First "A HREF" (any letter case) starting at or after from.
qsizetype scanOpen(const QByteArray &buffer, qsizetype from)
{
  const char *data = buffer.constData();
  const qsizetype last = buffer.size() - 5;  // last position of the blank
  qsizetype i = from + 1;
  while (i <= last) {
    const void *hit = std::memchr(data + i, ' ', std::size_t(last - i + 1));
    if (!hit)
      return -1;
    const qsizetype j = static_cast<const char *>(hit) - data;
    if (lower(data[j - 1]) == 'a' && lower(data[j + 1]) == 'h' && lower(data[j + 2]) == 'r'
        && lower(data[j + 3]) == 'e' && lower(data[j + 4]) == 'f')
      return j - 1;
    i = j + 1;
  }
  return -1;
}

// First "</A>" (any letter case) starting at or after from.
qsizetype scanClose(const QByteArray &buffer, qsizetype from)
{
  const char *data = buffer.constData();
  const qsizetype last = buffer.size() - kCloseLength;
  qsizetype i = from;
  while (i <= last) {
    const void *hit = std::memchr(data + i, '<', std::size_t(last - i + 1));
    if (!hit)
      return -1;
    const qsizetype j = static_cast<const char *>(hit) - data;
    if (data[j + 1] == '/' && lower(data[j + 2]) == 'a' && data[j + 3] == '>')
      return j;
    i = j + 1;
  }
  return -1;
}

const char *findByte(const char *begin, const char *end, char c)
{
  return begin < end ? static_cast<const char *>(std::memchr(begin, c, std::size_t(end - begin))) : nullptr;
}

}  // namespace

QString searchResultsCaption(int count)
{
  return QStringLiteral("  Search Results (%1)").arg(count);
}

QString relatedResultsCaption(int count)
{
  return QStringLiteral("  Addtional Related Results (%1)").arg(count);
}

QString browseLabelText(int currentPage, const QString &totalPages)
{
  return QStringLiteral("Current Page : (") + QString::number(currentPage) + QStringLiteral(" of ") + totalPages
      + QStringLiteral(")");
}

ResultPageParser::ResultPageParser(ResultTableModel *results, ResultTableModel *related, QObject *parent)
    : QObject(parent), m_results(results), m_related(related)
{
}

ResultPageParser::~ResultPageParser() = default;

ResultLayout ResultPageParser::currentLayout() const
{
  return m_layoutSource ? m_layoutSource() : m_layout;
}

void ResultPageParser::beginDocument()
{
  m_buffer.clear();
  m_parsed = 0;
  m_open = {};
  m_close = {};
  m_totalPagesScanned = 0;
  m_totalPagesStart = -1;
  m_breakScanned = 0;
  m_totalPagesComplete = false;
  m_totalPagesAnnounced = false;
  m_pending.clear();
  m_pendingTarget = nullptr;
  m_malformedAnchors = 0;
}

QByteArray ResultPageParser::responseBuffer() const
{
  return m_buffer.sliced(m_parsed);
}

qsizetype ResultPageParser::findOpen(qsizetype from)
{
  if (m_open.found >= from)
    return m_open.found;
  const qsizetype start = std::max(from, m_open.scannedTo);
  m_open.found = scanOpen(m_buffer, start);
  m_open.scannedTo = m_open.found >= 0 ? m_open.found : std::max(start, m_buffer.size() - (kOpenLength - 1));
  return m_open.found;
}

qsizetype ResultPageParser::findClose(qsizetype from)
{
  if (m_close.found >= from)
    return m_close.found;
  const qsizetype start = std::max(from, m_close.scannedTo);
  m_close.found = scanClose(m_buffer, start);
  m_close.scannedTo = m_close.found >= 0 ? m_close.found : std::max(start, m_buffer.size() - (kCloseLength - 1));
  return m_close.found;
}

void ResultPageParser::extract(QByteArrayView block)
{
  if (m_stopRequested)
    return;
  if (m_progressMaximum < block.size())
    m_progressMaximum = clampToInt(block.size() + 2);
  m_progressValue = clampToInt(block.size());
  m_buffer.append(block);
  if (m_extracting)
    return;  // a slot called us from inside the loop below, which goes on with the new bytes
  m_extracting = true;

  if (m_progressMaximum < m_buffer.size() - m_parsed)
    m_progressMaximum = clampToInt(m_buffer.size() - m_parsed + 1);
  scanTotalPages();

  while (!m_stopRequested) {
    qsizetype open = findOpen(m_parsed);
    if (open < 0)
      break;
    const qsizetype close = findClose(open + kOpenLength);
    if (close < 0)
      break;
    // An anchor that opens again before it closes: the earlier tag was never closed.
    for (qsizetype next = findOpen(open + kOpenLength); next >= 0 && next < close;
         next = findOpen(open + kOpenLength)) {
      ++m_malformedAnchors;
      open = next;
    }
    m_progressValue = clampToInt(m_buffer.size() - m_parsed);
    consumeAnchor(open, close);
    m_parsed = close + 1;  // the unparsed text goes on with the closing tag's "/A>"
  }

  flushRows();
  compact();
  m_extracting = false;
  publish();
}

void ResultPageParser::consumeAnchor(qsizetype open, qsizetype close)
{
  const char *data = m_buffer.constData();
  const char *end = data + close;
  const char *quote = findByte(data + open + kOpenLength, end, '"');
  if (!quote) {
    ++m_malformedAnchors;
    return;
  }
  const char *raw = quote + 1;
  const char *tagEnd = findByte(raw, end, '>');
  const char *addressEnd = findByte(raw, end, '<');
  if (!addressEnd)
    addressEnd = end;
  if (const char *addressQuote = findByte(raw, addressEnd, '"'))
    addressEnd = addressQuote;
  if (!tagEnd || tagEnd + 1 == end || addressEnd == raw) {
    ++m_malformedAnchors;
    return;
  }
  const QByteArrayView address(raw, addressEnd - raw);
  const QByteArrayView text(tagEnd + 1, end - (tagEnd + 1));

  const qsizetype needed = m_decoder.requiredSpace(address.size()) + m_decoder.requiredSpace(text.size());
  if (m_scratch.capacity() < needed)
    m_scratch.reserve(needed * 2);
  m_scratch.resize(needed);
  QChar *begin = m_scratch.data();
  QChar *addressOut = m_decoder.appendToBuffer(begin, address);
  QChar *textOut = m_decoder.appendToBuffer(addressOut, text);
  addRow(QStringView(begin, addressOut), QStringView(addressOut, textOut));
}

bool ResultPageParser::AddResultRow(QStringView address, QStringView text)
{
  const bool added = addRow(address, text);
  flushRows();
  if (!m_extracting)
    publish();
  return added;
}

bool ResultPageParser::addRow(QStringView address, QStringView text)
{
  ResultTableModel *target = m_relatedMode ? m_related.data() : m_results.data();
  const ResultLayout layout = currentLayout();
  const StationRecord record = splitStationRecord(address, text, layout);
  if (exceedsConnectionSpeed(record.SpeedText, m_connectionSpeed))
    return false;
  ++m_resultCount;
  m_countChanged = true;

  // Captions count the rows before this one is added.
  const int mainRows = gridRows(m_results);
  if ((mainRows - 1) % 10 == 0)
    m_searchCaption = searchResultsCaption(mainRows - 1);
  const int relatedRows = gridRows(m_related);
  if (relatedRows > 2)
    m_relatedCaption = relatedResultsCaption(relatedRows - 1);

  writeRow(target, m_resultCount - 1, buildResultRow(record, layout));
  return true;
}

int ResultPageParser::gridRows(const ResultTableModel *model) const
{
  if (!model)
    return 2;
  const qsizetype pending = model == m_pendingTarget ? qsizetype(m_pending.size()) : 0;
  return clampToInt(std::max<qsizetype>(2, model->rowCount() + pending + 1));
}

void ResultPageParser::writeRow(ResultTableModel *target, int row, ResultTableModel::Row data)
{
  if (!target || row < 0)
    return;
  if (m_pendingTarget && m_pendingTarget != target)
    flushRows();
  if (row < target->rowCount()) {
    target->setRow(row, std::move(data));
    return;
  }
  const std::size_t slot = std::size_t(row - target->rowCount());
  m_pendingTarget = target;
  if (slot < m_pending.size()) {
    m_pending[slot] = std::move(data);
    return;
  }
  m_pending.resize(slot);
  m_pending.push_back(std::move(data));
}

void ResultPageParser::flushRows()
{
  if (m_pendingTarget && !m_pending.empty()
      && (m_pendingTarget == m_results.data() || m_pendingTarget == m_related.data()))
    m_pendingTarget->appendRows(std::move(m_pending));
  m_pending.clear();
  m_pendingTarget = nullptr;
}

void ResultPageParser::scanTotalPages()
{
  if (m_totalPagesStart < 0) {
    const qsizetype start = m_totalPagesScanned;
    const qsizetype marker = QByteArrayView(m_buffer).indexOf(kTotalPagesMarker, start);
    if (marker < 0) {
      m_totalPagesScanned = std::max(start, m_buffer.size() - (kTotalPagesMarker.size() - 1));
      return;
    }
    m_totalPagesStart = marker + kTotalPagesMarker.size();
    m_breakScanned = m_totalPagesStart;
  }
  if (m_totalPagesComplete)
    return;
  const qsizetype brk = QByteArrayView(m_buffer).indexOf(kBreak, std::max(m_totalPagesStart, m_breakScanned));
  qsizetype end = brk;
  if (brk >= 0) {
    m_totalPagesComplete = true;
  } else {
    m_breakScanned = std::max(m_totalPagesStart, m_buffer.size() - (kBreak.size() - 1));
    end = std::min(m_buffer.size(), m_totalPagesStart + kPendingTotalPagesLimit);
  }
  QString text = QString::fromUtf8(QByteArrayView(m_buffer).sliced(m_totalPagesStart, end - m_totalPagesStart));
  if (m_totalPagesAnnounced && text == m_totalPages)
    return;
  m_totalPages = std::move(text);
  m_totalPagesAnnounced = true;
  m_totalPagesChanged = true;
}

void ResultPageParser::compact()
{
  qsizetype drop = m_parsed;
  if (m_totalPagesStart >= 0 && !m_totalPagesComplete)
    drop = std::min(drop, m_totalPagesStart);
  if (drop <= 0 || drop < m_buffer.size() / 2)
    return;
  m_buffer.remove(0, drop);
  m_parsed -= drop;
  for (Finder *finder : {&m_open, &m_close}) {
    finder->found = finder->found >= drop ? finder->found - drop : -1;
    finder->scannedTo = std::max<qsizetype>(0, finder->scannedTo - drop);
  }
  m_totalPagesScanned = std::max<qsizetype>(0, m_totalPagesScanned - drop);
  if (m_totalPagesStart >= 0) {
    if (m_totalPagesComplete)
      m_totalPagesStart = 0;  // no longer needed, kept non-negative so the marker is not sought again
    else
      m_totalPagesStart -= drop;
  }
  m_breakScanned = std::max<qsizetype>(0, m_breakScanned - drop);
}

void ResultPageParser::publish()
{
  emit progressChanged(m_progressMaximum, m_progressValue);
  if (std::exchange(m_countChanged, false))
    emit resultCountChanged(m_resultCount);
  if (const std::optional<QString> caption = std::exchange(m_searchCaption, std::nullopt))
    emit searchCaptionChanged(*caption);
  if (const std::optional<QString> caption = std::exchange(m_relatedCaption, std::nullopt))
    emit relatedCaptionChanged(*caption);
  if (std::exchange(m_totalPagesChanged, false)) {
    emit totalPagesChanged(m_totalPages);
    emit browseLabelChanged(browseLabelText(m_currentPage, m_totalPages));
  }
}

}  // namespace tessivar
