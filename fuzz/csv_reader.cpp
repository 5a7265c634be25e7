// The catalogue importer's CSV reader: whatever it reads, written out again as CSV with every
// field quoted, must read back the same; and each address it reads gets a catalogue key.
#include "server/csv_reader.h"
#include "server/sqlite/catalogue_import.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace tessivar::directory;

namespace {

struct Table
{
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;

  friend bool operator==(const Table &, const Table &) = default;
};

// Nothing when the reader refuses the text (a quoted field never closed).
std::optional<Table> read(const std::string &text)
{
  std::istringstream in(text);
  try {
    CsvReader reader(in);
    Table table{reader.header(), {}};
    while (auto row = reader.next()) {
      for (const char *column : {"stream_url", "url", "homepage"}) streamKey(reader.field(*row, column));
      table.rows.push_back(std::move(*row));
    }
    return table;
  } catch (const std::runtime_error &) {
    return std::nullopt;
  }
}

void writeRecord(std::string &out, const std::vector<std::string> &fields)
{
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    out += '"';
    for (const char c : fields[i]) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    out += '"';
  }
  out += "\r\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  const auto table = read(std::string(reinterpret_cast<const char *>(data), size));
  if (!table) return 0;
  std::string written;
  if (!table->header.empty()) writeRecord(written, table->header);
  for (const auto &row : table->rows) writeRecord(written, row);
  if (read(written) != table) {
    std::fprintf(stderr, "written again, the table reads otherwise:\n%s\n", written.c_str());
    std::abort();
  }
  return 0;
}
