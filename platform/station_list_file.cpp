#include "platform/station_list_file.h"

#include <QStringDecoder>

namespace tessivar {

namespace {

const QByteArray kHeader = QByteArrayLiteral("Tessivar list 1");
const QByteArray kEnd = QByteArrayLiteral("end");

void appendEscaped(QByteArray &out, const QString &text)
{
  QString escaped;
  escaped.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == u'\\') {
      escaped += QStringLiteral("\\\\");
    } else if (c == u'\t') {
      escaped += QStringLiteral("\\t");
    } else if (c == u'\n') {
      escaped += QStringLiteral("\\n");
    } else if (c == u'\r') {
      escaped += QStringLiteral("\\r");
    } else if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
      escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    } else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      escaped += c;
      escaped += text.at(++i);
    } else if (c.isSurrogate()) {
      escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    } else {
      escaped += c;
    }
  }
  out += escaped.toUtf8();
}

int hexDigit(char16_t c)
{
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

std::optional<QString> unescape(const QString &field)
{
  QString out;
  out.reserve(field.size());
  for (qsizetype i = 0; i < field.size(); ++i) {
    const QChar c = field.at(i);
    if (c != u'\\') {
      out += c;
      continue;
    }
    if (++i >= field.size()) return std::nullopt;
    switch (field.at(i).unicode()) {
      case u'\\':
        out += u'\\';
        break;
      case u't':
        out += u'\t';
        break;
      case u'n':
        out += u'\n';
        break;
      case u'r':
        out += u'\r';
        break;
      case u'u': {
        if (i + 4 >= field.size()) return std::nullopt;
        char16_t code = 0;
        for (qsizetype k = i + 1; k <= i + 4; ++k) {
          const int digit = hexDigit(field.at(k).unicode());
          if (digit < 0) return std::nullopt;
          code = static_cast<char16_t>(code * 16 + digit);
        }
        out += QChar(code);
        i += 4;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return out;
}

}  // namespace

QByteArray encodeListFile(const QList<ListEntry> &entries)
{
  QByteArray out = kHeader + '\n';
  for (const ListEntry &entry : entries) {
    appendEscaped(out, entry.text);
    out += '\t';
    appendEscaped(out, entry.secondText);
    out += '\t' + QByteArray::number(entry.number) + '\n';
  }
  out += kEnd + '\t' + QByteArray::number(entries.size()) + '\n';
  return out;
}

std::optional<QList<ListEntry>> decodeListFile(const QByteArray &bytes, QString *error)
{
  const auto fail = [error](const QString &message) {
    if (error) *error = message;
    return std::nullopt;
  };

  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(bytes);
  if (decoder.hasError()) return fail(QStringLiteral("The file is not valid UTF-8 text."));

  QStringList lines = text.split(u'\n');
  if (lines.isEmpty() || lines.first().remove(u'\uFEFF').remove(u'\r') != QString::fromUtf8(kHeader))
    return fail(QStringLiteral("The file is not a list file (unknown first line)."));

  QList<ListEntry> entries;
  for (qsizetype n = 1; n < lines.size(); ++n) {
    QString line = lines.at(n);
    if (line.endsWith(u'\r')) line.chop(1);
    const QStringList fields = line.split(u'\t');
    if (fields.size() == 2 && fields.at(0) == QString::fromUtf8(kEnd)) {
      bool ok = false;
      const qsizetype expected = fields.at(1).toLongLong(&ok);
      if (!ok || expected != entries.size())
        return fail(QStringLiteral("The file is incomplete: it names %1 entries but holds %2.")
                        .arg(fields.at(1))
                        .arg(entries.size()));
      for (qsizetype rest = n + 1; rest < lines.size(); ++rest) {
        if (!lines.at(rest).trimmed().isEmpty())
          return fail(QStringLiteral("Unexpected text after the end of the list (line %1).").arg(rest + 1));
      }
      return entries;
    }
    if (fields.size() != 3)
      return fail(QStringLiteral("Line %1 is damaged: expected three fields.").arg(n + 1));
    bool ok = false;
    const int number = fields.at(2).toInt(&ok);
    const auto first = unescape(fields.at(0));
    const auto second = unescape(fields.at(1));
    if (!ok || !first || !second) return fail(QStringLiteral("Line %1 is damaged.").arg(n + 1));
    entries.append({*first, *second, number});
  }
  return fail(QStringLiteral("The file is incomplete: its end line is missing."));
}

}  // namespace tessivar
