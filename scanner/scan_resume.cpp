#include "scanner/scan_resume.h"

#include "scanner/scan_styles.h"
#include "scanner/station_answer.h"

namespace tessivar {

ScanResume scanResume(const QString &lastScan, const QString &style)
{
  ScanResume resume;
  const QChar first = lastScan.isEmpty() ? QChar() : lastScan.front();
  if (first < u'1' || first > u'9') return resume;
  const qsizetype at = lastScan.indexOf(QLatin1Char('@'));
  if (at < 0 || lastScan.mid(at + 1) != style) return resume;
  const QString position = lastScan.left(at);
  if (!isScanPosition(position)) return resume;
  resume.ask = true;
  resume.position = position;
  return resume;
}

QString lastScanRecord(const QString &position, const QString &style)
{
  return position + QLatin1Char('@') + style;
}

QString finishedScanRecord()
{
  return lastScanRecord(QStringLiteral("0"), allStationsStyle());
}

QString resumeQuestion()
{
  return QStringLiteral("Would You like to resume your scan from previous session?");
}

}  // namespace tessivar
