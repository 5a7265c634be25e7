#pragma once

#include <QString>
#include <QStringView>

namespace tessivar {

// A number in its shortest decimal form, in plain digits: 56 is "56", 28.8 is "28.8", 100000 is
// "100000" (never "1e+05").
QString shortestNumberText(double value);

// Room that writeShortestNumber needs: the longest plain form of a double.
constexpr qsizetype kNumberTextCapacity = 400;

// Writes the shortest decimal form into out (at least kNumberTextCapacity bytes) and returns
// its length.
qsizetype writeShortestNumber(double value, char *out);

}  // namespace tessivar
