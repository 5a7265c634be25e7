#pragma once

#include <istream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessivar::directory {

// Reads RFC 4180 CSV (quoted fields, doubled quotes, line breaks inside quotes, CRLF or LF)
// whose first row names the columns; a UTF-8 byte order mark before it is skipped. A quoted field
// still open at the end of the file throws std::runtime_error.
class CsvReader
{
 public:
  // name: the file as error messages name it; may be empty.
  explicit CsvReader(std::istream &in, std::string name = {});

  const std::vector<std::string> &header() const { return header_; }
  bool hasColumn(const std::string &name) const { return columns_.count(name) != 0; }

  // The next data row, or nothing at the end. Short rows read as empty fields.
  std::optional<std::vector<std::string>> next();
  // The field of the named column in a row from next(); empty for an unknown column.
  std::string field(const std::vector<std::string> &row, const std::string &name) const;

 private:
  // current: bytes already read of the record's first field.
  std::optional<std::vector<std::string>> readRecord(std::string current = {});

  std::istream &in_;
  std::string name_;
  std::vector<std::string> header_;
  std::map<std::string, std::size_t> columns_;
  std::size_t line_ = 1;  // the line the next record begins on
};

}  // namespace tessivar::directory
