#include "search/number_value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tessivar {

namespace {

bool isBlank(QChar c)
{
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(QChar c)
{
  return c >= u'0' && c <= u'9';
}

}  // namespace

double numberValue(QStringView text)
{
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && isBlank(text[i])) ++i;

  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  std::string number;
  bool nonZeroWholePart = false;
  while (i < n && isDigit(text[i])) {
    nonZeroWholePart = nonZeroWholePart || text[i] != u'0';
    number += static_cast<char>(text[i].unicode());
    ++i;
  }
  if (i < n && text[i] == u'.') {
    number += '.';
    ++i;
    while (i < n && isDigit(text[i])) {
      number += static_cast<char>(text[i].unicode());
      ++i;
    }
  }
  if (number.empty() || number == ".") return 0.0;

  // from_chars reads the plain "C" number form whatever the process locale says.
  double value = 0.0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                            std::chars_format::fixed);
  if (error == std::errc::result_out_of_range)
    value = nonZeroWholePart ? std::numeric_limits<double>::max() : 0.0;
  else if (error != std::errc{})
    value = 0.0;
  return negative ? -value : value;
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
