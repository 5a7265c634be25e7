#include "results/stream_recording.h"

#include "base/product.h"
#include "platform/process_starter.h"
#include "results/built_in_player.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace tessivar {

namespace {

// What is kept of the recorder's output: enough for its last lines.
constexpr qsizetype outputKept = 16 * 1024;
// How often a file the engine is finishing is looked at.
constexpr int engineFileCheckMs = 250;

// A station's name as part of a file name: letters, digits and a few marks, at most 60 of them.
QString fileNamePart(const QString &name)
{
  static const QRegularExpression other(QStringLiteral("[^\\w .,()'&+-]+"));
  QString part = name;
  part.replace(other, QStringLiteral(" "));
  part = part.simplified().left(60).trimmed();
  return part.isEmpty() ? QStringLiteral("Recording") : part;
}

QString clockText(qint64 seconds)
{
  const auto two = [](qint64 value) { return QString::number(value).rightJustified(2, QLatin1Char('0')); };
  const QString minutes = two(seconds / 60 % 60) + QLatin1Char(':') + two(seconds % 60);
  return seconds >= 3600 ? QString::number(seconds / 3600) + QLatin1Char(':') + minutes : minutes;
}

}  // namespace

StreamRecording::StreamRecording(ProcessStarter &starter, QObject *parent)
    : QObject(parent), starter_(starter), clock_(new QTimer(this))
{
  clock_->setObjectName(QStringLiteral("RecordingClock"));
  clock_->setInterval(1000);
  connect(clock_, &QTimer::timeout, this, &StreamRecording::changed);
}

StreamRecording::~StreamRecording()
{
  if (engine_) {
    engine_->disconnect(this);
    engine_->setRecordingFile(QString());
  }
  if (!process_) return;
  // The program is going away: the recorder goes with it, now.
  process_->disconnect(this);
  process_->terminate();
  if (!process_->waitForFinished(stopGraceMs)) {
    process_->kill();
    process_->waitForFinished(1000);
  }
}

QString StreamRecording::program()
{
  return QStandardPaths::findExecutable(QStringLiteral("streamripper"));
}

QString StreamRecording::outputFolder()
{
  QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
  if (music.isEmpty()) music = QDir::homePath();
  return QDir(music).filePath(product::applicationName());
}

QStringList StreamRecording::arguments(const QString &address, const QString &folder, const QString &fileBase)
{
  return {address,
          QStringLiteral("-d"),
          folder,
          QStringLiteral("-s"),
          QStringLiteral("-a"),
          fileBase,
          QStringLiteral("-A"),
          QStringLiteral("-c")};
}

QString StreamRecording::lastErrorOf(const QByteArray &output)
{
  const QString text = QString::fromLocal8Bit(output);
  // The recorder's errors read "error -5 [text]", the text sometimes over two lines.
  static const QRegularExpression error(QStringLiteral("error -?\\d+ \\[([^\\]]*)\\]?"));
  QRegularExpressionMatch last;
  for (const QRegularExpressionMatch &match : error.globalMatch(text)) last = match;
  if (last.hasMatch() && !last.captured(1).simplified().isEmpty()) return last.captured(1).simplified();
  static const QRegularExpression lineEnd(QStringLiteral("[\\r\\n]+"));
  const QStringList lines = text.split(lineEnd, Qt::SkipEmptyParts);
  for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
    if (!line->simplified().isEmpty()) return line->simplified().left(300);
  }
  return {};
}

StreamRecording::Outcome StreamRecording::start(const QString &streamAddress, const QString &stationName)
{
  const QString trimmed = streamAddress.trimmed();
  if (trimmed.isEmpty()) return Outcome::NoStream;
  // The address is the recorder's first argument: only a web address, never something it would
  // read as an option.
  const QUrl url(trimmed, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https") ||
      streamAddress.startsWith(QLatin1Char('-')))
    return Outcome::NotRecordable;
  const QString recorder = program();
  if (recorder.isEmpty()) return Outcome::NotInstalled;
  if (isRecording()) return Outcome::NotStarted;

  nameFile(stationName, url.host());
  output_.clear();
  stopping_ = false;
  QProcess *process =
      starter_.startChild(recorder, arguments(url.toString(QUrl::FullyEncoded), folder_, fileBase_), this);
  if (process == nullptr) return Outcome::NotStarted;
  if (process->state() == QProcess::NotRunning) {
    process->deleteLater();
    return Outcome::NotStarted;
  }
  process_ = process;
  const auto keep = [this](const QByteArray &block) {
    output_ += block;
    if (output_.size() > outputKept) output_.remove(0, output_.size() - outputKept);
  };
  connect(process, &QProcess::readyReadStandardOutput, this,
          [process, keep] { keep(process->readAllStandardOutput()); });
  connect(process, &QProcess::readyReadStandardError, this,
          [process, keep] { keep(process->readAllStandardError()); });
  connect(process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
    onFinished(exitCode, status == QProcess::CrashExit);
  });
  connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) onFinished(-1, true);
  });
  since_.start();
  clock_->start();
  emit changed();
  return Outcome::Started;
}

