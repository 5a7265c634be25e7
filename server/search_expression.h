#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace tessivar::directory {

// One word of a search text with its marks:
//   "^" before or after a word: a word boundary on that side (no letter or digit beside it);
//   "$" after a word: the match ends the field (for the genre field: ends one of its tags);
//   "`" before a word: the match starts the field (for the genre field: starts one of its tags).
// Every other character, "-", "/" and "'" included, is matched literally.
struct WordPattern
{
  QString core;
  std::string asciiLower; // core in ASCII lower case, when core is all ASCII
  bool ascii = false;
  bool fieldStart = false;
  bool wordStart = false;
  bool wordEnd = false;
  bool fieldEnd = false;
};

using Alternative = std::vector<WordPattern>;

enum class SearchScope {
  AllFields, // name, format, location and genre
  GenreOnly, // the genre field alone, with the category synonyms applied
};

// A parsed search text: commas separate alternatives, "+" and blanks separate words; an entry
// matches when every word of at least one alternative matches one of the searched fields.
struct SearchExpression
{
  std::vector<Alternative> alternatives;
  bool empty() const { return alternatives.empty(); }
};

SearchExpression parseSearchText(std::string_view text, SearchScope scope);

// One searched field, trimmed, kept ready for matching: all-ASCII fields are matched byte by byte
// on their lower-case copy, the others with Unicode case folding.
struct FieldText
{
  QString text;
  std::string asciiLower; // text in ASCII lower case, when text is all ASCII
  bool ascii = false;
};

FieldText prepareField(QStringView text);

struct EntryText
{
  FieldText name;
  FieldText format;
  FieldText location;
  std::vector<FieldText> tags; // the genre field, split at commas
};

EntryText prepareEntryText(const QString &name, const QString &format, const QString &location,
                           const QString &genre);

// 0 when the entry does not match the alternative (some word matches no field); otherwise the sum
// of its words' scores.
int alternativeScore(const Alternative &alternative, SearchScope scope, const EntryText &entry);

// 0 when the entry does not match; otherwise higher means more relevant (its best alternative).
int relevance(const SearchExpression &expression, SearchScope scope, const EntryText &entry);

}  // namespace tessivar::directory
