#pragma once

namespace tessivar::directory {

class Database;

// Fills what the keyword search reads instead of the entries' own texts: each entry's page line
// parts (entries.page_head, page_tail), and its row of entry_match: the filter values, the searched
// fields trimmed and case-folded (fold_*), and name_order, its place among all entries by name
// (ignoring case), then number. Entries whose page_head is empty are (re)computed; name_order is
// brought up to date for every entry. Call it in the transaction that changed entries.
void refreshDerivedColumns(Database &db);

}  // namespace tessivar::directory
