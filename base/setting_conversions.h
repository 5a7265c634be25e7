#pragma once

#include <QString>

#include <optional>

// How stored texts turn into values and back. A text that does not convert gives no value, and the
// caller keeps the value already in force.
namespace tessivar::conversions {

// Whole numbers (ports, counters, check-box states): a decimal number, rounded to the nearest.
std::optional<qint32> toWholeNumber(const QString &text);
// Window geometry in twips: a single-precision decimal number, possibly with a fraction.
std::optional<float> toTwips(const QString &text);
// Truth values: "True"/"False" in any letter case, or any number (non-zero is true).
std::optional<bool> toTruth(const QString &text);

QString fromTwips(float twips);
QString fromTruth(bool value);        // "True" or "False"
QString fromCheckState(bool ticked);  // "1" or "0"

}  // namespace tessivar::conversions
