#include "dialogs/ui/web_view_loader.h"

#include "dialogs/ui/web_view.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <unistd.h>

namespace tessivar {

namespace {

struct Module
{
  MakeWebView make = nullptr;
  QString error;
};

Module loadModule()
{
  // Chromium will not start its sandbox for root; a normal user keeps it.
  if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

  const QDir programDir(QCoreApplication::applicationDirPath());
  const QStringList candidates{
      programDir.filePath(webEngineModuleName()),
      programDir.filePath(QStringLiteral("../bin/") + webEngineModuleName()),
      programDir.filePath(QStringLiteral("../lib/tessivar/") + webEngineModuleName())};
  QStringList errors;
  for (const QString &candidate : candidates) {
    if (!QFileInfo::exists(candidate)) continue;
    // The module stays loaded for the rest of the run.
    QLibrary library(candidate);
    if (!library.load()) {
      errors << library.errorString();
      continue;
    }
    if (auto make = reinterpret_cast<MakeWebView>(library.resolve(makeWebViewSymbol))) return {make, {}};
    errors << library.errorString();
  }
  if (errors.isEmpty()) errors << webEngineModuleName() + QStringLiteral(" was not found");
  return {nullptr, errors.join(QStringLiteral("; "))};
}

const Module &module()
{
  static const Module loaded = loadModule();
  return loaded;
}

}  // namespace

QString webEngineModuleName()
{
  return QStringLiteral("tessivar_webengine.so");
}

WebView *makeWebView(QWidget *parent)
{
  return module().make != nullptr ? module().make(parent) : nullptr;
}

QString webViewError()
{
  return module().error;
}

}  // namespace tessivar
