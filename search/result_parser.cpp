#include "search/result_parser.h"

#include "base/connection_speed.h"
#include "base/number_text.h"
#include "base/number_value.h"
#include "search/result_cells.h"
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
// An anchor longer than this is not a result: it is dropped as malformed.
constexpr qsizetype kAnchorLimit = 64 * 1024;
// Of the text after the last anchor, only this much (the latest) is kept: enough for any error
// page, and a page of endless text cannot fill the memory.
constexpr qsizetype kUnparsedLimit = 1024 * 1024;

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
    const __m128i open =
        _mm_and_si128(_mm_cmpeq_epi8(here, blank), _mm_cmpeq_epi8(_mm_or_si128(next, caseBit), h));
    const __m128i close = _mm_and_si128(_mm_cmpeq_epi8(here, less), _mm_cmpeq_epi8(next, slash));
    const int mask = _mm_movemask_epi8(_mm_or_si128(open, close));
    if (mask) return i + qsizetype(__builtin_ctz(unsigned(mask)));
  }
#endif
  for (; i < last; ++i) {
    if (isTagStart(data + i)) return i;
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
    if (!_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d)))) continue;
    std::uint64_t mask = std::uint64_t(unsigned(_mm_movemask_epi8(a))) |
                         std::uint64_t(unsigned(_mm_movemask_epi8(b))) << 16 |
                         std::uint64_t(unsigned(_mm_movemask_epi8(c))) << 32 |
                         std::uint64_t(unsigned(_mm_movemask_epi8(d))) << 48;
    while (mask) {
      const qsizetype at = i + qsizetype(__builtin_ctzll(mask));
      if (matches(at)) return at;
      mask &= mask - 1;
    }
  }
  for (; i + 16 <= last; i += 16) {
    unsigned mask = unsigned(_mm_movemask_epi8(candidates(i)));
    while (mask) {
      const qsizetype at = i + qsizetype(__builtin_ctz(mask));
      if (matches(at)) return at;
      mask &= mask - 1;
    }
  }
#endif
  for (; i <= last; ++i) {
    if (data[i] == '&' && matches(i)) return i;
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
    if (stops) greaters &= (1u << __builtin_ctz(stops)) - 1;  // only those before the stop
    if (greaters) firstGreater = p + __builtin_ctz(greaters);
    if (stops) return p + __builtin_ctz(stops);
  }
#endif
  for (; p < end; ++p) {
    if (*p == '"' || *p == '<') return p;
    if (*p == '>' && !firstGreater) firstGreater = p;
  }
  return end;
}

QByteArrayView withoutByteOrderMark(QByteArrayView text)
{
  return text.size() >= 3 && text[0] == '\xef' && text[1] == '\xbb' && text[2] == '\xbf' ? text.sliced(3)
                                                                                         : text;
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
  return QStringLiteral("Current Page : (") + QString::number(currentPage) + QStringLiteral(" of ") +
         totalPages + QStringLiteral(")");
}

ResultPageParser::ResultPageParser(ResultTableModel *results, ResultTableModel *related, QObject *parent)
    : QObject(parent), results_(results), related_(related)
{
}

ResultPageParser::~ResultPageParser() = default;

void ResultPageParser::setConnectionSpeed(const QString &connectionSpeed)
{
  speedLimit_ = speedLimit(connectionSpeed);
}

ResultLayout ResultPageParser::currentLayout() const
{
  return layoutSource_ ? layoutSource_() : layout_;
}

void ResultPageParser::beginDocument()
{
  flushRows();
  buffer_.clear();
  parsed_ = 0;
  received_ = 0;
  lastAnchorEnd_ = 0;
  scanned_ = 0;
  open_ = -1;
  openedAgain_ = 0;
  totalPagesScanned_ = 0;
  totalPagesStart_ = -1;
  breakScanned_ = 0;
  totalPagesComplete_ = false;
  totalPagesAnnounced_ = false;
  malformedAnchors_ = 0;
}

QByteArray ResultPageParser::responseBuffer() const
{
  return buffer_.sliced(parsed_);
}

