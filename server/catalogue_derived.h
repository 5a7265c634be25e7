#pragma once

namespace tessivar::directory {

class Database;

// Fills the columns the keyword search reads instead of the entry's own texts: the entry's page
// line parts (page_head, page_tail), its searched fields trimmed and case-folded (fold_*), and
// name_order, its place among all entries by name (ignoring case), then number. Rows whose
// page_head is empty are (re)computed; name_order is brought up to date for every row. Call it in
// the transaction that changed entries.
void refreshDerivedColumns(Database &db);

}  // namespace tessivar::directory