StreamRecording::Outcome StreamRecording::startThrough(BuiltInPlayer &player)
{
  if (!player.isActive()) return Outcome::NoStream;
  if (isRecording()) return Outcome::NotStarted;
  nameFile(player.stationName(), QUrl(player.url()).host());
  // Matroska takes whatever the stream carries, without converting it.
  if (!player.setRecordingFile(QDir(folder_).filePath(fileBase_ + QStringLiteral(".mka"))))
    return Outcome::NotStarted;
  engine_ = &player;
  connect(&player, &BuiltInPlayer::changed, this, &StreamRecording::onEngineChanged);
  stopping_ = false;
  since_.start();
  clock_->start();
  emit changed();
  return Outcome::Started;
}

void StreamRecording::nameFile(const QString &stationName, const QString &host)
{
  folder_ = outputFolder();
  QDir().mkpath(folder_);
  stationName_ = stationName.trimmed().isEmpty() ? host : stationName.simplified();
  fileBase_ = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH.mm.ss ")) +
              fileNamePart(stationName_);
}

void StreamRecording::stop()
{
  if (engine_) {
    // The player says when its file is closed (onEngineChanged).
    engine_->setRecordingFile(QString());
    return;
  }
  if (!process_ || stopping_) return;
  stopping_ = true;
  process_->terminate();
  QTimer::singleShot(stopGraceMs, process_.data(), &QProcess::kill);
}

QString StreamRecording::statusText() const
{
  if (!isRecording()) return {};
  const QFileInfo file(writtenFile());
  const qint64 size = file.exists() ? file.size() : 0;
  return QStringLiteral("Recording %1  %2  %3")
      .arg(stationName_, clockText(since_.elapsed() / 1000),
           QLocale::system().formattedDataSize(size, 1, QLocale::DataSizeTraditionalFormat));
}

QString StreamRecording::writtenFile() const
{
  // The recorder names the file after the stream's type; its cue sheet sits beside it.
  QString largest;
  qint64 largestSize = -1;
  const QFileInfoList files = QDir(folder_).entryInfoList({fileBase_ + QStringLiteral(".*")}, QDir::Files);
  for (const QFileInfo &file : files) {
    if (file.suffix().compare(u"cue", Qt::CaseInsensitive) == 0 || file.size() <= largestSize) continue;
    largest = file.absoluteFilePath();
    largestSize = file.size();
  }
  return largest;
}

void StreamRecording::onFinished(int exitCode, bool crashed)
{
  if (!process_) return;
  QProcess *process = process_;
  process_.clear();
  process->disconnect(this);
  output_ += process->readAllStandardOutput() + process->readAllStandardError();
  process->deleteLater();

  const QString file = writtenFile();
  const bool wrote = !file.isEmpty() && QFileInfo(file).size() > 0;
  // Asked to stop, the recorder ends by the signal: what it wrote is the recording.
  const bool failed = !wrote || (!stopping_ && (crashed || exitCode != 0));
  QString error;
  if (failed) {
    error = lastErrorOf(output_);
    if (error.isEmpty())
      error = wrote ? QStringLiteral("The recorder stopped with exit code %1.").arg(exitCode)
                    : QStringLiteral("The recorder wrote nothing.");
  }
  announceEnd(error);
}

void StreamRecording::onEngineChanged()
{
  // The player ends its recording when stopped, when its stream ends and when it plays another.
  if (!engine_ || !engine_->recordingFile().isEmpty()) return;
  engine_->disconnect(this);
  engine_.clear();
  engineClosing_ = true;
  awaitEngineFile(stopGraceMs / engineFileCheckMs);
}

void StreamRecording::awaitEngineFile(int checksLeft)
{
  const QString file = writtenFile();
  if (checksLeft > 0 && (file.isEmpty() || QFileInfo(file).size() == 0)) {
    QTimer::singleShot(engineFileCheckMs, this, [this, checksLeft] { awaitEngineFile(checksLeft - 1); });
    return;
  }
  engineClosing_ = false;
  announceEnd(QString());
}

void StreamRecording::announceEnd(QString error)
{
  clock_->stop();
  const QString file = writtenFile();
  const bool wrote = !file.isEmpty() && QFileInfo(file).size() > 0;
  if (!wrote && error.isEmpty()) error = QStringLiteral("The player wrote nothing.");
  stopping_ = false;
  emit changed();
  emit finished(stationName_, wrote ? file : QString(), error);
}

}  // namespace tessivar
