#include "dialogs/signup_request.h"

#include "base/number_value.h"
#include "base/settings_store.h"

#include <QUrl>

namespace tessivar::signup {

namespace {

QString encoded(const QString &value)
{
  return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

}  // namespace

QString requestAddress(const QString &siteHost, const QString &email, const QString &name,
                       const QString &program)
{
  return QStringLiteral("http://") + siteHost + QStringLiteral("/maillist.asp?Email=") + encoded(email) +
         QStringLiteral("&Name=") + encoded(name) + QStringLiteral("&Program=") + encoded(program);
}

bool emailAccepted(const QString &email)
{
  return email.contains(QLatin1Char('@'));
}

bool nameAccepted(const QString &name)
{
  return !name.trimmed().isEmpty();
}

int offersMade(const SettingsStore &store)
{
  return wholeNumberValue(store.text(SettingKey::EMR));
}

bool offerDue(const SettingsStore &store)
{
  return offersMade(store) < offerLimit;
}

void countOffer(SettingsStore &store)
{
  store.setWholeNumber(SettingKey::EMR, static_cast<qint64>(offersMade(store)) + 1);
}

void recordSignup(SettingsStore &store, const QString &email)
{
  store.setWholeNumber(SettingKey::EMR, offerLimit);
  store.setText(SettingKey::Email, email);
}

}  // namespace tessivar::signup
