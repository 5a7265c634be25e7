#pragma once

// Local stream hosts for the stream checker's tests, answering by path (a query aside) from a thread
// of their own (the probes block the thread that runs them), and counting the requests for each
// target:
//   /good      an ICY audio stream that keeps its connection open
//   /sniffed   audio bytes under application/octet-stream
//   /missing   404
//   /page      a web page
//   /list.pls  a playlist of /good; /deep.pls a playlist of /list.pls
//   /hop/N     N redirects, then /good
//   /silent    accepts and never answers

#include <QByteArray>
#include <QEventLoop>
#include <QHostAddress>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <memory>
#include <string>

namespace tessivar::test {

class StreamHosts
{
 public:
  StreamHosts()
  {
    QSemaphore ready;
    thread_.reset(QThread::create([this, &ready] {
      QTcpServer server;
      server.listen(QHostAddress::LocalHost);
      port_ = server.serverPort();
      QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, this] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
          QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, this] {
            const QByteArray target = socket->readAll().split(' ').value(1);
            {
              const QMutexLocker lock(&mutex_);
              ++requests_[target];
            }
            answer(socket, target.split('?').value(0));
          });
        }
      });
      QEventLoop loop;
      loop_ = &loop;
      ready.release();
      loop.exec();
    }));
    thread_->start();
    ready.acquire();
  }
  ~StreamHosts()
  {
    QMetaObject::invokeMethod(loop_, &QEventLoop::quit, Qt::QueuedConnection);
    thread_->wait();
  }
  std::string url(const std::string &path) const
  {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  // Requests so far, by target ("/good?n=3").
  QMap<QByteArray, int> requests() const
  {
    const QMutexLocker lock(&mutex_);
    return requests_;
  }

 private:
  void answer(QTcpSocket *socket, const QByteArray &path) const
  {
    const QByteArray mp3("\xFF\xFB\x90\x64\x00\x00\x00\x00", 8);
    if (path == "/good") {
      socket->write(
          "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: Good FM\r\nicy-br: 128\r\n"
          "icy-genre: Jazz\r\n\r\n" +
          mp3.repeated(64));
    } else if (path == "/sniffed") {
      socket->write(
          "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: 512\r\n\r\n" +
          mp3.repeated(64));
    } else if (path == "/missing") {
      socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    } else if (path == "/page") {
      socket->write(
          "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
          "27\r\n\r\n<html><body>Hi</body></html>");
    } else if (path == "/list.pls") {
      const QByteArray body =
          "[playlist]\nNumberOfEntries=1\nFile1=" + QByteArray::fromStdString(url("/good")) + "\n";
      socket->write("HTTP/1.1 200 OK\r\nContent-Type: audio/x-scpls\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\n\r\n" + body);
    } else if (path == "/deep.pls") {
      const QByteArray body = "[playlist]\nFile1=" + QByteArray::fromStdString(url("/list.pls")) + "\n";
      socket->write("HTTP/1.1 200 OK\r\nContent-Type: audio/x-scpls\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\n\r\n" + body);
    } else if (path.startsWith("/hop/")) {
      const int left = path.mid(5).toInt();
      socket->write("HTTP/1.1 302 Found\r\nContent-Length: 0\r\nLocation: " +
                    (left > 0 ? "/hop/" + QByteArray::number(left - 1) : QByteArray("/good")) + "\r\n\r\n");
    } else if (path == "/silent") {
      return;  // never a word
    }
    socket->flush();
  }

  std::unique_ptr<QThread> thread_;
  QEventLoop *loop_ = nullptr;
  quint16 port_ = 0;
  mutable QMutex mutex_;
  QMap<QByteArray, int> requests_;
};

}  // namespace tessivar::test
