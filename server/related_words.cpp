#include "server/related_words.h"

#include <QSet>

namespace tessivar::directory {

QStringList titleWords(const QString &title)
{
  static const QSet<QString> stopWords{
      QStringLiteral("this"),    QStringLiteral("that"), QStringLiteral("with"), QStringLiteral("from"),
      QStringLiteral("your"),    QStringLiteral("what"), QStringLiteral("have"), QStringLiteral("about"),
      QStringLiteral("episode"), QStringLiteral("part"), QStringLiteral("show"), QStringLiteral("podcast"),
      QStringLiteral("the"),     QStringLiteral("and")};
  QStringList words;
  QString current;
  auto finish = [&] {
    const QString word = current.toLower();
    if (word.size() >= 4 && !stopWords.contains(word) && !words.contains(word) && words.size() < 8)
      words << word;
    current.clear();
  };
  for (QChar c : title) {
    if (c.isLetterOrNumber())
      current.append(c);
    else
      finish();
  }
  finish();
  return words;
}

QStringList tagList(const QString &genre)
{
  QStringList tags;
  for (const QString &tag : genre.split(u',')) {
    const QString cleaned = tag.trimmed().toLower();
    if (cleaned.size() >= 3 && !tags.contains(cleaned) && tags.size() < 8) tags << cleaned;
  }
  return tags;
}

}  // namespace tessivar::directory
