#include "scanner/stream_recorder.h"

#include "base/product.h"
#include "platform/process_starter.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>

namespace tessivar {

QString StreamRecorder::program()
{
  return QStandardPaths::findExecutable(QStringLiteral("streamripper"));
}

QString StreamRecorder::outputFolder()
{
  QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
  if (music.isEmpty()) music = QDir::homePath();
  return QDir(music).filePath(product::applicationName());
}

QStringList StreamRecorder::arguments(const QString &address, const QString &folder)
{
  return {address, QStringLiteral("-d"), folder};
}

StreamRecorder::Outcome StreamRecorder::record(const QString &streamAddress)
{
  // The address is the first argument: it must be a web address, never something the recorder
  // would read as an option.
  const QUrl url(streamAddress.trimmed(), QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
    return Outcome::NoStream;
  const QString recorder = program();
  if (recorder.isEmpty()) return Outcome::NotInstalled;
  const QString folder = outputFolder();
  QDir().mkpath(folder);
  return starter_.start(recorder, arguments(url.toString(QUrl::FullyEncoded), folder)) ? Outcome::Started
                                                                                       : Outcome::NotStarted;
}

}  // namespace tessivar
