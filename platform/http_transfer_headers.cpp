#include "platform/http_transfer_headers.h"

namespace tessivar {

namespace {

bool isTokenChar(char c)
{
  static constexpr QByteArrayView kSeparators = "()<>@,;:\\\"/[]?={} \t";
  const auto u = static_cast<unsigned char>(c);
  return u > 32 && u < 127 && !kSeparators.contains(c);
}

}  // namespace

std::optional<QList<HeaderLine>> parseHeaderLines(const QByteArray &text)
{
  QList<HeaderLine> result;
  for (QByteArray line : text.split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    if (line.trimmed().isEmpty()) continue;
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0) return std::nullopt;
    const QByteArray name = line.left(colon);
    for (const char c : name) {
      if (!isTokenChar(c)) return std::nullopt;
    }
    const QByteArray value = line.mid(colon + 1).trimmed();
    for (const char c : value) {
      const auto u = static_cast<unsigned char>(c);
      if ((u < 32 && c != '\t') || u == 127) return std::nullopt;
    }
    result.append({name, value});
  }
  return result;
}

QByteArray rawHeaderBlock(int status, const QByteArray &reason, const QList<HeaderLine> &headers, bool http2)
{
  QByteArray block = http2 ? QByteArrayLiteral("HTTP/2 ") : QByteArrayLiteral("HTTP/1.1 ");
  block += QByteArray::number(status);
  if (!reason.isEmpty()) block += ' ' + reason;
  block += "\r\n";
  for (const auto &[name, value] : headers) {
    // Qt joins repeated headers with a line feed (Set-Cookie); give each its own line again.
    for (const QByteArray &part : value.split('\n')) block += name + ": " + part + "\r\n";
  }
  block += "\r\n";
  return block;
}

}  // namespace tessivar
