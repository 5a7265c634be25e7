#pragma once

namespace tessivar::directory {

class Database;
struct CatalogueEntry;

// Stores the entry's row of entry_match, what the keyword search reads instead of the entry's own texts:
// the filter values and the searched fields trimmed and case-folded (fold_*). name_order is left for
// refreshDerivedColumns.
void storeMatchRow(Database &db, const CatalogueEntry &entry);

// Brings the derived data up to date: entries whose page_head is empty get their page line parts
// (entries.page_head, page_tail, see resultLineHead()) and their entry_match row, and
// every entry its name_order, its place among all entries by name (ignoring case), then number. Works
// through the catalogue in batches and sorts in SQLite, so memory stays small whatever its size. Call it
// in the transaction that changed entries.
void refreshDerivedColumns(Database &db);

// Makes entry_match, name_order included, while it is empty and every entry is new with its page parts
// (an import into an empty catalogue, which stores no match rows of its own): each row is written once,
// in order, instead of written and then numbered.
void fillMatchRows(Database &db);

}  // namespace tessivar::directory
