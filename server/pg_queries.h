#pragma once

#include "server/catalogue_backend.h"

namespace tessivar::directory {

class PgConnection;

// The catalogue's questions on PostgreSQL, answered as catalogue_query.h answers them on SQLite:
// the same candidates, the same scoring and order, the same pages.
std::string pgSearchPage(PgConnection &connection, const SearchExpression &expression, SearchScope scope,
                         const EntryFilter &filter, PageLayout layout, std::size_t limit);
void pgWriteListAllPage(PgConnection &connection, const EntryFilter &filter, PageLayout layout,
                        const ChunkSink &sink);
BrowsePage pgBrowseClips(PgConnection &connection, char initial, std::int64_t page);
std::vector<CatalogueEntry> pgRelatedClips(PgConnection &connection, std::int64_t id, std::uint32_t families);
ScanStep pgNextStation(PgConnection &connection, const SearchExpression &style, std::uint32_t families,
                       std::int64_t maxBitrate, std::int64_t after);

// The LIKE patterns that find every candidate of the expression: per alternative, its longest
// folded word anywhere; empty when some alternative has no word of three characters, so every
// entry is a candidate.
std::vector<std::string> candidatePatterns(const SearchExpression &expression);

}  // namespace tessivar::directory
