#include "search/result_number.h"

#include <QVarLengthArray>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tessivar {

namespace {

template <typename Char>
unsigned code(Char c)
{
  if constexpr (sizeof(Char) == 1)
    return static_cast<unsigned char>(c);
  else
    return c.unicode();
}

template <typename Char>
bool isDigit(Char c)
{
  return code(c) - '0' <= 9u;
}

template <typename Char>
bool isBlank(Char c)
{
  const unsigned u = code(c);
  return u == ' ' || u == '\t' || u == '\r' || u == '\n';
}

// Integers of up to 15 digits are exact in a double; longer ones and fractions go through
// from_chars, which rounds correctly.
constexpr int kExactDigits = 15;

template <typename Char>
double numberValue(const Char *text, qsizetype n)
{
  qsizetype i = 0;
  while (i < n && isBlank(text[i]))
    ++i;
  bool negative = false;
  if (i < n && (code(text[i]) == '+' || code(text[i]) == '-')) {
    negative = code(text[i]) == '-';
    ++i;
  }
  const qsizetype first = i;
  std::uint64_t whole = 0;
  bool nonZeroWhole = false;
  while (i < n && isDigit(text[i])) {
    whole = whole * 10 + (code(text[i]) - '0');
    nonZeroWhole = nonZeroWhole || code(text[i]) != '0';
    ++i;
  }
  const bool fraction = i + 1 < n && code(text[i]) == '.' && isDigit(text[i + 1]);
  if (!fraction && i - first <= kExactDigits) {
    if (i == first)
      return 0;
    const double value = double(whole);
    return negative ? -value : value;
  }
  QVarLengthArray<char, 64> digits;
  for (qsizetype j = first; j < i; ++j)
    digits.append(char(code(text[j])));
  if (fraction) {
    digits.append('.');
    ++i;
    while (i < n && isDigit(text[i])) {
      digits.append(char(code(text[i])));
      ++i;
    }
  }
  double value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  Q_UNUSED(end);
  // Out of range is too large with a non-zero whole part, otherwise too small: about 0.
  if (error == std::errc::result_out_of_range)
    value = nonZeroWhole ? std::numeric_limits<double>::max() : 0.0;
  return negative ? -value : value;
}

}  // namespace

double resultNumberValue(QStringView text)
{
  return numberValue(text.data(), text.size());
}

double resultNumberValue(QByteArrayView text)
{
  return numberValue(text.data(), text.size());
}

qsizetype writeShortestNumber(double value, char *out)
{
  if (value == 0)
    value = 0;  // no "-0"
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
    while (count)
      out[n++] = digits[--count];
    return n;
  }
  // The shortest digits that read back as the same number, without an exponent: a sort key or
  // an item number written as "1e+05" would read back as 1.
  std::to_chars_result written = std::to_chars(out, out + kNumberTextCapacity, value, std::chars_format::fixed);
  if (written.ec != std::errc())
    written = std::to_chars(out, out + kNumberTextCapacity, value);
  return written.ec == std::errc() ? written.ptr - out : 0;
}

QString shortestNumberText(double value)
{
  char buffer[kNumberTextCapacity];
  return QString::fromLatin1(buffer, writeShortestNumber(value, buffer));
}

}  // namespace tessivar
