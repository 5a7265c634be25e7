#pragma once

#include "base/setting_key.h"

#include <array>

namespace tessivar {

// One format check box of the setup dialog: the choice it shows, its control name, caption, and
// whether it only applies to archive searches.
struct SetupFormatCheck
{
  SettingKey key;
  const char *objectName;
  const char *caption;
  bool archiveOnly;
};

// The 13 format check boxes in the order the dialog shows them.
const std::array<SetupFormatCheck, 13> &setupFormatChecks();

}  // namespace tessivar
