#pragma once

#include "platform/http_transfer.h"
#include "results/link_probe.h"

#include <QObject>
#include <QString>

#include <chrono>

class QTimer;

namespace tessivar {

// One link's probe over an HTTP transfer: a GET with the probe's Range line, ended as soon as
// the answer's headers have arrived (the clip itself is never downloaded), redirects followed.
// A probe that has not found its answer within the time-out (redirects included) ends as a time-out:
// the host is unreachable.
class LinkProbeRequest final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(LinkProbeRequest)

 public:
  // The transfer stays the caller's; it must outlive this object.
  LinkProbeRequest(HttpTransfer &transfer, std::chrono::milliseconds timeout, QObject *parent = nullptr);
  ~LinkProbeRequest() override;

  // Starts the probe of an address prepared by link_probe::prepareProbe; finished() follows
  // once, from one of the transfer's events (never from inside start()). A running probe is
  // abandoned first.
  void start(const QString &address);
  // Ends a running probe without a result: no finished() follows.
  void abandon();
  bool isRunning() const { return running_; }

 signals:
  void finished(tessivar::link_probe::ProbeResult result, qint64 contentLength);

 private:
  void request(const QString &address);
  void onHeaders();
  void onFinished(const TransferOutcome &outcome);
  void end(link_probe::ProbeResult result, qint64 contentLength);

  HttpTransfer &transfer_;
  QTimer *deadline_ = nullptr;
  QString address_;
  quint64 transferId_ = 0;  // the transfer this probe waits for; 0 while none
  int redirects_ = 0;
  bool running_ = false;
};

}  // namespace tessivar
