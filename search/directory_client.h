#pragma once

#include "platform/http_transfer.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

#include <QCoroTask>

namespace tessivar {

class ResultPageParser;
class ResultTableModel;
class TransferState;

// How a request for a result page ended.
struct PageOutcome
{
  enum class End {
    Arrived,    // the page came to its end
    Stopped,    // a stop was asked for before it had
    Failed,     // the transfer failed, broke off, or the page was given up (see DirectoryClient)
    TakenOver,  // a newer request on the same transfer ended it: like a stop, without one
  };
  End end = End::Arrived;
  int errorNumber = 0;  // Failed: the transfer's error number, -1 when there is none

  bool arrived() const { return end == End::Arrived; }
  // Stopped or taken over: nothing is reported.
  bool stopped() const { return end == End::Stopped || end == End::TakenOver; }
  bool failed() const { return end == End::Failed; }
};

// The client side of the directory's result pages (a search, list all, a browse page, related
// results): requests a page over one HTTP transfer, feeds its blocks to the page parser, which
// cuts them into rows of the results or the related model, and reports how the request ended as
// a value. One request at a time; a stop ends the running one.
//
// A page that runs on for megabytes without a single result is not a result page: it is given up
// like a broken transfer, before it can fill the memory.
class DirectoryClient final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(DirectoryClient)

 public:
  DirectoryClient(HttpTransfer &transfer, ResultTableModel *results, ResultTableModel *related,
                  QObject *parent = nullptr);
  ~DirectoryClient() override;

  // Requests the page at address and returns when it has ended, was stopped or given up; the
  // transfer is idle again then. The parser is not reset: the caller sets its mode and counts
  // first. An outcome of Stopped is also returned when the client went away meanwhile.
  QCoro::Task<PageOutcome> fetchPage(QString address);

  // Ends the running request (its transfer is cancelled) and holds the stop until the next
  // request, for what the caller does after the page (pre-verification).
  void stop();
  bool stopRequested() const;
  // The stop as the waits of pre-verification share it.
  TransferState &stopState() { return *state_; }

  ResultPageParser &parser() { return *parser_; }
  bool isBusy() const;
  // The page text the parser has not consumed yet.
  QString responseBuffer() const;

 private:
  void onDocumentOutput(DocumentState state, const QByteArray &block);
  void end(PageOutcome::End how, int errorNumber = 0);

  QPointer<HttpTransfer> transfer_;
  TransferState *state_ = nullptr;  // the stop, and what wakes the wait for the page
  ResultPageParser *parser_ = nullptr;
  std::optional<PageOutcome> outcome_;  // of the running request, once it has ended
};

}  // namespace tessivar
