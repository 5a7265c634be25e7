#include "platform/file_associations.h"

#include <QMimeDatabase>

// GIO's headers use "signals" as a name, which Qt defines as a keyword.
#undef signals
#include <gio/gio.h>

namespace tessivar {

QString DesktopFileAssociations::defaultCommand(const QString &extension)
{
  if (extension.isEmpty()) return {};
  const QMimeDatabase mimes;
  const QMimeType type =
      mimes.mimeTypeForFile(QStringLiteral("file") + extension, QMimeDatabase::MatchExtension);
  if (!type.isValid() || type.isDefault()) return {};
  GAppInfo *application = g_app_info_get_default_for_type(type.name().toUtf8().constData(), FALSE);
  if (application == nullptr) return {};
  const char *command = g_app_info_get_commandline(application);
  QString text = command != nullptr ? QString::fromUtf8(command) : QString();
  g_object_unref(application);
  return text;
}

}  // namespace tessivar
