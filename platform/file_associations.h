#pragma once

#include <QString>

namespace tessivar {

// The desktop's file-type associations: which program opens files of a given extension.
class FileAssociations
{
 public:
  virtual ~FileAssociations() = default;
  // The command line of the desktop's default application for files ending in the extension
  // (".ram", ".asf"), as its desktop entry gives it (field codes such as %U included). Empty when
  // the type is unknown or nothing is associated with it.
  virtual QString defaultCommand(const QString &extension) = 0;
};

// The real associations: extension -> MIME type (the shared MIME database) -> the desktop's
// default application for that type (GIO) -> its command line.
class DesktopFileAssociations final : public FileAssociations
{
 public:
  QString defaultCommand(const QString &extension) override;
};

}  // namespace tessivar
