#include "search/result_parser.h"

#include "search/result_number.h"
#include "search/result_row.h"
#include "search/station_record.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
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

bool isTagStart(const char *p)
{
  return (p[0] == ' ' && lower(p[1]) == 'h') || (p[0] == '<' && p[1] == '/');
}

// First i in [from, last) where a blank is followed by an h or H (the middle of "A HREF") or
// "</" starts (a closing tag); -1 when there is none. Reads data[last].
qsizetype findTagStart(const char *data, qsizetype from, qsizetype last)
{
  qsizetype i = from;
#ifdef __SSE2__
  const __m128i blank = _mm_set1_epi8(' ');
  const __m128i h = _mm_set1_epi8('h');
  const __m128i caseBit = _mm_set1_epi8(0x20);
  const __m128i less = _mm_set1_epi8('<');
  const __m128i slash = _mm_set1_epi8('/');
  for (; i + 16 <= last; i += 16) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i + 1));
    const __m128i open = _mm_and_si128(_mm_cmpeq_epi8(here, blank), _mm_cmpeq_epi8(_mm_or_si128(next, caseBit), h));
    const __m128i close = _mm_and_si128(_mm_cmpeq_epi8(here, less), _mm_cmpeq_epi8(next, slash));
    const int mask = _mm_movemask_epi8(_mm_or_si128(open, close));
    if (mask)
      return i + qsizetype(__builtin_ctz(unsigned(mask)));
  }
#endif
  for (; i < last; ++i) {
    if (isTagStart(data + i))
      return i;
  }
  return -1;
}

// First "&&&&TOTALPAGES:" starting at or after from, -1 when there is none. The marker's "&" and
// "T" four bytes apart are rare enough on a page to look for first.
qsizetype findTotalPagesMarker(QByteArrayView buffer, qsizetype from)
{
  const char *data = buffer.data();
  const qsizetype length = kTotalPagesMarker.size();
  const qsizetype last = buffer.size() - length;  // last possible start
  qsizetype i = from;
  const auto matches = [&](qsizetype at) {
    return std::memcmp(data + at, kTotalPagesMarker.data(), std::size_t(length)) == 0;
  };
#ifdef __SSE2__
  const __m128i amp = _mm_set1_epi8('&');
  const __m128i t = _mm_set1_epi8('T');
  const auto candidates = [&](qsizetype at) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at));
    const __m128i ahead = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at + 4));
    return _mm_and_si128(_mm_cmpeq_epi8(here, amp), _mm_cmpeq_epi8(ahead, t));
  };
  // 64 bytes a round, one test for all of them.
  for (; i + 64 <= last; i += 64) {
    const __m128i a = candidates(i);
    const __m128i b = candidates(i + 16);
    const __m128i c = candidates(i + 32);
    const __m128i d = candidates(i + 48);
    if (!_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))))
      continue;
    std::uint64_t mask = std::uint64_t(unsigned(_mm_movemask_epi8(a)))
        | std::uint64_t(unsigned(_mm_movemask_epi8(b))) << 16 | std::uint64_t(unsigned(_mm_movemask_epi8(c))) << 32
        | std::uint64_t(unsigned(_mm_movemask_epi8(d))) << 48;
    while (mask) {
      const qsizetype at = i + qsizetype(__builtin_ctzll(mask));
      if (matches(at))
        return at;
      mask &= mask - 1;
    }
  }
  for (; i + 16 <= last; i += 16) {
    unsigned mask = unsigned(_mm_movemask_epi8(candidates(i)));
    while (mask) {
      const qsizetype at = i + qsizetype(__builtin_ctz(mask));
      if (matches(at))
        return at;
      mask &= mask - 1;
    }
  }
#endif
  for (; i <= last; ++i) {
    if (data[i] == '&' && matches(i))
      return i;
  }
  return -1;
}

