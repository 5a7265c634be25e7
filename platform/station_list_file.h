#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tessivar {

struct ListEntry
{
  QString text;
  QString secondText;
  int number = 0;

  friend bool operator==(const ListEntry &, const ListEntry &) = default;
};

// The outcome of saving or loading a list file; message says what went wrong.
struct ListFileResult
{
  bool ok = false;
  QString message;

  explicit operator bool() const { return ok; }
};

// The list file format, UTF-8 text:
//   line 1: "Tessivar list 1"
//   then one line per entry: text TAB second text TAB number
//   last line: "end" TAB the number of entries
// Inside the texts a backslash starts an escape: "\\", "\t", "\n", "\r", or "\uXXXX" for any
// other control character and for unpaired surrogates, so every text round-trips exactly.
[[nodiscard]] QByteArray encodeListFile(const QList<ListEntry> &entries);

// The entries of a list file, or nullopt with *error set when the file is damaged or incomplete.
[[nodiscard]] std::optional<QList<ListEntry>> decodeListFile(const QByteArray &bytes, QString *error);

}  // namespace tessivar
