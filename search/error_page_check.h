#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tessivar {

// Recognises a server error page in the text left over after parsing. Returns the message to
// show (error icon, title "Tessivar! Broadcast"), or nothing when the text is no error page.
// The first match in this order wins; the searches are case-sensitive:
//   "302 Moved Temporarily", "301 Moved Permanently", "404 Object Not Found",
//   "404 File Not Found", "Forbidden" or "403.6".
std::optional<QString> CheckServerErrorPage(QStringView page);

}  // namespace tessivar
