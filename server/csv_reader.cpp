#include "server/csv_reader.h"

#include <stdexcept>
#include <streambuf>
#include <string_view>

namespace tessivar::directory {

CsvReader::CsvReader(std::istream &in, std::string name) : in_(in), name_(std::move(name))
{
  // A byte order mark is skipped before reading, so that a quote after it still opens the first name.
  std::string start;
  for (const char mark : std::string_view("\xEF\xBB\xBF")) {
    if (in_.peek() != static_cast<unsigned char>(mark)) break;
    start.push_back(static_cast<char>(in_.get()));
  }
  if (start.size() == 3) start.clear();  // otherwise the bytes begin a character of the first name
  if (auto first = readRecord(std::move(start))) {
    header_ = std::move(*first);
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

std::optional<std::vector<std::string>> CsvReader::readRecord(std::string current)
{
  std::vector<std::string> fields;
  fields.reserve(header_.size());
  const std::size_t firstLine = line_;
  bool quoted = false;
  bool fieldQuoted = false;
  bool any = !current.empty();
  // Byte by byte from the stream's buffer: istream::get() would set up and check the stream for each.
  std::streambuf &in = *in_.rdbuf();
  constexpr int end = std::char_traits<char>::eof();
  for (int next = in.sbumpc(); next != end; next = in.sbumpc()) {
    const char c = std::char_traits<char>::to_char_type(next);
    any = true;
    if (c == '\n') ++line_;
    if (quoted) {
      if (c == '"') {
        if (in.sgetc() == '"') {
          in.sbumpc();
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
      if (in.sgetc() == '\n') in.sbumpc();
      ++line_;
      break;
    } else if (c == '\n') {
      break;
    } else {
      current.push_back(c);
    }
  }
  if (!any) return std::nullopt;
  // Taking the rest of the file as one field would lose every row after it without a word.
  if (quoted)
    throw std::runtime_error((name_.empty() ? std::string() : name_ + ": ") + "the row that begins on line " +
                             std::to_string(firstLine) + " has a quoted field that is never closed");
  fields.push_back(std::move(current));
  return fields;
}

}  // namespace tessivar::directory
