#pragma once

#include <QTest>

namespace tessivar::test {

// Points the per-user configuration and data folders at a temporary folder that lives as long
// as the process, so a test never reads or writes the real user's settings.
void useTemporaryUserFolders();

}  // namespace tessivar::test

// QTEST_MAIN with the user's folders isolated before the application object exists.
#define TESSIVAR_TEST_MAIN(TestObject) \
  QTEST_MAIN_WRAPPER(TestObject, tessivar::test::useTemporaryUserFolders(); QTEST_MAIN_SETUP())
