#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace tessivar::test {

// A real HTTP proxy (tinyproxy) on a free loopback port for the life of the object. It marks
// every request it forwards with a "Via" header naming viaName().
class ProxyFixture final
{
 public:
  ProxyFixture();
  ~ProxyFixture();
  ProxyFixture(const ProxyFixture &) = delete;
  ProxyFixture &operator=(const ProxyFixture &) = delete;

  // Starts the proxy and waits until it accepts connections. False with errorText() set when
  // tinyproxy is missing or does not come up.
  [[nodiscard]] bool start();
  void stop();

  [[nodiscard]] quint16 port() const { return port_; }
  [[nodiscard]] static QByteArray viaName() { return QByteArrayLiteral("tessivar-test-proxy"); }
  [[nodiscard]] QString errorText() const { return error_; }
  // What the proxy printed so far (it runs in the foreground with its log on stderr).
  [[nodiscard]] QByteArray log();

  // A loopback port that nothing listens on right now.
  [[nodiscard]] static quint16 freePort();

 private:
  QTemporaryDir dir_;
  QProcess process_;
  quint16 port_ = 0;
  QString error_;
  QByteArray log_;
};

}  // namespace tessivar::test
