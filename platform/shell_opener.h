#pragma once

#include <QString>

namespace tessivar {

// Hands a web address, a "mailto:" link or a file to the desktop's own "open". Returns false when
// the desktop could not open it.
class ShellOpener
{
 public:
  virtual ~ShellOpener() = default;
  virtual bool open(const QString &target) = 0;
};

// The desktop's real opener (QDesktopServices).
class DesktopShellOpener final : public ShellOpener
{
 public:
  bool open(const QString &target) override;
};

}  // namespace tessivar
