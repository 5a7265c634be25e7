#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>

namespace tessivar {

// The states a document passes through, in this order: Begin and Headers once when the answer's
// headers have arrived, Data once per received block, then either End (once, after the last block)
// or Error (the document broke off after it had begun).
enum class DocumentState { Begin = 1, Headers = 2, Data = 3, Error = 4, End = 5 };

// How a transfer ended. Every request ends in exactly one outcome, reported by finishedAny().
struct TransferOutcome
{
  enum class Kind {
    None,       // no transfer has run yet
    Completed,  // End was delivered (also for 3xx/4xx/5xx answers: their page is the document)
    Failed,     // errorOccurred() was delivered; errorNumber says why (12002 for the time-out)
    Cancelled,  // cancel(), a newer request, or the transfer object went away
  };
  Kind kind = Kind::None;
  int errorNumber = 0;     // non-zero exactly when kind is Failed
  int httpStatus = 0;      // status code of the answer, 0 when none arrived
  quint64 transferId = 0;  // the id requestDocument() returned
};

// An asynchronous HTTP GET that delivers its answer as events on the caller's (UI) thread.
// One object runs one request at a time. The object is idle again before any closing event
// (End, errorOccurred, finishedAny) is delivered, so a handler may start the next request.
class HttpTransfer : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(HttpTransfer)

 public:
  explicit HttpTransfer(QObject *parent = nullptr);
  ~HttpTransfer() override;

  // Starts a GET of an absolute http:// or https:// address and returns at once with the new
  // transfer's id. extraHeaderLines holds further request header lines ("Name: value"), separated
  // by CR LF or LF. A busy object first cancels its running transfer (finishedAny reports it as
  // Cancelled; no other event of the old transfer follows). A bad address, a bad header line or a
  // bad proxy setting fails the new transfer through errorOccurred, never synchronously.
  virtual quint64 requestDocument(const QString &address, const QByteArray &extraHeaderLines = {}) = 0;

  // True from requestDocument() until the transfer's outcome; already false when End,
  // errorOccurred or finishedAny is delivered.
  [[nodiscard]] virtual bool isBusy() const = 0;

  // "Disconnected" when no connection is open, otherwise "Connecting" or "Connected".
  [[nodiscard]] virtual QString connectionStateText() const = 0;
  // "Base" when no transfer is in progress, otherwise "Requesting" or "Receiving".
  [[nodiscard]] virtual QString protocolStateText() const = 0;
  // No transfer in progress: the connection state reads "Disconnected" and the protocol state
  // "Base" exactly then.
  [[nodiscard]] bool isIdle() const;

  // Abandons the running transfer: no further document or error events follow; finishedAny
  // reports Cancelled and stateChanged the return to "Disconnected". Does nothing when idle.
  virtual void cancel() = 0;

  // Time without any progress (headers, data) after which the transfer fails with 12002.
  // Zero (the default) means no time-out.
  virtual void setTimeout(std::chrono::milliseconds timeout) = 0;

  // When false (the default) a redirect answer is delivered like any other page.
  virtual void setFollowRedirects(bool follow) = 0;

  // The answer's status line and header lines, each ending in CR LF, followed by an empty line;
  // empty until headers arrive. Kept after the transfer ended, until the next request.
  [[nodiscard]] virtual QByteArray responseHeaders() const = 0;

  // The outcome of the most recent finished transfer (Kind::None before the first).
  [[nodiscard]] virtual TransferOutcome lastOutcome() const = 0;

 signals:
  // block holds the newly received bytes in state Data and is empty in the other states.
  void documentOutput(tessivar::DocumentState state, const QByteArray &block);
  // A failed connection or transfer; number is one of the numbers in transfer_errors.h.
  void errorOccurred(int number, const QString &details);
  // The connection state text changed.
  void stateChanged();
  // Delivered last for every transfer, whatever ended it.
  void finishedAny(tessivar::TransferOutcome outcome);
};

}  // namespace tessivar

Q_DECLARE_METATYPE(tessivar::TransferOutcome)
