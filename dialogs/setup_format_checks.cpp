#include "dialogs/setup_format_checks.h"

namespace tessivar {

const std::array<SetupFormatCheck, 13> &setupFormatChecks()
{
  static const std::array<SetupFormatCheck, 13> checks{{
      {SettingKey::ChkRA, "chkRA", "RealPlayer (Audio)", false},
      {SettingKey::ChkRV, "chkRV", "RealPlayer (Video)", false},
      {SettingKey::ChkXDM, "chkXDM", "Xing Streaming Audio/Video", false},
      {SettingKey::ChkNA, "chkNA", "Microsoft Media (Audio)", false},
      {SettingKey::ChkNV, "chkNV", "Microsoft Media (Video)", false},
      {SettingKey::ChkMA, "chkMA", "MP3 Audio", false},
      {SettingKey::ChkWA, "chkWA", "WAV (Audio)", true},
      {SettingKey::ChkAV, "chkAV", "AVI (Video)", true},
      {SettingKey::ChkMPEG, "chkMPEG", "MPEG (Video)", true},
      {SettingKey::ChkNF, "chkNF", "Microsoft Media FTP Links", true},
      {SettingKey::ChkMAF, "chkMAF", "MP3 Audio FTP Links", true},
      {SettingKey::ChkAVF, "chkAVF", "MPEG Video  FTP Links", true},
      {SettingKey::ChkWAVF, "chkWAVF", "WAV Audio FTP Links", true},
  }};
  return checks;
}

}  // namespace tessivar
