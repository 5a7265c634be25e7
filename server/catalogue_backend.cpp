#include "server/catalogue_backend.h"

#include "server/pg_backend.h"
#include "server/sqlite_backend.h"

namespace tessivar::directory {

bool isPostgresAddress(std::string_view catalogue)
{
  return catalogue.starts_with("postgresql://") || catalogue.starts_with("postgres://");
}

std::unique_ptr<CatalogueBackend> openCatalogueBackend(const std::string &catalogue)
{
  if (isPostgresAddress(catalogue)) return std::make_unique<PgBackend>(catalogue);
  return std::make_unique<SqliteBackend>(catalogue);
}

}  // namespace tessivar::directory
