#pragma once

// The resident memory of this process, as the kernel counts it.

#include <QByteArray>
#include <QFile>

namespace tessivar::bench {

// A field of /proc/self/status in KiB ("VmRSS" now, "VmHWM" at its peak); -1 when unreadable.
inline long memoryKib(const char *field)
{
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QByteArray prefix = QByteArray(field) + ':';
  for (const QByteArray &line : status.readAll().split('\n')) {
    if (line.startsWith(prefix)) return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
  }
  return -1;
}

}  // namespace tessivar::bench
