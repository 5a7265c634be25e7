#include "results/player_location.h"

#include "base/product.h"
#include "base/program_options.h"
#include "platform/app_services.h"
#include "platform/embedded_player.h"
#include "platform/file_associations.h"
#include "platform/process_starter.h"
#include "platform/prompter.h"
#include "results/player_command.h"

namespace tessivar {

QString getShellCommand(FileAssociations &associations, const ProcessStarter &finder,
                        const QString &extension)
{
  PlayerCommand command = parseOpenCommand(associations.defaultCommand(extension));
  if (command.isEmpty()) return {};
  command.program = finder.findProgram(command.program);
  if (command.isEmpty()) return {};
  return playerCommandText(command);
}

void locatePlayers(ProgramOptions &options, const AppServices &services)
{
  const auto shellCommand = [&services](const char *extension) {
    return getShellCommand(services.associations, services.processes, QString::fromLatin1(extension));
  };
  options.setPlayerPath(SetupPlayer::Real, shellCommand(".ram"));
  options.setPlayerPath(SetupPlayer::Media, shellCommand(".asf"));
  // Both players count as present only where the embedded player can be made too.
  if (!services.embeddedPlayer.available()) {
    options.setPlayerPath(SetupPlayer::Real, QString());
    options.setPlayerPath(SetupPlayer::Media, QString());
  }
  options.setPlayerPath(SetupPlayer::StreamWorks, shellCommand(".xdm"));
}

void warnMissingPlayers(Prompter &prompter)
{
  prompter.ask(PromptIcon::Critical, product::applicationName(),
               QStringLiteral("You are missing neccesary players to take full advantage of Tessivar!'s "
                              "functionality."));
  prompter.ask(PromptIcon::Information, product::applicationName(),
               QStringLiteral("Please manually locate players via setup or download by clicking on the "
                              "appropriate player logo and remember to close and restart Tessivar! "
                              "Broadcast after installing a new player."));
}

}  // namespace tessivar
