#pragma once

#include "server/search_expression.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tessivar::directory {

// Whether the index can find the candidates of the alternative: some word of it has three characters.
bool indexable(const Alternative &alternative);

// The full-text query that finds every candidate of the expression, or an empty text when some
// alternative is not indexable() and the catalogue must be scanned instead.
std::string fullTextQuery(const SearchExpression &expression, SearchScope scope);

// How many entries hold a case-folded trigram, roughly (0 for one not seen).
using TrigramCount = std::function<std::uint32_t(std::string_view foldedTrigram)>;

// The same with each alternative reduced to the one trigram of its words that count() says the fewest
// entries hold: FTS5 reads one list of entries per alternative instead of merging several (about half
// the work for one word, far less for several), and scoring leaves out the rows it finds in excess.
std::string fullTextQuery(const SearchExpression &expression, SearchScope scope, const TrigramCount &count);

}  // namespace tessivar::directory
