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
// Its second half alone: name_order, for a catalogue whose other derived data is up to date.
void refreshNameOrder(Database &db);

}  // namespace tessivar::directory
