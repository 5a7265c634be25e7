#pragma once

namespace tessivar::directory {

class PgConnection;

// Creates the catalogue's tables and indexes in a PostgreSQL database when they are missing (the
// pg_trgm extension included). Several processes may do so at once.
void preparePgCatalogue(PgConnection &connection);

}  // namespace tessivar::directory
