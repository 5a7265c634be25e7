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
  if (!probe.listen(QHostAddress::LocalHost, 0))
    return 0;
  return probe.serverPort();
}

bool ProxyFixture::start()
{
  const QString program = QStandardPaths::findExecutable(QStringLiteral("tinyproxy"),
                                                         {QStringLiteral("/usr/bin"), QStringLiteral("/usr/sbin")});
  if (program.isEmpty()) {
    m_error = QStringLiteral("tinyproxy is not installed");
    return false;
  }
  m_port = freePort();
  if (!m_dir.isValid() || m_port == 0) {
    m_error = QStringLiteral("no temporary folder or free port");
    return false;
  }

  // As root tinyproxy insists on changing to an unprivileged user.
  QByteArray config = "Port " + QByteArray::number(m_port) +
                      "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\nAllow 127.0.0.1\nViaProxyName \"" +
                      viaName() + "\"\nLogLevel Info\n";
  if (::geteuid() == 0)
    config += "User nobody\nGroup nogroup\n";
  const QString configPath = m_dir.filePath(QStringLiteral("tinyproxy.conf"));
  QFile file(configPath);
  if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size()) {
    m_error = QStringLiteral("cannot write %1").arg(configPath);
    return false;
  }
  file.close();

  m_process.setProcessChannelMode(QProcess::MergedChannels);
  m_process.start(program, {QStringLiteral("-d"), QStringLiteral("-c"), configPath});
  if (!m_process.waitForStarted(5000)) {
    m_error = QStringLiteral("tinyproxy did not start: %1").arg(m_process.errorString());
    return false;
  }
  const bool listening = QTest::qWaitFor(
      [this] {
        if (m_process.state() != QProcess::Running)
          return true;
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        return socket.waitForConnected(200);
      },
      10000);
  if (!listening || m_process.state() != QProcess::Running) {
    m_error = QStringLiteral("tinyproxy did not come up: %1").arg(QString::fromUtf8(log()));
    stop();
    return false;
  }
  return true;
}

void ProxyFixture::stop()
{
  if (m_process.state() == QProcess::NotRunning)
    return;
  m_process.terminate();
  if (!m_process.waitForFinished(3000)) {
    m_process.kill();
    m_process.waitForFinished(3000);
  }
}

QByteArray ProxyFixture::log()
{
  m_log += m_process.readAll();
  return m_log;
}

}  // namespace tessivar::test
