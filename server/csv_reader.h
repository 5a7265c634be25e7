#pragma once

#include <istream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessivar::directory {

// Reads RFC 4180 CSV (quoted fields, doubled quotes, line breaks inside quotes, CRLF or LF)
// whose first row names the columns.
class CsvReader
{
 public:
  explicit CsvReader(std::istream &in);

  const std::vector<std::string> &header() const { return header_; }
  bool hasColumn(const std::string &name) const { return columns_.count(name) != 0; }

  // The next data row, or nothing at the end. Short rows read as empty fields.
  std::optional<std::vector<std::string>> next();
  // The field of the named column in a row from next(); empty for an unknown column.
  std::string field(const std::vector<std::string> &row, const std::string &name) const;

 private:
  std::optional<std::vector<std::string>> readRecord();

  std::istream &in_;
  std::vector<std::string> header_;
  std::map<std::string, std::size_t> columns_;
};

}  // namespace tessivar::directory
