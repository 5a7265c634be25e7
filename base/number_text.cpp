#include "base/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tessivar {

qsizetype writeShortestNumber(double value, char *out)
{
  if (value == 0) value = 0;  // no "-0"
  // Whole numbers are the common case; below 10^15 they are exact and their form is their digits.
  if (value > -1e15 && value < 1e15 && value == std::trunc(value)) {
    std::int64_t whole = std::int64_t(value);
    qsizetype n = 0;
    if (whole < 0) {
      out[n++] = '-';
      whole = -whole;
    }
    char digits[20];
    int count = 0;
    do {
      digits[count++] = char('0' + whole % 10);
      whole /= 10;
    } while (whole);
    while (count) out[n++] = digits[--count];
    return n;
  }
  // The shortest digits that read back as the same number, without an exponent: a sort key or
  // an item number written as "1e+05" would read back as 1.
  std::to_chars_result written =
      std::to_chars(out, out + kNumberTextCapacity, value, std::chars_format::fixed);
  if (written.ec != std::errc()) written = std::to_chars(out, out + kNumberTextCapacity, value);
  return written.ec == std::errc() ? written.ptr - out : 0;
}

QString shortestNumberText(double value)
{
  char buffer[kNumberTextCapacity];
  return QString::fromLatin1(buffer, writeShortestNumber(value, buffer));
}

}  // namespace tessivar
