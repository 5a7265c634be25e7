#pragma once

#include <QString>

namespace tessivar {

// Where a scan starts, from the stored "LastScan" record (position token, "@", style).
struct ScanResume
{
  // Ask "Would You like to resume ..."; Yes starts at `position`, No at "0".
  bool ask = false;
  QString position = QStringLiteral("0");
};

// A record with a position other than "0" for the chosen style asks; every other record starts
// at "0" (also one of another style: its position belongs to that style's walk).
ScanResume scanResume(const QString &lastScan, const QString &style);

// "LastScan" for a position and style, and the record of a finished walk.
QString lastScanRecord(const QString &position, const QString &style);
QString finishedScanRecord();

QString resumeQuestion();

}  // namespace tessivar
