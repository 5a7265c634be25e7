#include "base/setting_conversions.h"

#include <cmath>
#include <limits>

namespace tessivar::conversions {

namespace {

std::optional<double> toNumber(const QString &text)
{
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<qint32> toWholeNumber(const QString &text)
{
  const auto value = toNumber(text);
  if (!value) return std::nullopt;
  const double rounded = std::nearbyint(*value);
  if (rounded < std::numeric_limits<qint32>::min() || rounded > std::numeric_limits<qint32>::max()) {
    return std::nullopt;
  }
  return static_cast<qint32>(rounded);
}

std::optional<float> toTwips(const QString &text)
{
  const auto value = toNumber(text);
  if (!value || std::fabs(*value) > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(*value);
}

std::optional<bool> toTruth(const QString &text)
{
  const QString trimmed = text.trimmed();
  if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
  if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
  const auto value = toNumber(trimmed);
  if (!value) return std::nullopt;
  return *value != 0.0;
}

QString fromTwips(float twips)
{
  return QString::number(static_cast<double>(twips), 'g', 7);
}

QString fromTruth(bool value)
{
  return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString fromCheckState(bool ticked)
{
  return ticked ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace tessivar::conversions
