#pragma once

#include <QTest>

namespace tessivar::test {

// Points the per-user configuration and data folders at a temporary folder that lives as long
// as the process, so a test never reads or writes the real user's settings.
void useTemporaryUserFolders();

}  // namespace tessivar::test

// QTEST_MAIN with the user's folders isolated first.
#define TESSIVAR_TEST_MAIN(TestObject)            \
  int main(int argc, char *argv[])                \
  {                                               \
    tessivar::test::useTemporaryUserFolders();    \
    QTEST_MAIN_IMPL(TestObject)                   \
  }
