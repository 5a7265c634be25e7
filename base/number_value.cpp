#include "base/number_value.h"

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
double leadingNumber(const Char *text, qsizetype n)
{
  qsizetype i = 0;
  while (i < n && isBlank(text[i])) ++i;
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
    if (i == first) return 0;
    const double value = double(whole);
    return negative ? -value : value;
  }
  QVarLengthArray<char, 64> digits;
  for (qsizetype j = first; j < i; ++j) digits.append(char(code(text[j])));
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

double numberValue(QStringView text)
{
  return leadingNumber(text.data(), text.size());
}

double numberValue(QByteArrayView text)
{
  return leadingNumber(text.data(), text.size());
}

int wholeNumberValue(QStringView text)
{
  const double value = numberValue(text);
  constexpr double lowest = std::numeric_limits<int>::min();
  constexpr double highest = std::numeric_limits<int>::max();
  if (value <= lowest) return std::numeric_limits<int>::min();
  if (value >= highest) return std::numeric_limits<int>::max();
  // nearbyint rounds halves to the even neighbour in the default rounding mode.
  return static_cast<int>(std::nearbyint(value));
}

}  // namespace tessivar
