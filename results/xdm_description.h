#pragma once

#include <QByteArray>
#include <QString>

#include <QCoroTask>

namespace tessivar {

class HttpTransfer;
class TransferState;

namespace xdm {
// A description is read no further than this.
inline constexpr qsizetype maximumSize = 64 * 1024;
// Seconds without any transfer activity after which the fetch is given up.
inline constexpr int idleSeconds = 30;
}  // namespace xdm

// The stream address a ".xdm" description names: the value of its first line (lines end at a
// line feed, vertical tab or carriage return) made of the keyword "STREAM" (any case), "=" or ":"
// (blanks allowed around it) and the address, trimmed, leading "=" removed. Lines naming anything
// else ("[Stream]", "Streams=...") are passed over. Empty when no line names a stream.
QString streamAddressFromDescription(const QByteArray &description);

// Whether a description address may be fetched: an http or https address with a host.
bool isFetchableAddress(const QString &address);

struct DescriptionFetch
{
  QByteArray text;       // what arrived of a successful (2xx) answer, at most xdm::maximumSize
  bool stopped = false;  // StopRequested ended the wait
};

// Fetches a description over the given transfer, watched by its own state (flags and Timer1):
// the wait ends at the document's end, an error, a stop, or xdm::idleSeconds without activity;
// a transfer still running then is cancelled. Nothing is fetched for an address that
// isFetchableAddress refuses. The transfer's proxy is the caller's to set.
QCoro::Task<DescriptionFetch> fetchDescription(HttpTransfer &transfer, TransferState &state, QString address);

}  // namespace tessivar
