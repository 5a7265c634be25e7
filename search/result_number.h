#pragma once

#include <QString>
#include <QStringView>

namespace tessivar {

// The number value of a text: its leading decimal number, 0 when it has none. Blanks before
// the number, a sign and a fraction are taken: "56k" is 56, " 28.8" is 28.8, "Unknown" is 0.
double resultNumberValue(QStringView text);

// A number in its shortest decimal form: 56 is "56", 28.8 is "28.8".
QString shortestNumberText(double value);

// Writes the shortest decimal form into out (at least 32 characters) and returns its length.
qsizetype writeShortestNumber(double value, QChar *out);

}  // namespace tessivar
