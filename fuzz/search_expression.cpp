// The directory's search-text parser: the limits it promises, a word found in a field that holds
// just that word, a full-text query that SQLite's FTS5 accepts, and the same score however it is
// worked out.
#include "server/search_expression.h"
#include "server/folded_text.h"
#include "server/relevance_memo.h"
#include "server/sqlite/fts_query.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace tessivar::directory;

namespace {

void fail(const char *what, std::string_view text)
{
  std::fprintf(stderr, "%s: %.*s\n", what, int(text.size()), text.data());
  std::abort();
}

// A statement on an empty table of the catalogue's full-text layout, kept for every run.
sqlite3_stmt *matchStatement()
{
  static sqlite3_stmt *statement = [] {
    sqlite3 *db = nullptr;
    sqlite3_stmt *prepared = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK ||
        sqlite3_exec(db,
                     "CREATE VIRTUAL TABLE entry_text USING fts5(name, format, location, genre, "
                     "tokenize='trigram')",
                     nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, "SELECT rowid FROM entry_text WHERE entry_text MATCH ?1", -1, &prepared,
                           nullptr) != SQLITE_OK)
      fail("cannot prepare the full-text table", db ? sqlite3_errmsg(db) : "");
    return prepared;
  }();
  return statement;
}

void checkQuery(const std::string &query)
{
  if (query.empty()) return;
  sqlite3_stmt *statement = matchStatement();
  sqlite3_bind_text(statement, 1, query.data(), int(query.size()), SQLITE_TRANSIENT);
  const int result = sqlite3_step(statement);
  if (result != SQLITE_DONE && result != SQLITE_ROW) fail("full-text query refused", query);
  sqlite3_reset(statement);
}

void check(std::string_view text, SearchScope scope)
{
  const SearchExpression expression = parseSearchText(text, scope);
  if (expression.alternatives.size() > 32) fail("more than 32 alternatives", text);
  for (const Alternative &alternative : expression.alternatives) {
    if (alternative.empty() || alternative.size() > 16) fail("alternative with no or too many words", text);
    for (const WordPattern &word : alternative) {
      if (word.core.isEmpty() || word.core.size() > 100) fail("word empty or too long", text);
      if (word.core.back().isHighSurrogate()) fail("word ends in half a character", text);
      if (word.folded != foldedText(word.core)) fail("word folded otherwise", text);
      // A field that holds just the word (and, for the genre, a tag that is just the word) matches it.
      const std::string field = foldedField(word.core.toStdString());
      const std::string tags = foldedTags(word.core.toStdString());
      const EntryText entry{field, field, field, tags};
      if (relevance(SearchExpression{{Alternative{word}}}, scope, entry) <= 0)
        fail("word does not match a field of its own", word.core.toStdString());
    }
  }
  checkQuery(fullTextQuery(expression, scope));
  // Any entry, matching or not, is scored without harm, and alike when the parts it shares with other
  // entries are worked out once.
  const std::string field = foldedField(text);
  const std::string tags = foldedTags(text);
  const EntryText entry{field, field, field, tags};
  const int score = relevance(expression, scope, entry);
  RelevanceMemo shared(expression, scope, 1'000'000);
  if (shared(entry, 0, bytePairBits(field)) != score ||
      shared(EntryText{{}, field, field, tags}, 0, 0) !=
          relevance(expression, scope, EntryText{{}, field, field, tags}))
    fail("scores shared by entries differ from their own", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  check(text, SearchScope::AllFields);
  check(text, SearchScope::GenreOnly);
  return 0;
}
