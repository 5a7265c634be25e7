#pragma once

#include <QString>

#include <algorithm>
#include <cstddef>
#include <span>
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
  std::string folded;  // core case-folded (see folded_text.h)
  bool fieldStart = false;
  bool wordStart = false;
  bool wordEnd = false;
  bool fieldEnd = false;
};

using Alternative = std::vector<WordPattern>;

enum class SearchScope {
  AllFields,  // name, format, location and genre
  GenreOnly,  // the genre field alone, with the category synonyms applied
};

// A parsed search text: commas separate alternatives, "+" and blanks separate words; an entry
// matches when every word of at least one alternative matches one of the searched fields.
struct SearchExpression
{
  std::vector<Alternative> alternatives;
  bool empty() const { return alternatives.empty(); }
};

SearchExpression parseSearchText(std::string_view text, SearchScope scope);

// The alternative's word with the longest folded text (the first of those); empty for none.
std::string_view longestWord(const Alternative &alternative);

// An entry's searched fields as foldedField() and foldedTags() make them.
struct EntryText
{
  std::string_view name;
  std::string_view format;
  std::string_view location;
  std::string_view genre;  // trimmed tags separated by commas
};

// No entry's relevance() to the expression is higher than this.
int highestRelevance(const SearchExpression &expression, SearchScope scope);
// A search of one word over every field: for each field as the full-text index names it, heaviest first,
// the highest relevance() of an entry that has the word in that field but in no heavier one, and whose
// name does not start with it.
struct FieldBound
{
  const char *column;
  int highest;
};
std::span<const FieldBound> wordFieldBounds();

// 0 when the entry does not match; otherwise higher means more relevant.
int relevance(const SearchExpression &expression, SearchScope scope, const EntryText &entry);

// What relevance() adds up, for any way of scoring one word: the best total of an alternative's word
// scores, an alternative with a word that scores 0 giving 0. The word's place counts the expression's
// words in order, across its alternatives.
template <typename WordScore>
int bestAlternativeTotal(const SearchExpression &expression, const WordScore &wordScore)
{
  int best = 0;
  std::size_t first = 0;
  for (const Alternative &alternative : expression.alternatives) {
    int total = 0;
    for (std::size_t i = 0; i < alternative.size(); ++i) {
      const int score = wordScore(alternative[i], first + i);
      if (score == 0) {
        total = 0;
        break;
      }
      total += score;
    }
    first += alternative.size();
    best = std::max(best, total);
  }
  return best;
}

// One word's part of relevance(): its score in the name (0 in a genre search), and its best score in the
// other searched fields. A word scores the higher of the two.
int nameScore(const WordPattern &word, SearchScope scope, std::string_view name);
int otherFieldsScore(const WordPattern &word, SearchScope scope, const EntryText &entry);

}  // namespace tessivar::directory
