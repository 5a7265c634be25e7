#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tessivar {

class SettingsStore;

// What the command line chooses for this run, beyond Qt's own options.
struct RunChoices
{
  QString directory;  // --directory HOST[:PORT]: the data server (and the site, unless --site)
  QString site;       // --site HOST[:PORT]: the maker's web site
};

// Reads --directory and --site (each as "--name value" or "--name=value") from the arguments
// after the program's name; other arguments are left to Qt. No value, with *error set, when a
// choice has no value or its value is not a bare host with an optional port.
std::optional<RunChoices> readRunChoices(const QStringList &arguments, QString *error);

// Puts the choices in force for this run without writing them into the user's settings.
void applyRunChoices(const RunChoices &choices, SettingsStore &store);

}  // namespace tessivar
