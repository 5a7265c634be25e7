// The directory's keyword search without a catalogue: how a search text is read, which full-text query
// finds its candidates, how entries are scored, and the case folding and format flags behind them.
#include "server/folded_text.h"
#include "server/format_family.h"
#include "server/relevance_memo.h"
#include "server/search_expression.h"
#include "server/sqlite/fts_query.h"
#include "support/test_environment.h"

#include <QByteArrayList>

#include <array>
#include <map>
#include <vector>

using namespace tessivar::directory;

namespace {

std::string_view view(const QByteArray &bytes)
{
  return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QByteArray bytes(const std::string &text)
{
  return QByteArray::fromStdString(text);
}

// The expression written back with its marks: alternatives joined by ",", words by " ".
QByteArray written(const SearchExpression &expression)
{
  QByteArrayList alternatives;
  for (const auto &alternative : expression.alternatives) {
    QByteArrayList words;
    for (const auto &w : alternative) {
      words << QByteArray(w.fieldStart ? "`" : "") + (w.wordStart ? "^" : "") + w.core.toUtf8() +
                   (w.wordEnd ? "^" : "") + (w.fieldEnd ? "$" : "");
    }
    alternatives << words.join(' ');
  }
  return alternatives.join(',');
}

// entry: "name|format|location|genre", folded as the catalogue stores it.
int score(const QByteArray &text, SearchScope scope, const QByteArray &entry)
{
  const QList<QByteArray> parts = entry.split('|');
  const std::string name = foldedField(view(parts.value(0)));
  const std::string format = foldedField(view(parts.value(1)));
  const std::string location = foldedField(view(parts.value(2)));
  const std::string genre = foldedTags(view(parts.value(3)));
  return relevance(parseSearchText(view(text), scope), scope, {name, format, location, genre});
}

using B = QByteArray;  // keeps the table rows short

}  // namespace

Q_DECLARE_METATYPE(SearchScope)

class TestSearchLogic : public QObject
{
  Q_OBJECT

 private slots:
  void parsing_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<SearchScope>("scope");
    QTest::addColumn<QByteArray>("expected");
    const auto all = SearchScope::AllFields;
    const auto genre = SearchScope::GenreOnly;
    QTest::newRow("blanks and plus") << B("  jazz + blues\tfm ") << all << B("jazz blues fm");
    QTest::newRow("menu text") << B("^ska^,^ska$,ska-,ska/,skamusic,`ska") << all
                               << B("^ska^,^ska$,ska-,ska/,skamusic,`ska");
    QTest::newRow("empty alternatives") << B(",,jazz,, ,+,") << all << B("jazz");
    QTest::newRow("marks only") << B("^,$,`,^^$") << all << B("");
    QTest::newRow("marks on the wrong side") << B("$ska ska` a^b") << all << B("$ska ska` a^b");
    QTest::newRow("both end marks") << B("ska$^") << all << B("ska^$");
    QTest::newRow("apostrophe") << B("rock'n'roll") << all << B("rock'n'roll");
    QTest::newRow("control character") << B("zzz\0qqq", 7) << all << B("zzz qqq");
    QTest::newRow("category") << B("Talk/News") << genre << B("talk,news,information");
    QTest::newRow("two-word category") << B("big+band") << genre << B("big band,bigband");
    QTest::newRow("marked category") << B("^talk/news") << genre << B("^talk/news");
    QTest::newRow("category outside genres") << B("talk/news") << all << B("talk/news");
  }

  void parsing()
  {
    QFETCH(QByteArray, text);
    QFETCH(SearchScope, scope);
    QFETCH(QByteArray, expected);
    QCOMPARE(written(parseSearchText(view(text), scope)), expected);
  }

  void limits()
  {
    QByteArray alternatives;
    for (int i = 0; i < 40; ++i) alternatives += "word" + QByteArray::number(i) + ',';
    QCOMPARE(int(parseSearchText(view(alternatives), SearchScope::AllFields).alternatives.size()), 32);
    const QByteArray words = QByteArray("word ").repeated(20);
    QCOMPARE(int(parseSearchText(view(words), SearchScope::AllFields).alternatives.at(0).size()), 16);
  }

