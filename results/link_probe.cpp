#include "results/link_probe.h"

#include "base/number_text.h"
#include "platform/transfer_errors.h"

#include <QUrl>

#include <array>
#include <limits>

namespace tessivar::link_probe {

namespace {

bool isWebScheme(const QString &scheme)
{
  return scheme == QStringLiteral("http") || scheme == QStringLiteral("https");
}

int defaultPort(const QString &scheme)
{
  return scheme == QStringLiteral("https") ? 443 : 80;
}

QByteArrayView trimmed(QByteArrayView text)
{
  while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t')) text = text.sliced(1);
  while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.chop(1);
  return text;
}

// The status code of the block's status line ("HTTP/1.1 404 Not Found"), 0 when there is none.
int statusCode(QByteArrayView block)
{
  if (!block.startsWith("HTTP/")) return 0;
  const qsizetype space = block.indexOf(' ');
  if (space < 0 || block.size() < space + 4) return 0;
  int code = 0;
  for (qsizetype at = space + 1; at < space + 4; ++at) {
    if (block[at] < '0' || block[at] > '9') return 0;
    code = code * 10 + (block[at] - '0');
  }
  return code;
}

// The value of the first header line with the given (lower-case) name among the block's whole
// lines; a line cut off at the end of the block is not read.
std::optional<QByteArrayView> headerValue(QByteArrayView block, QByteArrayView name)
{
  qsizetype start = block.indexOf('\n');  // past the status line
  while (start >= 0 && start + 1 < block.size()) {
    const qsizetype end = block.indexOf('\n', start + 1);
    if (end < 0) break;
    const QByteArrayView line = block.sliced(start + 1, end - start - 1);
    const qsizetype colon = line.indexOf(':');
    if (colon > 0 && trimmed(line.first(colon)).compare(name, Qt::CaseInsensitive) == 0)
      return trimmed(line.sliced(colon + 1));
    start = end;
  }
  return std::nullopt;
}

bool hasHeaderLine(QByteArrayView block)
{
  const qsizetype end = block.indexOf('\n');
  return end >= 0 && end + 1 < block.size() && block[end + 1] != '\r' && block[end + 1] != '\n';
}

// A whole number of bytes: decimal digits only, within 64 bits.
std::optional<qint64> byteCount(QByteArrayView text)
{
  if (text.isEmpty()) return std::nullopt;
  qint64 value = 0;
  for (const char digit : text) {
    if (digit < '0' || digit > '9') return std::nullopt;
    if (value > (std::numeric_limits<qint64>::max() - (digit - '0')) / 10) return std::nullopt;
    value = value * 10 + (digit - '0');
  }
  return value;
}

bool isRedirect(int status)
{
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

bool isProbedLink(const QString &url)
{
  return url.left(4).toUpper() == QStringLiteral("HTTP");
}

ProbeTarget prepareProbe(const QString &url)
{
  ProbeTarget target;
  QUrl parsed(url.trimmed(), QUrl::TolerantMode);
  const QString scheme = parsed.scheme().toLower();
  if (!parsed.isValid() || !isWebScheme(scheme) || parsed.host().isEmpty()) {
    target.settled = ProbeResult::Bad;
    return target;
  }
  const int port = parsed.port(defaultPort(scheme));
  if (port < 1 || port > 65535) {
    target.settled = ProbeResult::Bad;
    return target;
  }
  parsed.setUserInfo(QString());
  target.address = parsed.toString(QUrl::FullyEncoded);
  target.hostKey = parsed.host().toLower() + QLatin1Char(':') + QString::number(port);
  return target;
}

QByteArray rangeHeaderLine()
{
  return QByteArrayLiteral("Range: bytes=1000\r\n");
}

HeaderVerdict judgeHeaders(QByteArrayView headerBlock, const QString &requestedAddress)
{
  const QByteArrayView examined = headerBlock.first(std::min(headerBlock.size(), examinedHeaderCharacters));
  HeaderVerdict verdict;
  if (headerBlock.size() > maxHeaderBlock) {
    verdict.result = ProbeResult::Bad;
    return verdict;
  }
  const int status = statusCode(examined);

  if (isRedirect(status)) {
    if (const auto location = headerValue(examined, "location"); location && !location->isEmpty()) {
      const QUrl target =
          QUrl(requestedAddress).resolved(QUrl(QString::fromUtf8(*location), QUrl::TolerantMode));
      if (target.isValid() && isWebScheme(target.scheme().toLower())) {
        verdict.redirect = target.toString(QUrl::FullyEncoded);
        return verdict;
      }
    }
  }

  const QByteArray upper = examined.toByteArray().toUpper();
  if (upper.contains("HTML") || upper.contains("NOT FOUND")) verdict.result = ProbeResult::Bad;
  if (status == 0 || (status >= 400 && status != 416)) verdict.result = ProbeResult::Bad;
  // A media server names at least its content; the network layer also drops every header of
  // an answer whose header block is beyond its limits.
  if (!hasHeaderLine(examined)) verdict.result = ProbeResult::Bad;
  if (const auto length = headerValue(examined, "content-length")) {
    if (const auto bytes = byteCount(*length))
      verdict.contentLength = *bytes;
    else
      verdict.result = ProbeResult::Bad;
  }
  return verdict;
}

ProbeResult resultForError(int errorNumber)
{
  using namespace transfer_error;
  static constexpr std::array unreachable{TimedOut, NameNotResolved, CannotConnect, ConnectionReset,
                                          InvalidServerResponse};
  for (const int number : unreachable) {
    if (number == errorNumber) return ProbeResult::HostUnreachable;
  }
  return ProbeResult::Bad;
}

QString sizeText(qint64 contentLength)
{
  // Tenths of a kilobyte, rounded half up, in whole numbers so that no size loses precision.
  const qint64 bytes = std::max<qint64>(contentLength, 0);
  const qint64 tenths = bytes / 1024 * 10 + (bytes % 1024 * 10 + 512) / 1024;
  return shortestNumberText(static_cast<double>(tenths) / 10.0) + QLatin1Char('k');
}

}  // namespace tessivar::link_probe
