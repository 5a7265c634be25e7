#pragma once

#include <QString>
#include <QStringView>
#include <QUrl>

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

// The addresses the web window shows and hands to the user's browser, by the program's one rule
// for server addresses (openableWebAddress): http and https only, with a host; a bare host is
// taken as http. Anything else (file:, javascript:, mailto:, a custom scheme, a local path) gives
// an empty, invalid address.
QUrl webAddress(const QString &text);

// Whether a page may move a frame to the address: the main frame only to a web address, a frame
// inside the page also to an empty frame ("about:blank", "about:srcdoc").
bool pageMayNavigate(const QUrl &address, bool mainFrame);

}  // namespace tessivar
