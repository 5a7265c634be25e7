#include "support/http_test_server.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace tessivar::test {

// Plays the script on one accepted socket, step by step from the event loop.
class HttpTestServer::Connection final : public QObject {
public:
  Connection(HttpTestServer *server, QTcpSocket *socket, Script script)
      : QObject(socket), m_server(server), m_socket(socket), m_script(std::move(script))
  {
    connect(socket, &QTcpSocket::readyRead, this, [this] { onReadyRead(); });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  }

private:
  void onReadyRead()
  {
    m_buffer += m_socket->readAll();
    if (m_started)
      return;
    const qsizetype end = m_buffer.indexOf("\r\n\r\n");
    if (end < 0)
      return;
    m_started = true;
    const QByteArray head = m_buffer.left(end);
    m_server->m_requests.append(head);
    emit m_server->requestReceived(head);
    next();
  }

  void next()
  {
    if (m_socket->state() != QAbstractSocket::ConnectedState)
      return;
    if (m_step >= m_script.size()) {
      m_socket->disconnectFromHost();
      return;
    }
    const Step step = m_script.at(m_step++);
    switch (step.kind) {
    case Step::Kind::Send:
      m_socket->write(step.bytes);
      m_socket->flush();
      QTimer::singleShot(0, this, [this] { next(); });
      break;
    case Step::Kind::Pause: QTimer::singleShot(step.milliseconds, this, [this] { next(); }); break;
    case Step::Kind::Hold:
      connect(m_server, &HttpTestServer::released, this, [this] {
        disconnect(m_server, &HttpTestServer::released, this, nullptr);
        next();
      });
      break;
    case Step::Kind::Close: m_socket->disconnectFromHost(); break;
    case Step::Kind::Reset: {
      // A zero linger time makes the close send a reset instead of a normal end.
      m_socket->flush();
      const linger hard{1, 0};
      ::setsockopt(static_cast<int>(m_socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
      m_socket->abort();
      break;
    }
    }
  }

  HttpTestServer *m_server;
  QTcpSocket *m_socket;
  Script m_script;
  QByteArray m_buffer;
  qsizetype m_step = 0;
  bool m_started = false;
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

HttpTestServer::HttpTestServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
  connect(m_server, &QTcpServer::newConnection, this, &HttpTestServer::onNewConnection);
}

HttpTestServer::~HttpTestServer() = default;

bool HttpTestServer::listen()
{
  return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 HttpTestServer::port() const
{
  return m_server->serverPort();
}

QUrl HttpTestServer::url(const QString &path) const
{
  return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

void HttpTestServer::setScript(const Script &script)
{
  m_script = script;
}

void HttpTestServer::release()
{
  emit released();
}

QList<QByteArray> HttpTestServer::requests() const
{
  return m_requests;
}

int HttpTestServer::openConnections() const
{
  int open = 0;
  for (const auto &socket : m_sockets) {
    if (socket && socket->state() == QAbstractSocket::ConnectedState)
      ++open;
  }
  return open;
}

void HttpTestServer::onNewConnection()
{
  while (QTcpSocket *socket = m_server->nextPendingConnection()) {
    m_sockets.append(socket);
    new Connection(this, socket, m_script);
  }
}

}  // namespace tessivar::test
