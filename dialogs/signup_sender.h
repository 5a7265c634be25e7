#pragma once

#include <QObject>
#include <QString>

#include <qcoro/qcorotask.h>

#include <chrono>

class QTimer;

namespace tessivar {

class HttpTransfer;
class TransferFactory;

// Sends the sign-up request on a transfer of its own (HTTP1), through the given proxy, and waits
// for it to end: answered, failed, or given up after the time limit.
class SignupSender final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(SignupSender)

 public:
  enum class Result { Sent, Failed, TimedOut };

  static constexpr std::chrono::milliseconds defaultTimeLimit{30000};

  SignupSender(TransferFactory &transfers, QObject *parent = nullptr);
  ~SignupSender() override;

  void setTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }

  // Requests the address; a blank proxy host sends it directly. Sent when the site answered with
  // a page that is not an error (status below 400).
  QCoro::Task<Result> send(const QString &address);
  // Gives up the request under way (its send() reports Failed).
  void cancel();

  bool isSending() const;
  HttpTransfer &transfer() { return *http_; }

 private:
  HttpTransfer *http_ = nullptr;
  QTimer *limit_ = nullptr;
  std::chrono::milliseconds timeLimit_ = defaultTimeLimit;
  bool timedOut_ = false;
};

}  // namespace tessivar
