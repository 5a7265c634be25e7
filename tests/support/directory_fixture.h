#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace tessivar::test {

struct HttpAnswer
{
  int status = 0; // 0 when no answer came
  QByteArray body;
};

// A tessivar-directory of its own: a temporary catalogue, imported and served by the real binary.
class DirectoryFixture
{
public:
  DirectoryFixture();
  ~DirectoryFixture();

  QString folder() const { return dir_.path(); }
  QString database() const { return dir_.filePath(QStringLiteral("catalogue.db")); }
  // Writes a file into the temporary folder and returns its path.
  QString writeFile(const QString &name, const QByteArray &content) const;

  // Runs "tessivar-directory ARGS"; returns the exit code (-1 when it did not finish) and its output.
  static int run(const QStringList &arguments, QByteArray *output = nullptr);
  // Imports into database() with the given options ("--stations", path, ...).
  bool import(const QStringList &options) const;

  // Starts "serve --port 0" on database() and waits for the port it prints.
  bool start(const QStringList &extra = {});
  quint16 port() const { return port_; }

  // GET target ("/path?query", sent byte for byte as given) over HTTP/1.0.
  HttpAnswer get(const QByteArray &target) const;

  // The small catalogue the endpoint tests share: stations, a TV channel, clips of two shows.
  bool importSampleCatalogue() const;

private:
  QTemporaryDir dir_;
  std::unique_ptr<QProcess> server_;
  quint16 port_ = 0;
};

// The anchors of a result page: address and anchor text.
struct Anchor
{
  QString address;
  QString text;
};
QList<Anchor> anchorsOf(const QByteArray &page);
QStringList namesOf(const QByteArray &page);

QString directoryBinary();

}  // namespace tessivar::test
