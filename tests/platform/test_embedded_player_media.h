#pragma once

// Local media for player tests: an HTTP server on 127.0.0.1 that serves a tone written here.
//   /tone.wav   two seconds of 440 Hz, with its length
//   /live.wav   an endless tone sent as it plays, with "StreamTitle='Test Tone'" every
//               metaInterval bytes when the client asks for ICY metadata
//   /hour.wav   an hour of tone sent as fast as the client takes it, the title "Artist N - Song N"
//               changing every ten seconds of it
//   /silent.wav accepts and never answers
//   /missing    404
//   anything else: the connection is closed without an answer

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtEndian>

#include <cmath>
#include <memory>
#include <numbers>

namespace tessivar::test {

class ToneServer
{
 public:
  // 32-bit float samples: a WAV of plain 16-bit samples would first be read 64 KiB deep to look
  // for S/PDIF data in it, which takes seconds at this rate.
  static constexpr int sampleRate = 8000;
  static constexpr int bytesPerSample = 4;
  static constexpr int bytesPerSecond = sampleRate * bytesPerSample;
  static constexpr int metaInterval = 4000;

  ToneServer()
  {
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
      while (QTcpSocket *socket = server_.nextPendingConnection()) serve(socket);
    });
  }

  bool listen() { return server_.listen(QHostAddress::LocalHost); }
  QString url(const char *path) const
  {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(QLatin1String(path));
  }
  QList<QByteArray> requestLines() const { return requestLines_; }
  // The open live connections end at once.
  void dropAll()
  {
    for (const QPointer<QTcpSocket> &socket : sockets_) {
      if (socket) socket->abort();
    }
  }

  // A mono WAV header; dataBytes 0xFFFFFFFF for a stream without end.
  static QByteArray wavHeader(quint32 dataBytes)
  {
    QByteArray header;
    const auto put = [&header](auto value) {
      header.append(QByteArray(sizeof value, '\0'));
      qToLittleEndian(value, header.end() - sizeof value);
    };
    header += "RIFF";
    put(quint32(dataBytes == 0xFFFFFFFFu ? dataBytes : dataBytes + 36));
    header += "WAVEfmt ";
    put(quint32(16));
    put(quint16(3));  // IEEE float
    put(quint16(1));  // mono
    put(quint32(sampleRate));
    put(quint32(bytesPerSecond));
    put(quint16(bytesPerSample));
    put(quint16(8 * bytesPerSample));
    header += "data";
    put(quint32(dataBytes));
    return header;
  }

  // Samples from sample number `first` on.
  static QByteArray tone(qint64 first, int count)
  {
    QByteArray samples(count * bytesPerSample, Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
      const double t = static_cast<double>(first + i) / sampleRate;
      const auto value = static_cast<float>(0.25 * std::sin(2 * std::numbers::pi * 440 * t));
      qToLittleEndian(value, samples.data() + bytesPerSample * i);
    }
    return samples;
  }

 private:
  struct Live
  {
    qint64 sample = 0;
    qint64 untilMeta = metaInterval;
    bool icy = false;
    // Seconds of audio a title lasts; 0 for the one title "Test Tone".
    int titleSeconds = 0;
  };

  void serve(QTcpSocket *socket)
  {
    sockets_ << socket;
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
      if (buffer->contains("\r\n\r\n")) return;
      *buffer += socket->readAll();
      if (!buffer->contains("\r\n\r\n")) return;
      const QByteArray line = buffer->left(buffer->indexOf("\r\n"));
      requestLines_ << line;
      answer(socket, line, buffer->toLower().contains("icy-metadata: 1"));
    });
  }

  void answer(QTcpSocket *socket, const QByteArray &line, bool icy)
  {
    const QByteArray path = line.split(' ').value(1);
    if (path == "/tone.wav") {
      const QByteArray body = wavHeader(2 * bytesPerSecond) + tone(0, 2 * sampleRate);
      socket->write("HTTP/1.1 200 OK\r\nContent-Type: audio/x-wav\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
      socket->disconnectFromHost();
    } else if (path == "/live.wav") {
      socket->write("HTTP/1.0 200 OK\r\nContent-Type: audio/x-wav\r\nicy-name: Test Tone Radio\r\n" +
                    (icy ? "icy-metaint: " + QByteArray::number(metaInterval) + "\r\n" : QByteArray()) +
                    "\r\n");
      auto live = std::make_shared<Live>();
      live->icy = icy;
      // A second and a half at once (as stream servers send on connecting), then a tenth of a
      // second every tenth of a second.
      send(socket, *live, wavHeader(0xFFFFFFFFu) + tone(0, sampleRate * 3 / 2));
      live->sample = sampleRate * 3 / 2;
      auto *timer = new QTimer(socket);
      QObject::connect(timer, &QTimer::timeout, socket, [this, socket, live] {
        send(socket, *live, tone(live->sample, sampleRate / 10));
        live->sample += sampleRate / 10;
      });
      timer->start(100);
    } else if (path == "/hour.wav") {
      socket->write("HTTP/1.0 200 OK\r\nContent-Type: audio/x-wav\r\n" +
                    (icy ? "icy-metaint: " + QByteArray::number(metaInterval) + "\r\n" : QByteArray()) +
                    "\r\n");
      auto live = std::make_shared<Live>();
      live->icy = icy;
      live->titleSeconds = 10;
      send(socket, *live, wavHeader(0xFFFFFFFFu));
      const QByteArray second = tone(0, sampleRate);
      const auto more = [socket, live, second] {
        // A second at a time while less than that waits to be sent.
        while (socket->bytesToWrite() < bytesPerSecond) {
          if (live->sample >= 3600LL * sampleRate) {
            socket->disconnectFromHost();
            return;
          }
          send(socket, *live, second);
          live->sample += sampleRate;
        }
      };
      QObject::connect(socket, &QTcpSocket::bytesWritten, socket, more);
      more();
    } else if (path == "/silent.wav") {
      // holds the connection open without a word
    } else if (path == "/missing") {
      socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
      socket->disconnectFromHost();
    } else {
      socket->disconnectFromHost();
    }
  }

  // Writes audio bytes, with a metadata block after every metaInterval of them when asked for.
  static void send(QTcpSocket *socket, Live &live, QByteArray audio)
  {
    if (!live.icy) {
      socket->write(audio);
      return;
    }
    while (!audio.isEmpty()) {
      const qsizetype part = std::min<qsizetype>(audio.size(), live.untilMeta);
      socket->write(audio.left(part));
      audio.remove(0, part);
      live.untilMeta -= part;
      if (live.untilMeta == 0) {
        const qint64 n = live.titleSeconds > 0 ? live.sample / (qint64(sampleRate) * live.titleSeconds) : 0;
        QByteArray meta = live.titleSeconds > 0 ? "StreamTitle='Artist " + QByteArray::number(n) +
                                                      " - Song " + QByteArray::number(n) + "';"
                                                : QByteArray("StreamTitle='Test Tone';");
        const qsizetype blocks = (meta.size() + 15) / 16;
        meta.resize(blocks * 16, '\0');
        socket->write(QByteArray(1, static_cast<char>(blocks)) + meta);
        live.untilMeta = metaInterval;
      }
    }
  }

  QTcpServer server_;
  QList<QByteArray> requestLines_;
  QList<QPointer<QTcpSocket>> sockets_;
};

}  // namespace tessivar::test
