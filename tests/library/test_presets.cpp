#include "base/setting_key.h"
#include "base/settings_store.h"
#include "file_size_limit.h"
#include "library/preset_commands.h"
#include "library/preset_table.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"

#include <QTemporaryDir>

#include <optional>

using namespace tessivar;
using test::FakePrompter;

namespace {

const QChar sep = presetSeparator;

QString payload(const QString &name, const QString &url)
{
  return name + sep + url;
}

}  // namespace

class TestPresets final : public QObject
{
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString iniPath() const { return dir_.filePath(QStringLiteral("settings.ini")); }

  // The ten slots as a fresh start reads them from the settings file.
  QList<PresetSlot> reloaded() const
  {
    SettingsStore store(iniPath());
    PresetTable table;
    table.load(store);
    QList<PresetSlot> result;
    for (int i = 0; i < PresetTable::slotCount; ++i) result << table.slot(i);
    return result;
  }

 private slots:
  void cleanup() { QFile::remove(iniPath()); }

  void dropRules_data()
  {
    QTest::addColumn<SearchMode>("mode");
    QTest::addColumn<bool>("assigned");  // slot 2 holds a station before the drop
    QTest::addColumn<QString>("dropped");
    QTest::addColumn<PromptAnswer>("answer");
    QTest::addColumn<QStringList>("prompts");
    QTest::addColumn<QString>("after");  // slot 2 as stored afterwards; empty: unchanged

    const QString jazz = payload(QStringLiteral("Jazz FM"), QStringLiteral("http://j/a.pls"));
    const QString question = QStringLiteral("Station currently assigned to Preset 3, Reassign ?");
    const QString assigned = QStringLiteral("Preset 3 Assigned to ");
    const SearchMode live = SearchMode::Live;
    const PromptAnswer yes = PromptAnswer::Yes;
    QTest::newRow("free slot") << live << false << jazz << yes
                               << QStringList{assigned + QStringLiteral("Jazz FM")} << jazz;
    QTest::newRow("reassign yes") << live << true << jazz << yes
                                  << QStringList{question, assigned + QStringLiteral("Jazz FM")} << jazz;
    QTest::newRow("reassign no") << live << true << jazz << PromptAnswer::No << QStringList{question}
                                 << QString();
    QTest::newRow("not live") << SearchMode::Library << false << jazz << yes
                              << QStringList{QStringLiteral(
                                     "Presets may only be used for live radio and "
                                     "television stations, please use bookmarks instead.")}
                              << QString();
    QTest::newRow("no address") << live << false << QStringLiteral("Jazz FM") << yes << QStringList{}
                                << QString();
    const QString named = payload(QStringLiteral("Z") + sep, QStringLiteral("http://z/"));
    QTest::newRow("separator in the name")
        << live << false << named << yes << QStringList{assigned + QStringLiteral("Z") + sep} << named;
    const QString trailing = payload(QStringLiteral("A"), QStringLiteral("mms://a/") + sep);
    QTest::newRow("separator in the address")
        << live << false << trailing << yes << QStringList{assigned + QStringLiteral("A")} << trailing;
    QTest::newRow("no name: the address names it")
        << live << false << payload(QString(), QStringLiteral("http://x/")) << yes
        << QStringList{assigned + QStringLiteral("http://x/")}
        << payload(QStringLiteral("http://x/"), QStringLiteral("http://x/"));
    QTest::newRow("text the file cannot hold")
        << live << false
        << payload(QChar(0xFEFF) + QStringLiteral("A") + QChar(0xD800), QStringLiteral("http://a/")) << yes
        << QStringList{assigned + QStringLiteral("A") + QChar(0xFFFD)}
        << payload(QStringLiteral("A") + QChar(0xFFFD), QStringLiteral("http://a/"));
    // Every earlier preset stays, in the table and in the file, and no success is claimed.
    QTest::newRow("full disk") << live << true << jazz << yes
                               << QStringList{question,
                                              QStringLiteral("Preset 3 could not be saved: the settings "
                                                             "file %1 cannot be written. The preset keeps "
                                                             "its previous station.")
                                                  .arg(iniPath())}
                               << QString();
  }

  void dropRules()
  {
    QFETCH(SearchMode, mode);
    QFETCH(bool, assigned);
    QFETCH(QString, dropped);
    QFETCH(PromptAnswer, answer);
    QFETCH(QStringList, prompts);
    QFETCH(QString, after);

    SettingsStore store(iniPath());
    for (int i = 0; i < PresetTable::slotCount; ++i) {
      if (i != 2 || assigned)
        store.setPreset(i, payload(QStringLiteral("Old"), QStringLiteral("http://old/")));
    }
    PresetTable table;
    table.load(store);
    QList<PresetSlot> expected = reloaded();
    FakePrompter prompter;
    prompter.answers = {answer};
    PresetCommands commands(table, prompter, [mode] { return mode; });

    std::optional<test::FileSizeLimit> fullDisk;
    if (QByteArray(QTest::currentDataTag()) == "full disk") fullDisk.emplace(16);
    commands.drop(2, dropped);
    fullDisk.reset();
    QCOMPARE(prompter.texts(), prompts);
    if (!after.isEmpty()) expected[2] = presetFromStored(after);
    QCOMPARE(reloaded(), expected);
    QCOMPARE(table.slot(2), expected.at(2));
  }
};

TESSIVAR_TEST_MAIN(TestPresets)
#include "test_presets.moc"
