#pragma once

#include <QString>

namespace tessivar {

class SettingsStore;

// The mailing-list sign-up: its request, the checks of the two boxes and the offer counter "EMR".
namespace signup {

// Offers made before start-up stops offering: a completed sign-up sets the counter to it too.
inline constexpr int offerLimit = 2;

// "http://" + site host + "/maillist.asp?Email=" + address + "&Name=" + name + "&Program=" + program.
// Each value is sent as UTF-8 with every character outside letters, digits and "-._~"
// percent-encoded, so "&", "#", "+" and "=" in a box stay part of its value.
QString requestAddress(const QString &siteHost, const QString &email, const QString &name,
                       const QString &program);

// The address box needs an "@"; the name box something besides blanks.
bool emailAccepted(const QString &email);
bool nameAccepted(const QString &name);

// "EMR" read as a number (0 when absent).
int offersMade(const SettingsStore &store);
// Whether start-up offers the sign-up: fewer than offerLimit offers made and no sign-up.
bool offerDue(const SettingsStore &store);
// The window's load: one more offer, stored at once.
void countOffer(SettingsStore &store);
// A completed sign-up: "EMR" = 2 and "Email" = the address sent.
void recordSignup(SettingsStore &store, const QString &email);

}  // namespace signup
}  // namespace tessivar
