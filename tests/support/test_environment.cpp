#include "test_environment.h"

#include <QTemporaryDir>

#include <cstdlib>

namespace tessivar::test {

void useTemporaryUserFolders()
{
  static QTemporaryDir root;
  const QByteArray base = root.path().toUtf8();
  qputenv("XDG_CONFIG_HOME", base + "/config");
  qputenv("XDG_DATA_HOME", base + "/data");
  qputenv("XDG_CACHE_HOME", base + "/cache");
}

}  // namespace tessivar::test
