// Runs the built vorlex-cli as a user would, on real files and pipes.
#include "engine/code_tables.h"
#include "engine/cp1251.h"
#include "tests/support/cli_runner.h"
#include "tests/support/mojibake.h"
#include "tests/support/test_files.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iconv.h>
#include <string>
#include <vector>

namespace {

using vorlex::engine::win1251Literal;

using namespace vorlex::testing; // the runner, its fixture and the file helpers

class CliTest : public ProgramTest {
protected:
    CliRun run(const QStringList& args, const QByteArray& input = {},
               const QStringList& extraEnv = {}) {
        return runProgram(VORLEX_CLI_PATH, args, settings_, input, extraEnv);
    }

    static QByteArray win(const char* utf8) {
        return QByteArray::fromStdString(win1251Literal(utf8));
    }
};

// Converts with glibc iconv; an independent reference for the code pages.
QByteArray iconvConvert(const QByteArray& bytes, const char* from, const char* to) {
    iconv_t converter = iconv_open(to, from);
    EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
    QByteArray out(bytes.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(bytes.constData());
    char* dst = out.data();
    std::size_t inLeft = static_cast<std::size_t>(bytes.size());
    std::size_t outLeft = static_cast<std::size_t>(out.size());
    EXPECT_NE(iconv(converter, &in, &inLeft, &dst, &outLeft), static_cast<std::size_t>(-1));
    iconv_close(converter);
    out.resize(out.size() - static_cast<qsizetype>(outLeft));
    return out;
}

QByteArray allLetters() {
    return QByteArray::fromStdString(
        win1251Literal("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ абвгдежзийклмнопрстуфхцчшщъыьэюя\n"));
}

TEST_F(CliTest, SingleTablesAgreeWithIconvOnTheLetters) {
    struct Case {
        const char* action;
        const char* from;
        const char* to;
    };
    const Case cases[] = {
        {"wk", "CP1251", "KOI8-R"},     {"wi", "CP1251", "ISO-8859-5"},
        {"wa", "CP1251", "CP866"},      {"wm", "CP1251", "MAC-CYRILLIC"},
        {"kw", "KOI8-R", "CP1251"},     {"iw", "ISO-8859-5", "CP1251"},
        {"aw", "CP866", "CP1251"},      {"mw", "MAC-CYRILLIC", "CP1251"},
        {"ka", "KOI8-R", "CP866"},      {"ki", "KOI8-R", "ISO-8859-5"},
        {"ik", "ISO-8859-5", "KOI8-R"}, {"ia", "ISO-8859-5", "CP866"},
        {"ai", "CP866", "ISO-8859-5"},  {"ak", "CP866", "KOI8-R"},
    };
    const QByteArray winLetters = allLetters();
    for (const Case& c : cases) {
        const QByteArray source = iconvConvert(winLetters, "CP1251", c.from);
        const QByteArray expected = iconvConvert(winLetters, "CP1251", c.to);
        const CliRun result = run({"recode", "--action", c.action}, source);
        EXPECT_EQ(result.exitCode, 0) << c.action << result.err.toStdString();
        EXPECT_EQ(result.out, expected) << c.action;
    }
}

TEST_F(CliTest, EveryTableFollowedByItsInverseRestoresEveryByte) {
    QByteArray everyByte;
    for (int repeat = 0; repeat < 3; ++repeat)
        for (int b = 0; b < 256; ++b)
            everyByte.append(static_cast<char>(b));
    writeFile(path("bytes.bin"), everyByte);
    const char* pairs[][2] = {{"ai", "ia"}, {"ak", "ka"}, {"aw", "wa"},
                              {"ik", "ki"}, {"iw", "wi"}, {"kw", "wk"}};
    for (const auto& pair : pairs) {
        for (int order = 0; order < 2; ++order) {
            const std::string action = std::string(pair[order]) + " " + pair[1 - order];
            const CliRun result =
                run({"recode", "--action", QString::fromStdString(action), path("bytes.bin")});
            EXPECT_EQ(result.exitCode, 0) << action;
            EXPECT_EQ(result.out, everyByte) << action;
        }
    }
    // Through separate runs and a file as well: the two tables one after the other.
    ASSERT_EQ(run({"recode", "--action", "wk", path("bytes.bin"), "-o", path("koi.bin")}).exitCode,
              0);
    ASSERT_EQ(run({"recode", "--action", "kw", path("koi.bin"), "-o", path("back.bin")}).exitCode,
              0);
    EXPECT_EQ(readFile(path("back.bin")), everyByte);
}

TEST_F(CliTest, LatinRoundTripWithSeparateEnglish) {
    const char* texts[] = {"Привет John! мир", "Щи да каша", "Съешь же ещё этих мягких булок",
                           "СХ и Э", "Юла, Яма, Ёлка, Жук, Чай, Шар"};
    for (const char* text : texts) {
        const CliRun there = run({"recode", "--separate-english", "--action", "wl"}, win(text));
        ASSERT_EQ(there.exitCode, 0) << there.err.toStdString();
        const CliRun back = run({"recode", "--action", "lw"}, there.out);
        ASSERT_EQ(back.exitCode, 0);
        EXPECT_EQ(back.out, win(text)) << text << " via " << there.out.toStdString();
    }
    const CliRun marked =
        run({"recode", "--separate-english", "--action", "wl"}, win("Привет John! мир"));
    EXPECT_EQ(marked.out, QByteArray("Privet \\ John! \\ mir"));
}

TEST_F(CliTest, SwitchesComeFromTheSettingsWhenNotGiven) {
    writeFile(settings_, "[Parameters]\nW%20as%20Ve=1\nSparate%20english=1\n");
    EXPECT_EQ(run({"recode", "--action", "lw"}, "Wi").out, win("Ви"));
    EXPECT_EQ(run({"recode", "--action", "wl"}, win("Я John")).out, QByteArray("Ya \\ John"));
    // The command line switches a value on even when the store has it off.
    EXPECT_EQ(run({"recode", "--no-sj", "--action", "lw"}, "Sjuzhet").out, win("Сюжет"));
}

TEST_F(CliTest, Utf8InAndOut) {
    const CliRun result =
        run({"recode", "--from-utf8", "--to-utf8", "--action", "wk wk"}, "Двойная перекодировка");
    ASSERT_EQ(result.exitCode, 0);
    const CliRun back =
        run({"recode", "--from-utf8", "--to-utf8", "--action", "kw kw"}, result.out);
    EXPECT_EQ(back.out, QByteArray("Двойная перекодировка"));

    const CliRun bom = run({"recode", "--from-utf8", "--action", "wk"}, "\xEF\xBB\xBFЖ");
    EXPECT_EQ(bom.exitCode, 0);
    EXPECT_EQ(bom.out, QByteArray("\xF6"));

    const CliRun unmappable = run({"recode", "--from-utf8", "--action", "wk"}, "ok\nаб中x");
    EXPECT_EQ(unmappable.exitCode, 1);
    EXPECT_TRUE(unmappable.out.isEmpty());
    EXPECT_TRUE(unmappable.err.contains("U+4E2D")) << unmappable.err.toStdString();
    EXPECT_TRUE(unmappable.err.contains("line 2, column 3")) << unmappable.err.toStdString();

    const CliRun invalid = run({"recode", "--from-utf8", "--action", "wk"}, "a\xFF");
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_TRUE(invalid.err.contains("invalid UTF-8")) << invalid.err.toStdString();

    // Windows-1251 text shown as Western text, as the clipboard takes it: its bytes.
    const CliRun western = run({"recode", "--from-utf8", "--action", "kw"}, "Ïðèâåò");
    EXPECT_EQ(western.exitCode, 0) << western.err.toStdString();
    EXPECT_EQ(western.out, run({"recode", "--action", "kw"}, win("Привет")).out);
}

TEST_F(CliTest, StoredSchemesBeforeAndAfterTheStoreIsInitialised) {
    // Never initialised: the built-in schemes.
    const CliRun builtIn = run({"schemes"});
    ASSERT_EQ(builtIn.exitCode, 0);
    const QList<QByteArray> lines = builtIn.out.split('\n');
    ASSERT_EQ(lines.size(), 24); // 23 lines and the empty rest after the last newline
    EXPECT_EQ(lines[12], QByteArray("12\tДвойная Win->Koi\twk wk"));
    EXPECT_EQ(lines[22], QByteArray("22\tWin->Mac\twm"));
    EXPECT_EQ(run({"recode", "--scheme", "Двойная Win->Koi"}, win("Ж")).out,
              QByteArray(1, static_cast<char>(vorlex::engine::kCodeTables[11][0xF6 - 0x80])));

    // Initialised by the window: only what is stored, and nothing is written by the tool.
    const QByteArray stored = "[Parameters]\nFlag=1\nTotal%20schemes=2\n"
                              "[3]\nName=Mine\nAction=kw wl\n"
                              "[7]\nName=Only a name\n"
                              "[8]\nName=Koi\nAction=kw\n";
    writeFile(settings_, stored);
    const CliRun mine = run({"schemes"});
    EXPECT_EQ(mine.out, QByteArray("3\tMine\tkw wl\n8\tKoi\tkw\n"));
    const CliRun toKoi = run({"recode", "--action", "wk"}, win("Жук"));
    EXPECT_EQ(run({"recode", "--scheme", "Mine"}, toKoi.out).out, QByteArray("Zhuk"));
    EXPECT_EQ(readFile(settings_), stored);

    const CliRun missing = run({"recode", "--scheme", "Koi->Win"}, "x");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("Koi->Win"));
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    const QStringList bad[] = {
        {},
        {"frobnicate"},
        {"recode"},
        {"recode", "--action", "wk", "--scheme", "Win->Koi"},
        {"recode", "--action"},
        {"recode", "--action", "Wk"},
        {"recode", "--action", "wk", "--bogus"},
        {"recode", "--action", "wk", "a.txt", "b.txt"},
        {"schemes", "extra"},
    };
    for (const QStringList& args : bad) {
        const CliRun result = run(args);
        EXPECT_EQ(result.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
    }
    const CliRun help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("recode"));
}

TEST_F(CliTest, UnreadableInputsNameTheFileAndTheReason) {
    const CliRun missing = run({"recode", "--action", "kw", path("nope.txt")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("nope.txt: No such file or directory"))
        << missing.err.toStdString();

    const CliRun directory = run({"recode", "--action", "kw wl", dir_.path()});
    EXPECT_EQ(directory.exitCode, 1);
    EXPECT_TRUE(directory.err.contains("Is a directory")) << directory.err.toStdString();

    writeFile(path("empty.txt"), {});
    const CliRun empty = run({"recode", "--action", "kw wl", path("empty.txt")});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_TRUE(empty.out.isEmpty());
}

TEST_F(CliTest, FailedOutputLeavesTheTargetAlone) {
    writeFile(path("in.txt"), win("Текст"));
    writeFile(path("out.txt"), "previous contents");

    // A missing input must not touch an existing output.
    const CliRun missing =
        run({"recode", "--action", "wk", path("missing.txt"), "-o", path("out.txt")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(readFile(path("out.txt")), QByteArray("previous contents"));

    // An output folder that does not exist.
    const CliRun noFolder =
        run({"recode", "--action", "wk", path("in.txt"), "-o", path("no/such/out.txt")});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_TRUE(noFolder.err.contains("no/such/out.txt")) << noFolder.err.toStdString();

    // A file-size limit stops the write half-way: the old output must survive whole and no
    // temporary file may be left behind.
    QByteArray big(3 << 20, 'x');
    writeFile(path("big.txt"), big);
    QProcess shell;
    shell.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    shell.start("/bin/sh",
                {"-c", QString("ulimit -f 1024; exec '%1' recode --action kw '%2' -o '%3'")
                           .arg(VORLEX_CLI_PATH, path("big.txt"), path("out.txt"))});
    ASSERT_TRUE(shell.waitForFinished(60000));
    EXPECT_EQ(shell.exitCode(), 1) << shell.readAllStandardError().toStdString();
    EXPECT_EQ(readFile(path("out.txt")), QByteArray("previous contents"));
    const QStringList left = QDir(dir_.path()).entryList(QDir::Files);
    EXPECT_EQ(left, QStringList({"big.txt", "in.txt", "out.txt"}));
}

TEST_F(CliTest, TheSourceFileCanBeItsOwnOutput) {
    writeFile(path("text.txt"), win("Привет, мир"));
    ASSERT_EQ(run({"recode", "--action", "wk", path("text.txt"), "-o", path("text.txt")}).exitCode,
              0);
    ASSERT_EQ(
        run({"recode", "--action", "kw wl", path("text.txt"), "-o", path("text.txt")}).exitCode, 0);
    EXPECT_EQ(readFile(path("text.txt")), QByteArray("Privet, mir"));
}

TEST_F(CliTest, LargeInputStreamsThroughTables) {
    // Larger than one read chunk, with a non-multiple tail, zero bytes included.
    QByteArray big;
    for (int n = 0; n < (9 << 20) + 13; ++n)
        big.append(static_cast<char>((n * 7) & 0xFF));
    writeFile(path("big.bin"), big);
    ASSERT_EQ(run({"recode", "--action", "wk", path("big.bin"), "-o", path("koi.bin")}).exitCode,
              0);
    const QByteArray koi = readFile(path("koi.bin"));
    ASSERT_EQ(koi.size(), big.size());
    for (qsizetype i = 0; i < big.size(); i += 4099) {
        const auto b = static_cast<std::uint8_t>(big[i]);
        EXPECT_EQ(static_cast<std::uint8_t>(koi[i]),
                  vorlex::engine::applyTable(vorlex::engine::kCodeTables[11], b));
    }
    const CliRun back = run({"recode", "--action", "kw", path("koi.bin")});
    EXPECT_EQ(back.out, big);
}

// Ordinary Russian prose, as a user's mis-encoded file would hold it.
const char* const kProse =
    "Когда мы пришли домой, уже было темно. Он сказал, что они еще не ели, и мы сели за стол. "
    "Это был тихий вечер: на улице шел снег, а в доме было тепло и светло. Мама дала нам чай, "
    "хлеб и мед, и мы долго говорили о том, что будет завтра и где мы все будем жить летом.";

QByteArray winThrough(int table, const char* prose) {
    const std::string winText = win1251Literal(prose);
    QByteArray out;
    for (char c : winText)
        out.append(static_cast<char>(vorlex::engine::applyTable(vorlex::engine::kCodeTables[table],
                                                                static_cast<std::uint8_t>(c))));
    return out;
}

QByteArray koiProse(const char* prose = kProse) {
    return winThrough(vorlex::engine::kWinToKoi, prose);
}

TEST_F(CliTest, AutoFindsTheRepairFirst) {
    writeFile(path("koi.txt"), koiProse());
    const CliRun plain = run({"auto", path("koi.txt")});
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    const QList<QByteArray> lines = plain.out.trimmed().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines.front().startsWith("Koi->Win\tКогда мы пришли домой"))
        << lines.front().toStdString();
    EXPECT_TRUE(lines.back().startsWith("found ")) << lines.back().toStdString();

    const CliRun json = run({"auto", "--json", "--max", "3", path("koi.txt")});
    ASSERT_EQ(json.exitCode, 0);
    QJsonParseError parseError;
    const QJsonDocument parsed = QJsonDocument::fromJson(json.out, &parseError);
    ASSERT_EQ(parseError.error, QJsonParseError::NoError) << json.out.toStdString();
    const QJsonObject object = parsed.object();
    const QJsonArray variants = object["variants"].toArray();
    ASSERT_GE(variants.size(), 1);
    EXPECT_LE(variants.size(), 3);
    EXPECT_GE(object["found"].toInt(), variants.size());
    const QJsonObject first = variants[0].toObject();
    EXPECT_EQ(first["action"].toString(), "kw ");
    EXPECT_EQ(first["label"].toString().size(), 199);
    EXPECT_TRUE(first["label"].toString().startsWith(QString::fromUtf8("Когда мы пришли")));
    EXPECT_GT(first["score"].toDouble(), 0.0);
    EXPECT_GE(first["maximum"].toDouble(), first["score"].toDouble());

    const CliRun best = run({"auto", "--best", path("koi.txt"), "-o", path("fixed.txt")});
    ASSERT_EQ(best.exitCode, 0) << best.err.toStdString();
    EXPECT_EQ(readFile(path("fixed.txt")), win(kProse));
}

TEST_F(CliTest, AutoRefinedListsWithConfidence) {
    writeFile(path("koi.txt"), koiProse());
    const CliRun json = run({"auto", "--refined", "--json", "--max", "4", path("koi.txt")});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    QJsonParseError parseError;
    const QJsonObject object = QJsonDocument::fromJson(json.out, &parseError).object();
    ASSERT_EQ(parseError.error, QJsonParseError::NoError) << json.out.toStdString();
    ASSERT_TRUE(object["ambiguous"].isBool());
    EXPECT_FALSE(object["ambiguous"].toBool());
    EXPECT_EQ(object["verdict"].toString(), "repair");
    const QJsonArray variants = object["variants"].toArray();
    ASSERT_EQ(variants.size(), 4);
    const QJsonObject first = variants[0].toObject();
    EXPECT_EQ(first["action"].toString(), "kw ");
    EXPECT_TRUE(first["label"].toString().startsWith(QString::fromUtf8("Когда мы пришли")));
    EXPECT_GT(first["confidence"].toDouble(), 0.9);
    EXPECT_LE(first["confidence"].toDouble(), 1.0);
    EXPECT_LT(variants[1].toObject()["confidence"].toDouble(), first["confidence"].toDouble());
    EXPECT_GT(first["plausibility"].toDouble(), 0.5);
    // The found count stays the classic one.
    const CliRun classic = run({"auto", "--json", path("koi.txt")});
    EXPECT_EQ(object["found"].toInt(),
              QJsonDocument::fromJson(classic.out).object()["found"].toInt());

    const CliRun plain = run({"auto", "--refined", path("koi.txt")});
    ASSERT_EQ(plain.exitCode, 0);
    EXPECT_TRUE(plain.out.startsWith("Koi->Win\t")) << plain.out.left(80).toStdString();

    for (const char* ranking :
         {static_cast<const char*>("--classic"), static_cast<const char*>(nullptr)}) {
        QStringList args{"auto", "--best", path("koi.txt"), "-o", path("fixed.txt")};
        if (ranking)
            args.append(ranking);
        ASSERT_EQ(run(args).exitCode, 0);
        EXPECT_EQ(readFile(path("fixed.txt")), win(kProse));
    }
}

// Words of two to four letters that the dictionary does not hold: the classic ranking finds
// nothing at the highest precision, the refined one still repairs the text.
TEST_F(CliTest, AutoBestAnswersWhereTheClassicRankingFindsNothing) {
    const char* const prose = "Зимой шарф греет, лыжи скользят, пюре остывает быстро.";
    writeFile(path("koi.txt"), koiProse(prose));
    const CliRun listing = run({"auto", "--precision", "9", path("koi.txt")});
    ASSERT_EQ(listing.out, QByteArray("found 0\n"));
    const CliRun best =
        run({"auto", "--precision", "9", "--best", path("koi.txt"), "-o", path("fixed.txt")});
    ASSERT_EQ(best.exitCode, 0) << best.err.toStdString();
    EXPECT_EQ(readFile(path("fixed.txt")), win(prose));
    const CliRun classic =
        run({"auto", "--precision", "9", "--best", "--classic", path("koi.txt")});
    EXPECT_EQ(classic.exitCode, 1);
    EXPECT_TRUE(classic.out.isEmpty());
}

// Mac Cyrillic read as Win changes small text only where it holds я or ё, shown as Я and Ю,
// here inside words the word forms lack, at the start of a word and of words in a list, where
// the chains that make each an odd byte instead are many, and beside Mac's capitals and marks.
TEST_F(CliTest, AutoBestRepairsSmallTextWhereOnlyItsYaIsACapital) {
    for (const char* text :
         {"по всем вероятиям, возможно, верно, может быть, яро", "задаёт шаблон совпадающих имён",
          "маньяк; безумный, глупый", "исступленный, ярый, яростный, остервенелый,",
          "каталоги\n2.6. Персонализация новой записи в избранных каталогах\n2.7. Установка"}) {
        writeFile(path("mac.txt"), winThrough(vorlex::engine::kWinToMac, text));
        const CliRun best = run({"auto", "--best", path("mac.txt"), "-o", path("fixed.txt")});
        ASSERT_EQ(best.exitCode, 0) << best.err.toStdString();
        EXPECT_EQ(readFile(path("fixed.txt")), win(text)) << text;
    }
}

// --best writes text that needs no repair as it is, and nothing for bytes that are no Russian
// text in any reading.
TEST_F(CliTest, AutoBestLeavesRussianAsItIsAndRefusesWhatIsNoRussian) {
    writeFile(path("win.txt"), win(kProse));
    const CliRun same = run({"auto", "--best", path("win.txt"), "-o", path("out.txt")});
    ASSERT_EQ(same.exitCode, 0) << same.err.toStdString();
    EXPECT_EQ(readFile(path("out.txt")), win(kProse));
    const CliRun verdict = run({"auto", "--refined", "--json", path("win.txt")});
    const QJsonObject object = QJsonDocument::fromJson(verdict.out).object();
    EXPECT_EQ(object["verdict"].toString(), "unchanged");
    EXPECT_EQ(object["variants"].toArray()[0].toObject()["action"].toString(), "");

    QByteArray noise;
    for (int i = 0; i < 2000; ++i)
        noise.append(static_cast<char>((i * 7919 + i / 13) % 256));
    writeFile(path("noise.bin"), noise);
    const CliRun none = run({"auto", "--best", path("noise.bin"), "-o", path("none.txt")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_FALSE(QFile::exists(path("none.txt")));
    EXPECT_EQ(none.err.count('\n'), 1) << none.err.toStdString();
    EXPECT_TRUE(none.err.contains("plausible Russian")) << none.err.toStdString();
}

TEST_F(CliTest, TextArrivingAsUnicodeIsRepairedAndTheActionReplays) {
    const std::string text = "Когда мы пришли домой, уже было темно: see http://x.org/a?b=1.";
    for (const auto& family : vorlex::test::mojibakeFamilies()) {
        const QByteArray damaged = QByteArray::fromStdString(family.damage(text));
        writeFile(path("in.txt"), damaged);
        const CliRun best = run({"auto", "--best", "--to-utf8", path("in.txt")});
        ASSERT_EQ(best.exitCode, 0) << family.name << best.err.toStdString();
        EXPECT_EQ(best.out.toStdString(), text) << family.name;
        const CliRun json = run({"auto", "--refined", "--json", path("in.txt")});
        const QJsonObject object = QJsonDocument::fromJson(json.out).object();
        EXPECT_EQ(object["input"].toString(), "unicode");
        EXPECT_EQ(object["verdict"].toString(), "repair") << family.name;
        const QString action = object["variants"].toArray()[0].toObject()["action"].toString();
        const CliRun replay = run({"recode", "--action", action}, damaged);
        EXPECT_EQ(replay.out.toStdString(), text) << family.name << ' ' << action.toStdString();
    }
    // Correct Unicode text stays as it is, and comes out as UTF-8 without --to-utf8.
    const CliRun same = run({"auto", "--best"}, QByteArray::fromStdString(text));
    EXPECT_EQ(same.out.toStdString(), text);
    // --input bytes reads the UTF-8 of correct Russian text as 8-bit bytes: no Russian there.
    const CliRun bytes =
        run({"auto", "--best", "--input", "bytes"}, QByteArray::fromStdString(text));
    EXPECT_EQ(bytes.exitCode, 1);
    for (const QStringList& args :
         {QStringList{"recode", "--action", "uw 8u wk kw wk kw wk kw"},
          QStringList{"recode", "--action", "kw uw"}, QStringList{"auto", "--input", "text"},
          QStringList{"auto", "--input", "bytes", "--from-utf8"},
          QStringList{"batch", "--action", "uw 8u ", "--out", path("o"), path("in.txt")}})
        EXPECT_EQ(run(args, "x").exitCode, 2) << args.join(' ').toStdString();
    const CliRun lossy = run({"recode", "--action", "ue "}, "Привет");
    EXPECT_EQ(lossy.exitCode, 1);
    EXPECT_TRUE(lossy.out.isEmpty());
}

TEST_F(CliTest, AutoOnTextWithoutWords) {
    const CliRun plain = run({"auto"}, "just latin text, 12345");
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.out, QByteArray("found 0\n"));
    EXPECT_TRUE(plain.err.contains("cannot be recoded automatically")) << plain.err.toStdString();

    const CliRun json = run({"auto", "--json"}, "");
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out, QByteArray("{\"found\":0,\"variants\":[]}\n"));

    const CliRun best = run({"auto", "--best"}, "no words");
    EXPECT_EQ(best.exitCode, 1);
    EXPECT_TRUE(best.out.isEmpty());
    const CliRun empty = run({"auto", "--best"}, "");
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(empty.err.contains("the text is empty")) << empty.err.toStdString();

    // A device is refused at once, as the window refuses it.
    const CliRun device = run({"auto", "/dev/zero"});
    EXPECT_EQ(device.exitCode, 1);
    EXPECT_TRUE(device.err.contains("not a regular file")) << device.err.toStdString();
}

TEST_F(CliTest, AutoUsageErrors) {
    for (const QStringList& args :
         {QStringList{"auto", "--precision", "10"}, QStringList{"auto", "--precision", "x"},
          QStringList{"auto", "--max", "0"}, QStringList{"auto", "--max", "100"},
          QStringList{"auto", "--best", "--json"}, QStringList{"auto", "--refined", "--classic"},
          QStringList{"auto", "--best", "--refined"}}) {
        EXPECT_EQ(run(args, "x").exitCode, 2) << args.join(' ').toStdString();
    }
}

} // namespace