void ResultPageParser::extract(QByteArrayView block)
{
  if (stopRequested_) return;
  if (progressMaximum_ < block.size()) progressMaximum_ = clampToInt(block.size() + 2);
  progressValue_ = clampToInt(block.size());
  buffer_.append(block);
  received_ += block.size();
  if (extracting_) return;  // a slot called us from inside the loop below, which goes on with the new bytes
  extracting_ = true;

  if (progressMaximum_ < buffer_.size() - parsed_)
    progressMaximum_ = clampToInt(buffer_.size() - parsed_ + 1);
  scanTotalPages();

  // One pass over the new bytes finds both kinds of tag. An "A HREF" that opens again before a
  // "</A>" closes it was never closed; a "</A>" with no open tag before it is stray text.
  while (!stopRequested_) {
    const char *data = buffer_.constData();
    const qsizetype size = buffer_.size();
    const qsizetype at = findTagStart(data, scanned_, size - 1);
    if (at < 0) {
      scanned_ = std::max(scanned_, size - 1);
      break;
    }
    if (data[at] == ' ') {
      if (size - at < kOpenLength - 1) {
        scanned_ = at;  // wait for the rest of the tag
        break;
      }
      scanned_ = at + 1;
      // An open tag is "<A HREF" in any letter case; "a href" in a result's text is text.
      if (at < 2 || data[at - 2] != '<' || lower(data[at - 1]) != 'a' || lower(data[at + 2]) != 'r' ||
          lower(data[at + 3]) != 'e' || lower(data[at + 4]) != 'f')
        continue;
      if (open_ >= 0) ++openedAgain_;
      open_ = at - 1;
      continue;
    }
    if (size - at < kCloseLength) {
      scanned_ = at;
      break;
    }
    scanned_ = at + 1;
    if (lower(data[at + 2]) != 'a' || data[at + 3] != '>' || open_ < 0) continue;
    malformedAnchors_ += std::exchange(openedAgain_, 0);
    progressValue_ = clampToInt(size - parsed_);
    consumeAnchor(std::exchange(open_, -1), at);
    parsed_ = at + 1;  // the unparsed text goes on with the closing tag's "/A>"
    lastAnchorEnd_ = received_ - (size - parsed_);
  }

  flushRows();
  compact();
  extracting_ = false;
  publish();
}

