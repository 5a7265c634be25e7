#include "base/settings_file_repair.h"

#include "base/unreadable_copy.h"

#include <QFile>
#include <QList>
#include <QSet>
#include <QSettings>
#include <QTemporaryFile>

namespace tessivar {

namespace {

// Larger than any settings file this program writes; such a file is left to the store alone.
constexpr qint64 largestSettingsFile = 4 * 1024 * 1024;

// A line that holds a key ("name=value"), with the section header it stands under (empty before
// the first header).
struct KeyLine
{
  QByteArray section;
  QByteArray line;

  QByteArray key() const { return section + '\n' + line.left(line.indexOf('=')).trimmed(); }
};

QList<KeyLine> keyLines(const QByteArray &bytes)
{
  QList<KeyLine> lines;
  QByteArray section;
  for (const QByteArray &raw : bytes.split('\n')) {
    const QByteArray line = raw.trimmed();
    if (line.startsWith('[')) {
      section = line;
    } else if (!line.startsWith(';') && line.indexOf('=') > 0) {
      lines.append({section, line});
    }
  }
  return lines;
}

qsizetype distinctKeys(const QList<KeyLine> &lines)
{
  QSet<QByteArray> keys;
  for (const KeyLine &line : lines) keys.insert(line.key());
  return keys.size();
}

// Reads the line as the store would if it stood alone in the file, into the store.
void readAgain(const KeyLine &line, QSettings &settings)
{
  QTemporaryFile alone;
  if (!alone.open()) return;
  alone.write(line.section + '\n' + line.line);
  alone.close();
  const QSettings reader(alone.fileName(), QSettings::IniFormat);
  const QStringList keys = reader.allKeys();
  for (const QString &key : keys) settings.setValue(key, reader.value(key));
}

}  // namespace

SettingsRepair repairUnreadKeys(QSettings &settings)
{
  const QString path = settings.fileName();
  QFile file(path);
  if (file.size() > largestSettingsFile || !file.open(QIODevice::ReadOnly)) return {};
  const QList<KeyLine> lines = keyLines(file.readAll());
  file.close();
  if (distinctKeys(lines) <= settings.allKeys().size()) return {};

  SettingsRepair repair{true, unreadableCopyName(path)};
  if (!QFile::copy(path, repair.keptCopy)) repair.keptCopy.clear();
  for (const KeyLine &line : lines) readAgain(line, settings);
  settings.sync();
  return repair;
}

}  // namespace tessivar
