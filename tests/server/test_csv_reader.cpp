// Catalogue CSV files as spreadsheets and scripts write them: quoting, line ends, byte order marks.
#include "server/csv_reader.h"
#include "support/test_environment.h"

#include <QByteArrayList>

#include <sstream>
#include <stdexcept>
#include <string_view>

using tessivar::directory::CsvReader;

namespace {

// Every record, the header first: fields joined by "|", records by ";".
QByteArray records(const QByteArray &csv)
{
  std::istringstream in(csv.toStdString());
  CsvReader reader(in);
  QByteArrayList rows;
  const auto join = [](const std::vector<std::string> &fields) {
    QByteArrayList list;
    for (const auto &field : fields) list << QByteArray::fromStdString(field);
    return list.join('|');
  };
  if (!reader.header().empty()) rows << join(reader.header());
  while (auto row = reader.next()) rows << join(*row);
  return rows.join(';');
}

}  // namespace

class TestCsvReader : public QObject
{
  Q_OBJECT

 private slots:
  void reading_data()
  {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("plain") << QByteArray("a,b\n1,2\n") << QByteArray("a|b;1|2");
    QTest::newRow("empty fields") << QByteArray("a,b,c\n,,\n") << QByteArray("a|b|c;||");
    QTest::newRow("comma in quotes") << QByteArray("a,b\n\"x,y\",z\n") << QByteArray("a|b;x,y|z");
    QTest::newRow("empty quoted field") << QByteArray("a,b\n\"\",x\n") << QByteArray("a|b;|x");
    QTest::newRow("doubled quotes") << QByteArray("a\n\"say \"\"hi\"\"\"\n") << QByteArray("a;say \"hi\"");
    QTest::newRow("quote inside a field")
        << QByteArray("a,b\n12\" LP,\"x\"\n") << QByteArray("a|b;12\" LP|x");
    QTest::newRow("text after closing quote") << QByteArray("a\n\"Weird\" Al\n") << QByteArray("a;Weird Al");
    QTest::newRow("CRLF") << QByteArray("a,b\r\n1,2\r\n3,4") << QByteArray("a|b;1|2;3|4");
    QTest::newRow("line breaks in quotes")
        << QByteArray("a,b\n\"x\r\ny\ny\",z\n") << QByteArray("a|b;x\r\ny\ny|z");
    QTest::newRow("empty lines") << QByteArray("a\n\n1\n\r\n\n2\n\n") << QByteArray("a;1;2");
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBFname,url\n") << QByteArray("name|url");
    QTest::newRow("byte order mark, quoted")
        << QByteArray("\xEF\xBB\xBF\"name\",url\n1,2\n") << QByteArray("name|url;1|2");
    QTest::newRow("like a mark, but a letter")
        << QByteArray("\xEF\xBB\x80,b\n") << QByteArray("\xEF\xBB\x80|b");
    QTest::newRow("empty file") << QByteArray() << QByteArray();
  }

  void reading()
  {
    QFETCH(QByteArray, csv);
    QFETCH(QByteArray, expected);
    QCOMPARE(records(csv), expected);
  }

  void fieldsByName()
  {
    std::istringstream in("name,url,tags\nRadio,http://a/\n");
    CsvReader reader(in);
    QVERIFY(reader.hasColumn("url"));
    QVERIFY(!reader.hasColumn("genre"));
    const auto row = reader.next();
    QVERIFY(row);
    QCOMPARE(QByteArray::fromStdString(reader.field(*row, "url")), "http://a/");
    QCOMPARE(QByteArray::fromStdString(reader.field(*row, "tags")), "");  // a short row
    QCOMPARE(QByteArray::fromStdString(reader.field(*row, "genre")), "");
    QVERIFY(!reader.next());
  }

  // A quote that is never closed would swallow every later row into one field: the file is refused.
  void unclosedQuoteIsAnError()
  {
    std::istringstream in(
        "name,url\r\n\"first\r\nrow\",http://a/\r\n\"second,http://b/\r\nthird,http://c/\r\n");
    CsvReader reader(in, "radio.csv");
    QVERIFY(reader.next());
    try {
      reader.next();
      QFAIL("no error");
    } catch (const std::runtime_error &error) {
      QVERIFY2(std::string_view(error.what()).find("radio.csv: the row that begins on line 4") !=
                   std::string_view::npos,
               error.what());
    }
  }
};

TESSIVAR_TEST_MAIN(TestCsvReader)
#include "test_csv_reader.moc"
