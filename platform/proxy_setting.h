#pragma once

#include <QString>

namespace tessivar {

class SettingsStore;

// The HTTP proxy every request of the program goes through, or none.
struct ProxySetting
{
  bool enabled = false;
  QString host;
  int port = 0;  // outside 1..65535 the proxy is unusable and requests through it fail

  bool operator==(const ProxySetting &) const = default;
};

// The program's proxy rule over the stored "ProxyHost" and "ProxyPort": a host of only blanks is
// no host and requests go directly; otherwise the host without its blanks, and the stored port
// (1080 when none is stored; a text that is not a whole number gives no usable port).
ProxySetting storedProxy(const SettingsStore &store);

}  // namespace tessivar
