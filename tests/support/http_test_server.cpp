#include "support/http_test_server.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace tessivar::test {

// Plays the script on one accepted socket, step by step from the event loop.
class HttpTestServer::Connection final : public QObject
{
 public:
  Connection(HttpTestServer *server, QTcpSocket *socket, Script script)
      : QObject(socket), server_(server), socket_(socket), script_(std::move(script))
  {
    connect(socket, &QTcpSocket::readyRead, this, [this] { onReadyRead(); });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  }

 private:
  void onReadyRead()
  {
    buffer_ += socket_->readAll();
    if (started_) return;
    const qsizetype end = buffer_.indexOf("\r\n\r\n");
    if (end < 0) return;
    started_ = true;
    const QByteArray head = buffer_.left(end);
    server_->requests_.append(head);
    emit server_->requestReceived(head);
    next();
  }

  void next()
  {
    if (socket_->state() != QAbstractSocket::ConnectedState) return;
    if (step_ >= script_.size()) {
      socket_->disconnectFromHost();
      return;
    }
    const Step step = script_.at(step_++);
    switch (step.kind) {
      case Step::Kind::Send:
        socket_->write(step.bytes);
        socket_->flush();
        QTimer::singleShot(0, this, [this] { next(); });
        break;
      case Step::Kind::Pause:
        QTimer::singleShot(step.milliseconds, this, [this] { next(); });
        break;
      case Step::Kind::Hold:
        connect(server_, &HttpTestServer::released, this, [this] {
          disconnect(server_, &HttpTestServer::released, this, nullptr);
          next();
        });
        break;
      case Step::Kind::Close:
        socket_->disconnectFromHost();
        break;
      case Step::Kind::Reset: {
        // A zero linger time makes the close send a reset instead of a normal end.
        socket_->flush();
        const linger hard{1, 0};
        ::setsockopt(static_cast<int>(socket_->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                     sizeof hard);
        socket_->abort();
        break;
      }
    }
  }

  HttpTestServer *server_;
  QTcpSocket *socket_;
  Script script_;
  QByteArray buffer_;
  qsizetype step_ = 0;
  bool started_ = false;
};

HttpTestServer::Step HttpTestServer::send(const QByteArray &bytes)
{
  return {Step::Kind::Send, bytes, 0};
}

HttpTestServer::Step HttpTestServer::pause(int milliseconds)
{
  return {Step::Kind::Pause, {}, milliseconds};
}

HttpTestServer::Step HttpTestServer::hold()
{
  return {Step::Kind::Hold, {}, 0};
}

HttpTestServer::Step HttpTestServer::close()
{
  return {Step::Kind::Close, {}, 0};
}

HttpTestServer::Step HttpTestServer::reset()
{
  return {Step::Kind::Reset, {}, 0};
}

QByteArray HttpTestServer::head(int status, const QByteArray &reason, qsizetype contentLength,
                                const QByteArray &contentType)
{
  return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\nContent-Type: " + contentType +
         "\r\nContent-Length: " + QByteArray::number(contentLength) + "\r\nConnection: close\r\n\r\n";
}

HttpTestServer::Script HttpTestServer::page(int status, const QByteArray &reason, const QByteArray &body,
                                            const QByteArray &contentType)
{
  return {send(head(status, reason, body.size(), contentType) + body)};
}

HttpTestServer::HttpTestServer(QObject *parent) : QObject(parent), server_(new QTcpServer(this))
{
  connect(server_, &QTcpServer::newConnection, this, &HttpTestServer::onNewConnection);
}

HttpTestServer::~HttpTestServer() = default;

bool HttpTestServer::listen()
{
  return server_->listen(QHostAddress::LocalHost, 0);
}

quint16 HttpTestServer::port() const
{
  return server_->serverPort();
}

QUrl HttpTestServer::url(const QString &path) const
{
  return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

void HttpTestServer::setScript(const Script &script)
{
  script_ = script;
}

void HttpTestServer::release()
{
  emit released();
}

QList<QByteArray> HttpTestServer::requests() const
{
  return requests_;
}

int HttpTestServer::openConnections() const
{
  int open = 0;
  for (const auto &socket : sockets_) {
    if (socket && socket->state() == QAbstractSocket::ConnectedState) ++open;
  }
  return open;
}

void HttpTestServer::onNewConnection()
{
  while (QTcpSocket *socket = server_->nextPendingConnection()) {
    sockets_.append(socket);
    new Connection(this, socket, script_);
  }
}

}  // namespace tessivar::test
