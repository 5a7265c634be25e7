#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <optional>

namespace tessivar {

using HeaderLine = QPair<QByteArray, QByteArray>;

// Splits request header text ("Name: value" lines separated by CR LF or LF; empty lines are
// skipped) into names and values. nullopt when a line has no colon, an empty or invalid name,
// or a control character in its value.
[[nodiscard]] std::optional<QList<HeaderLine>> parseHeaderLines(const QByteArray &text);

// The raw header block of an answer: "HTTP/1.1 <status> <reason>" (or "HTTP/2 ..."), one
// "Name: value" line per header, every line ending in CR LF, and a closing empty line.
[[nodiscard]] QByteArray rawHeaderBlock(int status, const QByteArray &reason,
                                        const QList<HeaderLine> &headers, bool http2);

}  // namespace tessivar
