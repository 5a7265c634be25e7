#include "base/connection_speed.h"

#include <array>

namespace tessivar {

namespace {

struct SpeedName
{
  QStringView name;
  int limit;
};

constexpr std::array<SpeedName, 6> speedNames{{
    {u"Phone Modem 28.8", 28},
    {u"Phone Modem 33.6", 33},
    {u"Phone Modem 56k", 56},
    {u"ISDN 64k", 64},
    {u"ISDN 128k", 128},
    {u"Cable/DSL", 300},
}};

}  // namespace

const QStringList &connectionChoices()
{
  static const QStringList choices = [] {
    QStringList names;
    for (const SpeedName &speed : speedNames) names.append(speed.name.toString());
    names.append(QStringLiteral("All Connections"));
    return names;
  }();
  return choices;
}

std::optional<int> speedLimit(QStringView connectionSpeed)
{
  for (const SpeedName &speed : speedNames) {
    if (speed.name == connectionSpeed) return speed.limit;
  }
  return std::nullopt;
}

}  // namespace tessivar