  void fullText_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<SearchScope>("scope");
    QTest::addColumn<QByteArray>("expected");
    const auto all = SearchScope::AllFields;
    QTest::newRow("one word") << B("jazz") << all << B(R"(("jaz" AND "azz"))");
    QTest::newRow("longer word first")
        << B("radio+germany") << all << B(R"(("ger" AND "man" AND "any" AND "rad" AND "dio"))");
    QTest::newRow("short word left out") << B("jazz+fm+jazz") << all << B(R"(("jaz" AND "azz"))");
    QTest::newRow("only short words") << B("fm") << all << B("");
    QTest::newRow("one alternative short") << B("jazz,fm") << all << B("");
    QTest::newRow("two characters in three UTF-16 units") << B("a\xF0\x9F\x98\x80") << all << B("");
    QTest::newRow("three characters") << B("日本語") << all << B(R"(("日本語"))");
    QTest::newRow("alternatives") << B("jazz,blues") << all << B(R"(("jaz" AND "azz") OR ("blu" AND "ues"))");
    QTest::newRow("menu text") << B("^ska^,^ska$,ska-,ska/,skamusic,`ska") << all << B(R"(("ska"))");
    QTest::newRow("wider alternative later") << B("radio+jazz,jazz") << all << B(R"(("jaz" AND "azz"))");
    QTest::newRow("quote") << B("say\"hi") << all << B(R"(("say" AND """hi"))");
    QTest::newRow("genres")
        << B("talk/news") << SearchScope::GenreOnly
        << B(R"(genre : ("tal" AND "alk") OR genre : ("new" AND "ews") OR genre : ("inf" AND "orm" AND "ati" AND "ion"))");
  }

  void fullText()
  {
    QFETCH(QByteArray, text);
    QFETCH(SearchScope, scope);
    QFETCH(QByteArray, expected);
    const SearchExpression expression = parseSearchText(view(text), scope);
    QCOMPARE(bytes(fullTextQuery(expression, scope)), expected);
  }

  void fullTextByRarestTrigram_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<SearchScope>("scope");
    QTest::addColumn<QByteArray>("expected");
    const auto all = SearchScope::AllFields;
    QTest::newRow("the rarest of all words") << B("Radio+GERMANY") << all << B(R"(("RMA"))");
    QTest::newRow("first of equals") << B("jazz") << all << B(R"(("jaz"))");
    QTest::newRow("each alternative") << B("chinese,jazz") << all << B(R"(("ese") OR ("jaz"))");
    QTest::newRow("short word still scans") << B("jazz,fm") << all << B("");
    QTest::newRow("genres") << B("chinese") << SearchScope::GenreOnly << B(R"(genre : ("ese"))");
  }

  void fullTextByRarestTrigram()
  {
    QFETCH(QByteArray, text);
    QFETCH(SearchScope, scope);
    QFETCH(QByteArray, expected);
    // Counts are looked up case-folded.
    const TrigramCount count = [](std::string_view trigram) -> std::uint32_t {
      return trigram == "rma" ? 1 : trigram == "ese" ? 5 : 100;
    };
    const SearchExpression expression = parseSearchText(view(text), scope);
    QCOMPARE(bytes(fullTextQuery(expression, scope, count)), expected);
  }

  void matching_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<bool>("matches");
    QTest::newRow("name") << B("ska") << B(" SKA Radio |MP3||") << true;
    QTest::newRow("format") << B("mp3") << B("Radio|MP3||") << true;
    QTest::newRow("location") << B("berlin") << B("Radio||Berlin, DE|") << true;
    QTest::newRow("nowhere") << B("ska") << B("Radio|MP3|Berlin|jazz") << false;
    QTest::newRow("every word") << B("jazz+fm") << B("Jazz Radio|||") << false;
    QTest::newRow("words in two fields") << B("jazz+berlin") << B("Jazz||Berlin|") << true;
    QTest::newRow("other alternative") << B("jazz+fm,blues") << B("Blues Radio|||") << true;
    QTest::newRow("inside a word") << B("^ska^") << B("Skate Radio|||") << false;
    QTest::newRow("between signs") << B("^ska^") << B("Radio (Ska)|||") << true;
    QTest::newRow("after a letter") << B("^ska") << B("日本ska|||") << false;
    QTest::newRow("after a sign") << B("^ska") << B("€ska|||") << true;
    QTest::newRow("before an accented letter") << B("ecole^") << B("ecoleé|||") << false;
    QTest::newRow("field end") << B("ska$") << B("Punk Ska|||") << true;
    QTest::newRow("not at field end") << B("ska$") << B("Ska Punk|||") << false;
    QTest::newRow("field start") << B("`ska") << B("Ska Punk|||") << true;
    QTest::newRow("tag start") << B("`ska") << B("Radio|||punk, ska punk") << true;
    QTest::newRow("tag end") << B("ska$") << B("Radio|||ska punk , punk ska") << true;
    QTest::newRow("not a tag end") << B("ska$") << B("Radio|||ska punk,rock") << false;
    QTest::newRow("dash") << B("ska-") << B("Radio|||ska-punk") << true;
    QTest::newRow("dash needed") << B("ska-") << B("Radio|||ska punk") << false;
    QTest::newRow("accents") << B("ÉCOLE") << B("radio école|||") << true;
    QTest::newRow("word cut short before an emoji")
        << B(99, 'a') + "\xF0\x9F\x98\x80" << B(99, 'a') + "\xF0\x9F\x98\x80|||" << true;
  }

  void matching()
  {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, entry);
    QFETCH(bool, matches);
    QCOMPARE(score(text, SearchScope::AllFields, entry) > 0, matches);
  }

  void genreScope()
  {
    QCOMPARE(score("jazz", SearchScope::GenreOnly, "Jazz FM|||rock"), 0);
    QVERIFY(score("talk/news", SearchScope::GenreOnly, "Radio|||local news") > 0);
  }

  // A search works out once what a word scores outside the name for entries that share their format,
  // location and genre (their genre alone in a genre search), and reads a name only for the words its
  // byte pairs do not rule out: every entry must score as on its own.
  void sharedScores()
  {
    const QList<QByteArray> entries = {
        "Jazz FM|MP3|Paris, France|jazz,blues", "Blues FM|MP3|Paris, France|jazz,blues",
        "Radio|MP3|Paris, France|jazz,blues",   "Radio|AAC|Paris, France|jazz,blues",
        "Radio|MP3|Jazz, France|jazz,blues",    "Radio|MP3|Paris, France|jazz",
        "Jazz Paris|AAC|Lyon, France|rock",     "Radio||Paris, France|jazz,blues"};
    std::vector<std::array<std::string, 4>> folded;
    // Numbered as a snapshot numbers them: alike outside the name, or in the genre.
    std::map<std::array<std::string, 3>, std::uint32_t> sharedFields;
    std::map<std::string, std::uint32_t> sharedGenre;
    for (const QByteArray &entry : entries) {
      const QList<QByteArray> parts = entry.split('|');
      folded.push_back({foldedField(view(parts[0])), foldedField(view(parts[1])), foldedField(view(parts[2])),
                        foldedTags(view(parts[3]))});
      sharedFields.try_emplace({folded.back()[1], folded.back()[2], folded.back()[3]}, sharedFields.size());
      sharedGenre.try_emplace(folded.back()[3], sharedGenre.size());
    }
    for (const SearchScope scope : {SearchScope::AllFields, SearchScope::GenreOnly}) {
      for (const char *text : {"jazz", "jazz paris", "radio,blues fm", "^jazz$ mp3", "france,aac rock"}) {
        const SearchExpression expression = parseSearchText(text, scope);
        RelevanceMemo memo(expression, scope, 1'000'000);
        for (int round = 0; round < 2; ++round) {
          for (qsizetype i = 0; i < entries.size(); ++i) {
            const auto &f = folded[i];
            const EntryText fields{f[0], f[1], f[2], f[3]};
            const std::uint32_t shared =
                scope == SearchScope::GenreOnly ? sharedGenre[f[3]] : sharedFields[{f[1], f[2], f[3]}];
            QVERIFY2(memo(fields, shared, bytePairBits(f[0])) == relevance(expression, scope, fields),
                     text + (" / " + entries[i]));
          }
        }
      }
    }
  }

  void ranking_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("better");
    QTest::addColumn<QByteArray>("worse");
    QTest::newRow("whole word") << B("jazz") << B("Smooth Jazz FM|||") << B("Smooth Jazzy FM|||");
    QTest::newRow("field start") << B("jazz") << B("Jazz Smooth FM|||") << B("Smooth Jazz FM|||");
    QTest::newRow("name before genre") << B("jazz") << B("Jazz FM|||") << B("Radio|||jazz");
    QTest::newRow("genre before location") << B("jazz") << B("Radio|||jazz") << B("Radio||Jazz|");
    QTest::newRow("a tag is a field") << B("ska") << B("Radio|||rock,ska") << B("Radio|||rock ska");
    QTest::newRow("best alternative") << B("blues,jazz") << B("Jazz|||") << B("Radio|||jazz");
  }

  void ranking()
  {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, better);
    QFETCH(QByteArray, worse);
    QVERIFY(score(text, SearchScope::AllFields, better) > score(text, SearchScope::AllFields, worse));
  }

  void folding_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("accents") << B("ÉCOLE Ça") << B("école ça");
    QTest::newRow("final sigma") << B("ΣΟΦΟΣ σοφος") << B("σοφοσ σοφοσ");
    QTest::newRow("cyrillic") << B("МОСКВА") << B("москва");
    QTest::newRow("sharp s keeps its length") << B("Straße") << B("straße");
    QTest::newRow("beyond the BMP") << B("\xF0\x90\x90\x80") << B("\xF0\x90\x90\xA8");
  }

  void folding()
  {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytes(foldedText(QString::fromUtf8(text))), expected);
  }

  void fields()
  {
    QCOMPARE(bytes(foldedField("\xC2\xA0 Jazz FM \t")), "jazz fm");
    QCOMPARE(bytes(foldedField("A\xFF")), "a\xEF\xBF\xBD");  // an invalid byte reads as U+FFFD
    QCOMPARE(bytes(foldedField(" \tJAZZ Fm\r\n")), "jazz fm");
    QCOMPARE(bytes(foldedTags(" Ska , REGGAE ,, ")), "ska,reggae,,");
  }

  void wholeWords_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<bool>("expected");
    QTest::newRow("inside a name") << B("Smooth Jazz FM") << B("jazz") << true;
    QTest::newRow("part of a word") << B("JazzFM") << B("jazz") << false;
    QTest::newRow("second occurrence") << B("jazzy jazz") << B("jazz") << true;
    QTest::newRow("accented letter after") << B("écoleé") << B("ÉCOLE") << false;
    QTest::newRow("ASCII word, accented letter after") << B("Jazzé FM") << B("jazz") << false;
    QTest::newRow("ASCII word, Kelvin sign for K") << B("\u212Aiss FM") << B("kiss") << true;
    QTest::newRow("ASCII word, long s for s") << B("Gro\u00DFe \u017Fka") << B("SKA") << true;
    QTest::newRow("ASCII word absent from accented text") << B("Caf\u00E9 Jazz") << B("rock") << false;
    QTest::newRow("digits join") << B("80s90s") << B("80s") << false;
    QTest::newRow("last word") << B("Hits of the 80s") << B("80S") << true;
  }

  void wholeWords()
  {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, word);
    QFETCH(bool, expected);
    QCOMPARE(containsWholeWord(QString::fromUtf8(text), QString::fromUtf8(word)), expected);
    QCOMPARE(containsWholeWord(std::string_view(text.constData(), text.size()),
                               std::string_view(word.constData(), word.size())),
             expected);
    QCOMPARE(WholeWordSearch(std::string_view(text.constData(), text.size()))
                 .contains(std::string_view(word.constData(), word.size())),
             expected);
  }

  // Each flag of a request selects its own families, and together they select every known family.
  void formatFlags()
  {
    using F = FormatFamily;
    const std::pair<const char *, std::uint32_t> table[] = {
        {"RA", familyBit(F::RealAudio)},
        {"MA", familyBit(F::Mp3)},
        {"RV", familyBit(F::RealVideo)},
        {"NA", familyBit(F::WindowsAudio)},
        {"NV", familyBit(F::WindowsVideo)},
        {"NAF", familyBit(F::WindowsFtp)},
        {"AV", familyBit(F::Avi)},
        {"MPEGF", familyBit(F::MpegFtp)},
        {"WA", familyBit(F::Wav)},
        {"SW", familyBit(F::StreamWorks)},
        {"WAVF", familyBit(F::WavFtp)},
        {"MP3F", familyBit(F::Mp3Ftp)},
        {"MPEG", familyBit(F::Mpeg) | familyBit(F::HlsVideo)}};
    std::uint32_t seen = 0;
    int count = 0;
    for (const char *const *flag = formatFlagNames(); *flag; ++flag, ++count) {
      QVERIFY2(count < 13 && std::string_view(table[count].first) == *flag, *flag);  // the client's order
      QCOMPARE(familiesForFlag(*flag), table[count].second);
      seen |= table[count].second;
    }
    QCOMPARE(count, 13);
    QCOMPARE(seen, allFamilies & ~familyBit(F::Unknown));
    for (const char *unknown : {"ma", "MP4", ""}) QCOMPARE(familiesForFlag(unknown), 0u);
  }
};

TESSIVAR_TEST_MAIN(TestSearchLogic)
#include "test_search_logic.moc"
