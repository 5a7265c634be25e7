#pragma once

#include <QString>

class QWidget;

namespace tessivar {

class WebView;

// The web engine module's file name (beside the program, or in ../lib/tessivar from it).
QString webEngineModuleName();

// Makes a browser view from the web engine module, loading the module the first time (a run pays
// for the engine only once it shows a web page). Null when the module is missing or cannot be
// loaded; webViewError() tells why. Running as root, the engine's sandbox is switched off first
// (it refuses to start otherwise); for anyone else it stays on.
WebView *makeWebView(QWidget *parent);
QString webViewError();

}  // namespace tessivar
