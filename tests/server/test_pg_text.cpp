// What the PostgreSQL catalogue computes on its own side: the key that orders names as the SQLite
// catalogue does, and the escaping of values.
#include "server/postgresql/pg_connection.h"
#include "server/postgresql/pg_import.h"
#include "support/test_environment.h"

#include <QByteArrayList>

using namespace tessivar::directory;

class TestPgText : public QObject
{
  Q_OBJECT

 private slots:
  void nameKeyOrdersLikeCaseInsensitiveCompare_data()
  {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    const QStringList names{QStringLiteral("abc"),
                            QStringLiteral("ABD"),
                            QStringLiteral("ab"),
                            QStringLiteral("Ab c"),
                            QStringLiteral("Zebra"),
                            QStringLiteral("_under"),
                            QStringLiteral("Ärger"),
                            QStringLiteral("ärger"),
                            QStringLiteral("Ελλάδα"),
                            QStringLiteral("ελλάδα FM"),
                            QStringLiteral("Straße"),
                            QStringLiteral("STRASSE"),
                            QString::fromUtf8("\xF0\x90\x90\x80 Deseret"),  // 𐐀: folds to a lower-case twin
                            QString::fromUtf8("\xF0\x90\x90\xA8 deseret"),  // 𐐨
                            QStringLiteral("\uFF21 wide"),
                            QStringLiteral("")};
    for (const QString &a : names)
      for (const QString &b : names) QTest::addRow("%s|%s", qPrintable(a), qPrintable(b)) << a << b;
  }

  void nameKeyOrdersLikeCaseInsensitiveCompare()
  {
    QFETCH(QString, a);
    QFETCH(QString, b);
    const int expected = QString::compare(a, b, Qt::CaseInsensitive);
    const int got = pgNameKey(a.toStdString()).compare(pgNameKey(b.toStdString()));
    QCOMPARE(got < 0, expected < 0);
    QCOMPARE(got == 0, expected == 0);
  }

  void valuesAreEscaped()
  {
    QCOMPARE(pgTextArray({"plain", "quo\"te", "back\\slash", "com,ma{}"}),
             std::string("{\"plain\",\"quo\\\"te\",\"back\\\\slash\",\"com,ma{}\"}"));
    std::string line;
    pgCopyField(line, "a\tb\nc\rd\\e\\N");
    QCOMPARE(line, std::string("a\\tb\\nc\\rd\\\\e\\\\N"));
  }
};

TESSIVAR_TEST_MAIN(TestPgText)
#include "test_pg_text.moc"
