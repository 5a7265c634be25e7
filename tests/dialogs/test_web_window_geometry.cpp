// The web window's place and size rules, in twips, and the addresses it shows.
#include "dialogs/web_window_geometry.h"

#include "base/settings_store.h"
#include "support/test_environment.h"

#include <QTemporaryDir>

#include <memory>

using namespace tessivar;

namespace {

const QRectF screen(0, 0, 19200, 15360);

}  // namespace

class TestWebWindowGeometry final : public QObject
{
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<SettingsStore> store_;

 private slots:
  void init()
  {
    dir_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<SettingsStore>(dir_->filePath(QStringLiteral("settings.ini")));
  }

  void placeAtLoad_data()
  {
    QTest::addColumn<QStringList>("stored");  // WTop, WLeft, WWidth, WHeight; null = absent
    QTest::addColumn<QRectF>("place");
    const QString absent;
    QTest::newRow("first use: centred for the first size")
        << QStringList{absent, absent, absent, absent} << QRectF(7657.5, 6180, 3885, 3000);
    QTest::newRow("stored") << QStringList{u"300"_qs, u"450"_qs, u"6000"_qs, u"4500"_qs}
                            << QRectF(450, 300, 6000, 4500);
    QTest::newRow("above and left of the screen: moved to 0")
        << QStringList{u"-15"_qs, u"-2000"_qs, u"6000"_qs, u"4500"_qs} << QRectF(0, 0, 6000, 4500);
    QTest::newRow("beyond the right and bottom edges: stays")
        << QStringList{u"20000"_qs, u"25000"_qs, u"6000"_qs, u"4500"_qs} << QRectF(25000, 20000, 6000, 4500);
    QTest::newRow("too small: snapped")
        << QStringList{u"300"_qs, u"450"_qs, u"2000"_qs, u"3500"_qs} << QRectF(450, 300, 3885, 3500);
    QTest::newRow("unreadable: as absent")
        << QStringList{u"top"_qs, absent, u"wide"_qs, u"4000"_qs} << QRectF(7657.5, 6180, 3885, 4000);
  }

  void placeAtLoad()
  {
    QFETCH(QStringList, stored);
    QFETCH(QRectF, place);
    const SettingKey keys[] = {SettingKey::WTop, SettingKey::WLeft, SettingKey::WWidth, SettingKey::WHeight};
    for (int i = 0; i < 4; ++i) {
      if (!stored[i].isNull()) store_->setText(keys[i], stored[i]);
    }
    QCOMPARE(web_window::placeAtLoad(*store_, screen), place);
  }
};

TESSIVAR_TEST_MAIN(TestWebWindowGeometry)
#include "test_web_window_geometry.moc"
