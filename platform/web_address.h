#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tessivar {

// The one rule for opening an address that came from a server (a station's website, the data
// server's pages): only web pages are opened. An http or https address (either letter case) with
// a host and no user name ("http://bank.example@elsewhere.example/" hides where it leads) is
// opened as it is; a bare host with a dot, optionally with a port and a path ("www.example.com",
// "example.com:8080/live"), gets "http://" in front. Anything else — another scheme ("file:",
// "javascript:", "mailto:", a custom handler), a local path, an address without a host — gives
// no value and must not be opened. Blanks around the text are dropped.
std::optional<QString> openableWebAddress(QStringView text);

}  // namespace tessivar
