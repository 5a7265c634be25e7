#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QTcpServer;
class QTcpSocket;

namespace tessivar::test {

// An HTTP server on 127.0.0.1 inside the test process. Every connection reads one request head
// and then plays the current script: send bytes, pause, hold until release(), close, or reset
// the connection. A script that runs out closes the connection.
class HttpTestServer final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(HttpTestServer)

 public:
  struct Step
  {
    enum class Kind { Send, Pause, Hold, Close, Reset };
    Kind kind = Kind::Close;
    QByteArray bytes;
    int milliseconds = 0;
  };
  using Script = QList<Step>;

  static Step send(const QByteArray &bytes);
  static Step pause(int milliseconds);
  static Step hold();  // waits for release(); without it the connection stalls
  static Step close();
  static Step reset();  // drops the connection with a TCP reset

  // Status line and headers of an answer with Content-Length and "Connection: close".
  static QByteArray head(int status, const QByteArray &reason, qsizetype contentLength,
                         const QByteArray &contentType = QByteArrayLiteral("text/html"));
  // A whole answer sent in one block.
  static Script page(int status, const QByteArray &reason, const QByteArray &body,
                     const QByteArray &contentType = QByteArrayLiteral("text/html"));

  explicit HttpTestServer(QObject *parent = nullptr);
  ~HttpTestServer() override;

  [[nodiscard]] bool listen();
  [[nodiscard]] quint16 port() const;
  [[nodiscard]] QUrl url(const QString &path) const;

  void setScript(const Script &script);
  // Lets every connection waiting at a hold step go on.
  void release();

  // The request heads received so far (request line and header lines, CR LF separated).
  [[nodiscard]] QList<QByteArray> requests() const;
  [[nodiscard]] int openConnections() const;

 signals:
  void requestReceived(const QByteArray &head);
  void released();

 private:
  class Connection;
  void onNewConnection();

  QTcpServer *server_ = nullptr;
  Script script_;
  QList<QByteArray> requests_;
  QList<QPointer<QTcpSocket>> sockets_;
};

}  // namespace tessivar::test
