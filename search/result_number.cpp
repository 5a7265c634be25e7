#include "search/result_number.h"

#include <QVarLengthArray>

#include <charconv>
#include <cmath>
#include <limits>

namespace tessivar {

namespace {

bool isDigit(QChar c)
{
  return c >= u'0' && c <= u'9';
}

bool isBlank(QChar c)
{
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

}  // namespace

double resultNumberValue(QStringView text)
{
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && isBlank(text[i]))
    ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  QVarLengthArray<char, 64> digits;
  bool anyDigit = false;
  while (i < n && isDigit(text[i])) {
    digits.append(char(text[i].unicode()));
    anyDigit = true;
    ++i;
  }
  if (i + 1 < n && text[i] == u'.' && isDigit(text[i + 1])) {
    digits.append('.');
    ++i;
    while (i < n && isDigit(text[i])) {
      digits.append(char(text[i].unicode()));
      anyDigit = true;
      ++i;
    }
  }
  if (!anyDigit)
    return 0;
  double value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  Q_UNUSED(end);
  if (error == std::errc::result_out_of_range)
    value = std::numeric_limits<double>::max();
  return negative ? -value : value;
}

qsizetype writeShortestNumber(double value, QChar *out)
{
  char buffer[32];
  if (value == 0)
    value = 0;  // no "-0"
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc())
    return 0;
  const qsizetype length = end - buffer;
  for (qsizetype i = 0; i < length; ++i)
    out[i] = QLatin1Char(buffer[i]);
  return length;
}

QString shortestNumberText(double value)
{
  QChar buffer[32];
  return QString(buffer, writeShortestNumber(value, buffer));
}

}  // namespace tessivar