void ResultPageParser::consumeAnchor(qsizetype open, qsizetype close)
{
  // Measured as compact() measures an anchor still open at the end of a block, which may hold all
  // of "</A" but the ">": the verdict must not depend on where the blocks were cut.
  if (close + kCloseLength - 1 - open > kAnchorLimit) {
    ++malformedAnchors_;
    return;
  }
  const char *data = buffer_.constData();
  const char *end = data + close;
  // The address's quote usually follows the tag's name at once.
  const char *quote = data + open + kOpenLength;
  for (int step = 0; step < 4 && quote < end && *quote != '"'; ++step) ++quote;
  if (quote == end || *quote != '"') quote = findByte(quote, end, '"');
  if (!quote) {
    ++malformedAnchors_;
    return;
  }
  const char *raw = quote + 1;
  // The address ends at the first '<' or double quote, whichever comes first; the tag at the
  // first '>', which usually follows the address.
  const char *tagEnd = nullptr;
  const char *addressEnd = findAddressEnd(raw, end, tagEnd);
  if (!tagEnd) tagEnd = findByte(addressEnd, end, '>');
  if (!tagEnd || tagEnd + 1 == end || addressEnd == raw) {
    ++malformedAnchors_;
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
  if (!extracting_) publish();
  return added;
}

bool ResultPageParser::addRow(QByteArrayView address, QByteArrayView text)
{
  ResultTableModel *target = relatedMode_ ? related_.data() : results_.data();
  const ResultLayout layout = currentLayout();
  StationRecord &record = record_;
  splitStationRecord(address, text, layout, record);
  if (speedLimit_ && numberValue(record.SpeedText) > *speedLimit_) return false;
  ++resultCount_;
  countChanged_ = true;

  // Captions count the rows before this one is added.
  const int mainRows = gridRows(results_);
  if ((mainRows - 1) % 10 == 0) searchCaption_ = mainRows - 1;
  const int relatedRows = gridRows(related_);
  if (relatedRows > 2) relatedCaption_ = relatedRows - 1;

  const int picture = buildResultCells(record, layout, cells_, scratch_);
  writeRow(target, resultCount_ - 1, cells_, picture);
  return true;
}

int ResultPageParser::gridRows(const ResultTableModel *model) const
{
  if (!model) return 2;
  return clampToInt(std::max<qsizetype>(2, qsizetype(model->rowCount()) + model->stagedRowCount() + 1));
}

void ResultPageParser::writeRow(ResultTableModel *target, int row, const ResultTableModel::Utf8Cells &cells,
                                int picture)
{
  if (!target || row < 0) return;
  if (pendingTarget_ && pendingTarget_ != target) flushRows();
  if (row >= target->rowCount()) pendingTarget_ = target;
  target->writeRow(row, cells, picture);
}

void ResultPageParser::flushRows()
{
  if (pendingTarget_ && (pendingTarget_ == results_.data() || pendingTarget_ == related_.data()))
    pendingTarget_->commitRows();
  pendingTarget_ = nullptr;
}

void ResultPageParser::scanTotalPages()
{
  if (totalPagesStart_ < 0) {
    const qsizetype start = totalPagesScanned_;
    const qsizetype marker = findTotalPagesMarker(buffer_, start);
    if (marker < 0) {
      totalPagesScanned_ = std::max(start, buffer_.size() - (kTotalPagesMarker.size() - 1));
      return;
    }
    totalPagesStart_ = marker + kTotalPagesMarker.size();
    breakScanned_ = totalPagesStart_;
  }
  if (totalPagesComplete_) return;
  const qsizetype brk = QByteArrayView(buffer_).indexOf(kBreak, std::max(totalPagesStart_, breakScanned_));
  // At most kPendingTotalPagesLimit bytes stand for the count, whenever its "<BR>" comes.
  const qsizetype limit = totalPagesStart_ + kPendingTotalPagesLimit;
  qsizetype end = brk;
  if (brk >= 0 && brk <= limit) {
    totalPagesComplete_ = true;
  } else if (buffer_.size() >= limit + kBreak.size()) {  // no "<BR>" can start by the limit any more
    totalPagesComplete_ = true;
    end = limit;
  } else {
    breakScanned_ = std::max(totalPagesStart_, buffer_.size() - (kBreak.size() - 1));
    end = std::min(buffer_.size(), limit);
  }
  QString text = QString::fromUtf8(QByteArrayView(buffer_).sliced(totalPagesStart_, end - totalPagesStart_));
  if (totalPagesAnnounced_ && text == totalPages_) return;
  totalPages_ = std::move(text);
  totalPagesAnnounced_ = true;
  totalPagesChanged_ = true;
}

void ResultPageParser::compact()
{
  // Bytes since the last anchor that no row can come from: an anchor grown past its limit, and
  // unparsed text beyond the latest kUnparsedLimit bytes.
  const qsizetype size = buffer_.size();
  if (open_ >= 0 && size - open_ > kAnchorLimit) {
    malformedAnchors_ += 1 + std::exchange(openedAgain_, 0);  // the tags it opened again were never closed
    open_ = -1;
  }
  if (open_ < 0 && size - parsed_ > kUnparsedLimit) parsed_ = size - kUnparsedLimit;

  qsizetype drop = parsed_;
  if (totalPagesStart_ >= 0 && !totalPagesComplete_) drop = std::min(drop, totalPagesStart_);
  if (drop <= 0 || drop < buffer_.size() / 2) return;
  buffer_.remove(0, drop);
  parsed_ -= drop;
  scanned_ = std::max<qsizetype>(0, scanned_ - drop);
  if (open_ >= 0) open_ -= drop;  // an open tag is never before the unparsed text
  totalPagesScanned_ = std::max<qsizetype>(0, totalPagesScanned_ - drop);
  if (totalPagesStart_ >= 0) {
    if (totalPagesComplete_)
      totalPagesStart_ = 0;  // no longer needed, kept non-negative so the marker is not sought again
    else
      totalPagesStart_ -= drop;
  }
  breakScanned_ = std::max<qsizetype>(0, breakScanned_ - drop);
}

void ResultPageParser::publish()
{
  emit progressChanged(progressMaximum_, progressValue_);
  if (std::exchange(countChanged_, false)) emit resultCountChanged(resultCount_);
  if (const std::optional<int> count = std::exchange(searchCaption_, std::nullopt))
    emit searchCaptionChanged(searchResultsCaption(*count));
  if (const std::optional<int> count = std::exchange(relatedCaption_, std::nullopt))
    emit relatedCaptionChanged(relatedResultsCaption(*count));
  if (std::exchange(totalPagesChanged_, false)) {
    emit totalPagesChanged(totalPages_);
    emit browseLabelChanged(browseLabelText(currentPage_, totalPages_));
  }
}

}  // namespace tessivar
