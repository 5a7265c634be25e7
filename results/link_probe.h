#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace tessivar::link_probe {

// What a probe found out about one clip link.
enum class ProbeResult { Good = 0, Bad = 1, HostUnreachable = 3 };

// How long a probe waits for the answer's headers.
inline constexpr int timeoutMilliseconds = 60000;
// Redirects a probe follows before it gives the link up as bad.
inline constexpr int maxRedirects = 5;
// Only this many characters of an answer's header block are examined.
inline constexpr qsizetype examinedHeaderCharacters = 2048;
// A header block longer than this is no media server's answer.
inline constexpr qsizetype maxHeaderBlock = 64 * 1024;

// Whether a result's stream URL is probed: its first four characters, upper-cased, are "HTTP".
bool isProbedLink(const QString &url);

// A link made ready for its probe.
struct ProbeTarget
{
  QString address;  // what is requested: the link without a user name or password
  // The server the link lives on, as lower-case host and port ("example.com:80"). A link whose
  // server does not answer takes every queued link with the same key down with it. Empty when
  // the link names no usable server.
  QString hostKey;
  // Set when the link is judged without a request: an address that cannot be parsed, a scheme
  // other than http and https, or a port outside 1-65535.
  std::optional<ProbeResult> settled;
};
ProbeTarget prepareProbe(const QString &url);

// The request header line sent with every probe.
QByteArray rangeHeaderLine();

// What an answer's header block says about the link.
struct HeaderVerdict
{
  ProbeResult result = ProbeResult::Good;
  qint64 contentLength = 0;  // 0 when the answer announces none
  // A redirect to follow (an absolute address), when the answer is one.
  std::optional<QString> redirect;
};
// Judges an answer's header block (status line, header lines) for the link it answered.
// Bad: a web page or a "not found" answer ("HTML" or "NOT FOUND" anywhere in the examined
// headers, any case), an error status (400 and above, except 416: the link exists, only the range
// was refused), a Content-Length that is not a whole number of bytes, no header line at all, or a
// header block longer than maxHeaderBlock.
HeaderVerdict judgeHeaders(QByteArrayView headerBlock, const QString &requestedAddress);

// The result a failed request gives: time-outs, unknown names, refused, reset and garbled
// connections mean the host is unreachable; every other failure makes the link bad.
ProbeResult resultForError(int errorNumber);

// The "BPS" text of a good link whose bit rate was unknown: the size in kilobytes to one
// decimal, followed by "k" ("100k", "146.5k").
QString sizeText(qint64 contentLength);

}  // namespace tessivar::link_probe