const char *findByte(const char *begin, const char *end, char c)
{
  return begin < end ? static_cast<const char *>(std::memchr(begin, c, std::size_t(end - begin))) : nullptr;
}

// The first '"' or '<' in [begin, end), or end; sets firstGreater to the first '>' before it,
// if there is one.
const char *findAddressEnd(const char *begin, const char *end, const char *&firstGreater)
{
  const char *p = begin;
#ifdef __SSE2__
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i less = _mm_set1_epi8('<');
  const __m128i greater = _mm_set1_epi8('>');
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    const unsigned stops =
        unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, less))));
    unsigned greaters = firstGreater ? 0u : unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, greater)));
    if (stops)
      greaters &= (1u << __builtin_ctz(stops)) - 1;  // only those before the stop
    if (greaters)
      firstGreater = p + __builtin_ctz(greaters);
    if (stops)
      return p + __builtin_ctz(stops);
  }
#endif
  for (; p < end; ++p) {
    if (*p == '"' || *p == '<')
      return p;
    if (*p == '>' && !firstGreater)
      firstGreater = p;
  }
  return end;
}

QByteArrayView withoutByteOrderMark(QByteArrayView text)
{
  return text.size() >= 3 && text[0] == '\xef' && text[1] == '\xbb' && text[2] == '\xbf' ? text.sliced(3) : text;
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

void ResultPageParser::setConnectionSpeed(const QString &connectionSpeed)
{
  m_speedLimit = connectionSpeedLimit(connectionSpeed);
}

ResultLayout ResultPageParser::currentLayout() const
{
  return m_layoutSource ? m_layoutSource() : m_layout;
}

void ResultPageParser::beginDocument()
{
  flushRows();
  m_buffer.clear();
  m_parsed = 0;
  m_scanned = 0;
  m_open = -1;
  m_openedAgain = 0;
  m_totalPagesScanned = 0;
  m_totalPagesStart = -1;
  m_breakScanned = 0;
  m_totalPagesComplete = false;
  m_totalPagesAnnounced = false;
  m_malformedAnchors = 0;
}

QByteArray ResultPageParser::responseBuffer() const
{
  return m_buffer.sliced(m_parsed);
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

  // One pass over the new bytes finds both kinds of tag. An "A HREF" that opens again before a
  // "</A>" closes it was never closed; a "</A>" with no open tag before it is stray text.
  while (!m_stopRequested) {
    const char *data = m_buffer.constData();
    const qsizetype size = m_buffer.size();
    const qsizetype at = findTagStart(data, m_scanned, size - 1);
    if (at < 0) {
      m_scanned = std::max(m_scanned, size - 1);
      break;
    }
    if (data[at] == ' ') {
      if (size - at < kOpenLength - 1) {
        m_scanned = at;  // wait for the rest of the tag
        break;
      }
      m_scanned = at + 1;
      if (at == 0 || lower(data[at - 1]) != 'a' || lower(data[at + 2]) != 'r' || lower(data[at + 3]) != 'e'
          || lower(data[at + 4]) != 'f')
        continue;
      if (m_open >= 0)
        ++m_openedAgain;
      m_open = at - 1;
      continue;
    }
    if (size - at < kCloseLength) {
      m_scanned = at;
      break;
    }
    m_scanned = at + 1;
    if (lower(data[at + 2]) != 'a' || data[at + 3] != '>' || m_open < 0)
      continue;
    m_malformedAnchors += std::exchange(m_openedAgain, 0);
    m_progressValue = clampToInt(size - m_parsed);
    consumeAnchor(std::exchange(m_open, -1), at);
    m_parsed = at + 1;  // the unparsed text goes on with the closing tag's "/A>"
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
  // The address's quote usually follows the tag's name at once.
  const char *quote = data + open + kOpenLength;
  for (int step = 0; step < 4 && quote < end && *quote != '"'; ++step)
    ++quote;
  if (quote == end || *quote != '"')
    quote = findByte(quote, end, '"');
  if (!quote) {
    ++m_malformedAnchors;
    return;
  }
  const char *raw = quote + 1;
  // The address ends at the first '<' or double quote, whichever comes first; the tag at the
  // first '>', which usually follows the address.
  const char *tagEnd = nullptr;
  const char *addressEnd = findAddressEnd(raw, end, tagEnd);
  if (!tagEnd)
    tagEnd = findByte(addressEnd, end, '>');
  if (!tagEnd || tagEnd + 1 == end || addressEnd == raw) {
    ++m_malformedAnchors;
    return;
  }
  // The address and the text are read as two separate UTF-8 texts: a byte order mark at the
  // start of either is not part of it.
  addRow(withoutByteOrderMark(QByteArrayView(raw, addressEnd - raw)),
         withoutByteOrderMark(QByteArrayView(tagEnd + 1, end - (tagEnd + 1))));
}

bool ResultPageParser::AddResultRow(QStringView address, QStringView text)
{
  const bool added = addRow(address.toUtf8(), text.toUtf8());
  flushRows();
  if (!m_extracting)
    publish();
  return added;
}

bool ResultPageParser::addRow(QByteArrayView address, QByteArrayView text)
{
  ResultTableModel *target = m_relatedMode ? m_related.data() : m_results.data();
  const ResultLayout layout = currentLayout();
  StationRecord &record = m_record;
  splitStationRecord(address, text, layout, record);
  if (m_speedLimit && resultNumberValue(record.SpeedText) > *m_speedLimit)
    return false;
  ++m_resultCount;
  m_countChanged = true;

  // Captions count the rows before this one is added.
  const int mainRows = gridRows(m_results);
  if ((mainRows - 1) % 10 == 0)
    m_searchCaption = mainRows - 1;
  const int relatedRows = gridRows(m_related);
  if (relatedRows > 2)
    m_relatedCaption = relatedRows - 1;

  const int picture = buildResultCells(record, layout, m_cells, m_scratch);
  writeRow(target, m_resultCount - 1, m_cells, picture);
  return true;
}

int ResultPageParser::gridRows(const ResultTableModel *model) const
{
  if (!model)
    return 2;
  return clampToInt(std::max<qsizetype>(2, qsizetype(model->rowCount()) + model->stagedRowCount() + 1));
}

void ResultPageParser::writeRow(ResultTableModel *target, int row, const ResultTableModel::Utf8Cells &cells,
                                int picture)
{
  if (!target || row < 0)
    return;
  if (m_pendingTarget && m_pendingTarget != target)
    flushRows();
  if (row >= target->rowCount())
    m_pendingTarget = target;
  target->writeRow(row, cells, picture);
}

void ResultPageParser::flushRows()
{
  if (m_pendingTarget && (m_pendingTarget == m_results.data() || m_pendingTarget == m_related.data()))
    m_pendingTarget->commitRows();
  m_pendingTarget = nullptr;
}

void ResultPageParser::scanTotalPages()
{
  if (m_totalPagesStart < 0) {
    const qsizetype start = m_totalPagesScanned;
    const qsizetype marker = findTotalPagesMarker(m_buffer, start);
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
  m_scanned = std::max<qsizetype>(0, m_scanned - drop);
  if (m_open >= 0)
    m_open -= drop;  // an open tag is never before the unparsed text
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
  if (const std::optional<int> count = std::exchange(m_searchCaption, std::nullopt))
    emit searchCaptionChanged(searchResultsCaption(*count));
  if (const std::optional<int> count = std::exchange(m_relatedCaption, std::nullopt))
    emit relatedCaptionChanged(relatedResultsCaption(*count));
  if (std::exchange(m_totalPagesChanged, false)) {
    emit totalPagesChanged(m_totalPages);
    emit browseLabelChanged(browseLabelText(m_currentPage, m_totalPages));
  }
}

}  // namespace tessivar
