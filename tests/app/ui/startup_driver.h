#pragma once

#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "app/ui/startup.h"
#include "dialogs/ui/splash_window.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

namespace tessivar::test {

// The splash window on screen, if any.
inline SplashWindow *visibleSplash()
{
  const auto widgets = QApplication::topLevelWidgets();
  for (QWidget *widget : widgets) {
    if (auto *splash = qobject_cast<SplashWindow *>(widget); splash && splash->isVisible()) return splash;
  }
  return nullptr;
}

// Runs the start-up of the window, firing the splash's timer at once instead of after a second
// and, unless told otherwise, closing the first-run windows. True when the start-up finished
// within the time given and let the window show.
inline bool runStartupNow(ProgramParts &parts, QObject *context, int timeoutMs, bool dismissFirstRun = true)
{
  // The first-run windows (the mailing-list offer, the quick help) closed as a user would.
  QTimer dismisser;
  QObject::connect(&dismisser, &QTimer::timeout, context, [] {
    QWidget *modal = QApplication::activeModalWidget();
    if (modal != nullptr && (modal->objectName() == u"frmEmail" || modal->objectName() == u"frmQuickHelp"))
      modal->close();
  });
  if (dismissFirstRun) dismisser.start(10);
  bool done = false;
  bool started = false;
  QCoro::connect(runStartup(parts), context, [&](bool result) {
    started = result;
    done = true;
  });
  [&] {
    QTRY_VERIFY(visibleSplash() != nullptr);
    visibleSplash()->onTimer1();
    QTRY_VERIFY_WITH_TIMEOUT(done, timeoutMs);
  }();
  return done && started;
}

}  // namespace tessivar::test
