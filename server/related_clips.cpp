#include "server/related_clips.h"

#include "server/folded_text.h"
#include "server/format_family.h"

#include <QSet>

#include <algorithm>

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

std::vector<CatalogueEntry> rankRelated(const CatalogueEntry &item,
                                        std::map<std::int64_t, CatalogueEntry> candidates,
                                        std::uint32_t families, std::size_t limit)
{
  struct Ranked
  {
    int score = 0;
    QString sortName;
    CatalogueEntry entry;
  };
  const auto text = [](const std::string &utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  };
  const QStringList words = titleWords(text(item.name));
  const QStringList tags = tagList(text(item.genre));
  std::vector<Ranked> ranked;
  for (auto &[candidateId, entry] : candidates) {
    if (candidateId == item.id || (families & familyBit(static_cast<FormatFamily>(entry.family))) == 0)
      continue;
    const QString name = text(entry.name);
    int score = (item.showId != 0 && entry.showId == item.showId) ? 10 : 0;
    const QStringList theirTags = tagList(text(entry.genre));
    for (const QString &tag : tags) score += theirTags.contains(tag) ? 3 : 0;
    for (const QString &word : words) score += containsWholeWord(name, word) ? 1 : 0;
    if (score > 0) ranked.push_back({score, name, std::move(entry)});
  }
  std::sort(ranked.begin(), ranked.end(), [](const Ranked &a, const Ranked &b) {
    if (a.score != b.score) return a.score > b.score;
    const int byName = QString::compare(a.sortName, b.sortName, Qt::CaseInsensitive);
    if (byName != 0) return byName < 0;
    return a.entry.id < b.entry.id;
  });
  std::vector<CatalogueEntry> out;
  for (std::size_t i = 0; i < std::min(limit, ranked.size()); ++i) out.push_back(std::move(ranked[i].entry));
  return out;
}

}  // namespace tessivar::directory
