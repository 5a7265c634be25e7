#include "support/proxy_fixture.h"

#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <unistd.h>

namespace tessivar::test {

ProxyFixture::ProxyFixture() = default;

ProxyFixture::~ProxyFixture()
{
  stop();
}

quint16 ProxyFixture::freePort()
{
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  return probe.serverPort();
}

bool ProxyFixture::start()
{
  const QString program = QStandardPaths::findExecutable(
      QStringLiteral("tinyproxy"), {QStringLiteral("/usr/bin"), QStringLiteral("/usr/sbin")});
  if (program.isEmpty()) {
    error_ = QStringLiteral("tinyproxy is not installed");
    return false;
  }
  port_ = freePort();
  if (!dir_.isValid() || port_ == 0) {
    error_ = QStringLiteral("no temporary folder or free port");
    return false;
  }

  // As root tinyproxy insists on changing to an unprivileged user.
  QByteArray config = "Port " + QByteArray::number(port_) +
                      "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\nAllow 127.0.0.1\nViaProxyName \"" +
                      viaName() + "\"\nLogLevel Info\n";
  if (::geteuid() == 0) config += "User nobody\nGroup nogroup\n";
  const QString configPath = dir_.filePath(QStringLiteral("tinyproxy.conf"));
  QFile file(configPath);
  if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size()) {
    error_ = QStringLiteral("cannot write %1").arg(configPath);
    return false;
  }
  file.close();

  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.start(program, {QStringLiteral("-d"), QStringLiteral("-c"), configPath});
  if (!process_.waitForStarted(5000)) {
    error_ = QStringLiteral("tinyproxy did not start: %1").arg(process_.errorString());
    return false;
  }
  const bool listening = QTest::qWaitFor(
      [this] {
        if (process_.state() != QProcess::Running) return true;
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port_);
        return socket.waitForConnected(200);
      },
      10000);
  if (!listening || process_.state() != QProcess::Running) {
    error_ = QStringLiteral("tinyproxy did not come up: %1").arg(QString::fromUtf8(log()));
    stop();
    return false;
  }
  return true;
}

void ProxyFixture::stop()
{
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(3000)) {
    process_.kill();
    process_.waitForFinished(3000);
  }
}

QByteArray ProxyFixture::log()
{
  log_ += process_.readAll();
  return log_;
}

}  // namespace tessivar::test
