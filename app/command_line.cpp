#include "app/command_line.h"

#include "base/settings_store.h"

#include <QRegularExpression>

namespace tessivar {

namespace {

// A host name or address with an optional port; nothing a shell or a URL would read more into.
bool isHostAndPort(const QString &text)
{
  static const QRegularExpression hostPort(QStringLiteral(R"(^[A-Za-z0-9.-]+(:[0-9]{1,5})?$)"));
  return hostPort.match(text).hasMatch();
}

}  // namespace

std::optional<RunChoices> readRunChoices(const QStringList &arguments, QString *error)
{
  RunChoices choices;
  for (qsizetype index = 0; index < arguments.size(); ++index) {
    const QString &argument = arguments.at(index);
    for (const auto &[name, target] : {std::pair{QStringLiteral("--directory"), &choices.directory},
                                       std::pair{QStringLiteral("--site"), &choices.site}}) {
      QString value;
      if (argument == name) {
        if (index + 1 == arguments.size()) {
          *error = name + QStringLiteral(" needs HOST[:PORT]");
          return std::nullopt;
        }
        value = arguments.at(++index);
      } else if (argument.startsWith(name + QLatin1Char('='))) {
        value = argument.mid(name.size() + 1);
      } else {
        continue;
      }
      if (!isHostAndPort(value)) {
        *error = name + QStringLiteral(": not a HOST[:PORT]: ") + value;
        return std::nullopt;
      }
      *target = value;
      break;
    }
  }
  return choices;
}

void applyRunChoices(const RunChoices &choices, SettingsStore &store)
{
  if (!choices.directory.isEmpty()) store.holdForRun(SettingKey::LastQueryServer, choices.directory);
  const QString site = choices.site.isEmpty() ? choices.directory : choices.site;
  if (!site.isEmpty()) store.holdForRun(SettingKey::SiteHost, site);
}

}  // namespace tessivar
