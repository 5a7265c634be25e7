#include "server/csv_reader.h"

namespace tessivar::directory {

CsvReader::CsvReader(std::istream &in) : in_(in)
{
  if (auto first = readRecord()) {
    header_ = std::move(*first);
    if (!header_.empty() && header_.front().rfind("\xEF\xBB\xBF", 0) == 0) header_.front().erase(0, 3);
    for (std::size_t i = 0; i < header_.size(); ++i) columns_.emplace(header_[i], i);
  }
}

std::optional<std::vector<std::string>> CsvReader::next()
{
  while (auto record = readRecord()) {
    if (record->size() == 1 && record->front().empty()) continue;  // a blank line
    return record;
  }
  return std::nullopt;
}

std::string CsvReader::field(const std::vector<std::string> &row, const std::string &name) const
{
  const auto found = columns_.find(name);
  if (found == columns_.end() || found->second >= row.size()) return {};
  return row[found->second];
}

std::optional<std::vector<std::string>> CsvReader::readRecord()
{
  std::vector<std::string> fields;
  std::string current;
  bool quoted = false;
  bool fieldQuoted = false;
  bool any = false;
  char c = 0;
  while (in_.get(c)) {
    any = true;
    if (quoted) {
      if (c == '"') {
        if (in_.peek() == '"') {
          in_.get(c);
          current.push_back('"');
        } else {
          quoted = false;
        }
      } else {
        current.push_back(c);
      }
      continue;
    }
    if (c == '"' && current.empty() && !fieldQuoted) {
      quoted = true;  // only a quote that opens a field starts quoting; elsewhere it is a character
      fieldQuoted = true;
    } else if (c == ',') {
      fieldQuoted = false;
      fields.push_back(std::move(current));
      current.clear();
    } else if (c == '\r') {
      if (in_.peek() == '\n') in_.get(c);
      break;
    } else if (c == '\n') {
      break;
    } else {
      current.push_back(c);
    }
  }
  if (!any) return std::nullopt;
  fields.push_back(std::move(current));
  return fields;
}

}  // namespace tessivar::directory
