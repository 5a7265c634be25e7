#include "platform/proxy_setting.h"

#include "base/settings_store.h"

namespace tessivar {

ProxySetting storedProxy(const SettingsStore &store)
{
  const QString host = store.text(SettingKey::ProxyHost).trimmed();
  if (host.isEmpty()) return {};
  return ProxySetting{true, host, store.wholeNumber(SettingKey::ProxyPort).value_or(0)};
}

}  // namespace tessivar
