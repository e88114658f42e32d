#include "detect/candidates.h"
#include "detect/input_need.h"
#include "detect/list_line.h"
#include "detect/refined_ranking.h"
#include "detect/word_forms.h"
#include "engine/code_tables.h"
#include "engine/cp1251.h"
#include "engine/recode.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorlex::detect {
namespace {

using engine::FilterList;

const char* const kProse =
    "Когда мы пришли домой, уже было темно. Он сказал, что они еще не ели, и мы сели за стол. "
    "Это был тихий вечер: на улице шел снег, а в доме было тепло и светло.";

std::string through(const FilterList& chain, const std::string& text) {
    const auto map = engine::composeTables(chain);
    std::string out = text;
    for (char& ch : out)
        ch = static_cast<char>((*map)[static_cast<std::uint8_t>(ch)]);
    return out;
}

std::vector<FilterList> builtInStoredChains() {
    return {engine::parseAction("wk wk"), engine::parseAction("mw"), engine::parseAction("wm")};
}

const Dictionary& dictionary() {
    static const Dictionary d;
    return d;
}

// The first candidate must give the text back, whichever single damage it suffered; the mac
// repair exists only as a stored scheme.
TEST(RefinedRanking, RepairsEachSingleDamageFirst) {
    const std::string win = engine::win1251Literal(kProse);
    for (const char* damage : {"wk", "wi", "wa", "wm"}) {
        const std::string damaged = through(engine::parseAction(damage), win);
        const RefinedRanking ranking =
            refineRanking(dictionary(), sampleSource(damaged), builtInStoredChains());
        ASSERT_FALSE(ranking.candidates.empty()) << damage;
        EXPECT_EQ(through(ranking.candidates.front().chain, damaged), win) << damage;
        EXPECT_FALSE(ranking.ambiguous) << damage;
        EXPECT_GT(ranking.candidates.front().confidence, 0.9) << damage;
    }
}

TEST(RefinedRanking, RepairsAChainOfThreeFilters) {
    const std::string win = engine::win1251Literal(kProse);
    const std::string damaged = through(engine::parseAction("wk ia wi"), win);
    const RefinedRanking ranking = refineRanking(dictionary(), sampleSource(damaged), {});
    ASSERT_FALSE(ranking.candidates.empty());
    EXPECT_EQ(through(ranking.candidates.front().chain, damaged), win);
}

// Every candidate gives a different sample text, confidences fall with the rank and add up to
// at most 1, and the list is cut at the requested length.
TEST(RefinedRanking, CandidatesAreDistinctAndOrdered) {
    const std::string damaged = through(engine::parseAction("wk"), engine::win1251Literal(kProse));
    const Sample sample = sampleSource(damaged);
    const RefinedRanking ranking = refineRanking(dictionary(), sample, builtInStoredChains(), 7);
    ASSERT_EQ(ranking.candidates.size(), 7u);
    double sum = 0;
    for (std::size_t i = 0; i < ranking.candidates.size(); ++i) {
        const RefinedCandidate& c = ranking.candidates[i];
        EXPECT_EQ(c.label, variantLabel(sample, c.chain));
        EXPECT_EQ(c.action, engine::chainActionString(c.chain));
        sum += c.confidence;
        if (i > 0) {
            EXPECT_LE(c.score, ranking.candidates[i - 1].score);
            EXPECT_LE(c.confidence, ranking.candidates[i - 1].confidence);
        }
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(through(c.chain, std::string(sample.textSample())),
                      through(ranking.candidates[j].chain, std::string(sample.textSample())));
    }
    EXPECT_LE(sum, 1.0 + 1e-9);
    // The first candidate of equal texts is the shortest chain: Koi->Win itself.
    EXPECT_EQ(ranking.candidates.front().action, "kw ");
}

// A text without any byte from 0x80 up cannot be changed by any chain.
TEST(RefinedRanking, NothingToRankWithoutHighBytes) {
    EXPECT_TRUE(
        refineRanking(dictionary(), sampleSource("plain ascii text"), {}).candidates.empty());
    EXPECT_TRUE(
        refineRanking(dictionary(), sampleSource(std::string_view{}), {}).candidates.empty());
}

// A word whose case changes inside it is counted as mixed and earns no dictionary hit, though
// its folded form is a dictionary word.
TEST(RefinedRanking, JudgesCaseInsideWords) {
    const TextJudgement good = judgeText(dictionary(), engine::win1251Literal("он и ОНА Она"));
    EXPECT_EQ(good.mixedCaseWords, 0);
    EXPECT_EQ(good.letters, 9);
    EXPECT_GE(good.dictionaryHits, 2);
    const TextJudgement bad = judgeText(dictionary(), engine::win1251Literal("оН ОнА"));
    EXPECT_EQ(bad.mixedCaseWords, 2);
    EXPECT_EQ(bad.dictionaryHits, 0);
    EXPECT_LT(bad.bigram, good.bigram);
}

// Bytes no Russian text holds cost more than the letters they replace.
TEST(RefinedRanking, OddBytesCostMore) {
    const std::string word = engine::win1251Literal("слово");
    std::string odd = word;
    odd[2] = '\x98'; // unassigned in Windows-1251
    EXPECT_LT(judgeText(dictionary(), odd).bigram, judgeText(dictionary(), word).bigram);
}

TEST(RefinedRanking, StoredSchemeChainsSkipTransliterationAndSingleFilters) {
    PassSetup setup;
    setup.schemeItems = {kAutoItem, 0, 1, kAutoItem, 2, 3, 4};
    const std::vector<std::string> actions = {"wk wk", "kw", "kw wl", "mw"};
    setup.readAction = [&actions](int n) {
        return n < static_cast<int>(actions.size()) ? actions[static_cast<std::size_t>(n)]
                                                    : std::string(kMissingValue);
    };
    const std::vector<FilterList> chains = storedSchemeChains(setup);
    ASSERT_EQ(chains.size(), 2u);
    EXPECT_EQ(chains[0], engine::parseAction("wk wk"));
    EXPECT_EQ(chains[1], engine::parseAction("mw"));
}

RefinedRanking rankDocument(const std::string& document) {
    return refineRanking(dictionary(), sampleSource(document), document, builtInStoredChains());
}

// Text that needs no repair is answered "unchanged" with the text as it is first; a damaged
// text without any word of two to four letters is still repaired.
TEST(RefinedRanking, VerdictsOnRussianText) {
    const std::string win = engine::win1251Literal(kProse);
    const RefinedRanking asItIs = rankDocument(win);
    EXPECT_EQ(asItIs.verdict, Verdict::unchanged);
    EXPECT_EQ(asItIs.candidates.front().chain.count, 0);
    EXPECT_EQ(asItIs.candidates.front().action, "");
    EXPECT_GE(asItIs.candidates.front().plausibility, kPlausibleFrom);

    const std::string heading = engine::win1251Literal("Интернационализация и переводы");
    const std::string damaged = through(engine::parseAction("wi"), heading);
    ASSERT_FALSE(sampleSource(damaged).hasWords());
    const RefinedRanking repaired = rankDocument(damaged);
    EXPECT_EQ(repaired.verdict, Verdict::repair);
    EXPECT_EQ(through(repaired.candidates.front().chain, damaged), heading);
    EXPECT_TRUE(repaired.plausible(0));
}

// Mac Cyrillic read as Windows-1251 keeps the small letters and turns capitals and marks into
// signs or other letters: "…сли" for "Если", "З{ $name }И" for «{ $name }», a lone "С" for a
// dash, "Ядра" for "ядра", "“казать" for "Указать", "50%КР" for a no-break space and a dash.
// Where a sign sits beside a letter (or a capital in mid-sentence), the words a recoding makes
// real, a word glued to a percent sign and a quote that nothing closes give the damage away;
// the text itself is still left as it is.
TEST(RefinedRanking, WeighsWhereMarksAndCapitalsStand) {
    for (const char* text :
         {"как только вы его откроете. Если их там нет, перейдите к панели",
          "будет показано окно с сообщением \"Убедитесь,",
          "шрифт из списка.\nУстановите этот флажок,",
          "панелей, например, 50%\u00A0– одинакового размера.",
          "используем формат \\x{nnnn}, где nnnn\u00A0– одна или более шестнадцатеричных цифр",
          "установлено, но оно повреждено.\nФайл «{ $name }» не может быть открыт",
          "пространства ввода и вывода — это продолжать чтение или запись",
          "используемые структуры данных ядра, такие как таблицы",
          "в открытом документе. Чтобы просмотреть его, нажмите кнопку"}) {
        const std::string win = engine::win1251Literal(text);
        const std::string damaged = through(engine::parseAction("wm"), win);
        const RefinedRanking repaired = rankDocument(damaged);
        ASSERT_FALSE(repaired.candidates.empty()) << text;
        EXPECT_EQ(through(repaired.candidates.front().chain, damaged), win) << text;
        EXPECT_EQ(repaired.verdict, Verdict::repair) << text;
        EXPECT_EQ(rankDocument(win).verdict, Verdict::unchanged) << text;
    }
}

// A recoding that makes no word real loses to the text as it is: one that swaps a capital for
// another real word or joins a quote mark to a word, and one that only turns a damaged quote
// inside correct text into other garbage.
TEST(RefinedRanking, KeepsTheTextAgainstARecodingThatMakesNoWordReal) {
    const std::string quote = through(engine::parseAction("wk"), engine::win1251Literal("привет"));
    for (const std::string& text :
         {engine::win1251Literal("Не удалось открыть файл: доступ «строго» запрещён."),
          engine::win1251Literal("Он написал мне «") + quote +
              engine::win1251Literal("» и ушёл домой, не сказав больше ни слова.")}) {
        const RefinedRanking ranking = rankDocument(text);
        ASSERT_FALSE(ranking.candidates.empty());
        EXPECT_EQ(ranking.candidates.front().chain.count, 0) << ranking.candidates.front().action;
        EXPECT_NE(ranking.verdict, Verdict::repair);
        EXPECT_NE(ranking.verdict, Verdict::ambiguous);
    }
}

// Real text that the word forms hardly cover stays plausible: names of functions in capitals,
// help indented with no-break spaces, words numbered by a digit and a message's literal \n.
TEST(RefinedRanking, UnchangedForRealTextBeyondTheWordForms) {
    std::string indent;
    for (int i = 0; i < 16; ++i)
        indent += '\xA0';
    for (const std::string& text :
         {engine::win1251Literal("СРЗНАЧ\nСУММЕСЛИ\nСЧЁТЕСЛИ\nОКРУГЛВВЕРХ\nПРОПИСН\nСТРОЧН\nДЛСТР\n"
                                 "ЛЕВСИМВ\nПРАВСИМВ\nСЦЕПИТЬ\nСЕГОДНЯ\nДЕНЬНЕД"),
          indent +
              engine::win1251Literal("Если изображение уменьшается не в целое число раз, "
                                     "качество может заметно пострадать.\n") +
              indent + engine::win1251Literal("Лучше выбрать другой размер."),
          engine::win1251Literal("Лист1, Лист2 и Лист3 — это листы книги.\\nНе удалось "
                                 "сохранить файл.\\nПопробуйте ещё раз."),
          // A search term glued to a word, a Latin look-alike inside one.
          engine::win1251Literal("~Vверсия\nВыбирает версию"),
          engine::win1251Literal("Cервер входящей почты"),
          // Units with a capital after a small letter.
          engine::win1251Literal("Объём 8 КиБ, частота 5 кГц, ток 2 мА")})
        EXPECT_EQ(rankDocument(text).verdict, Verdict::unchanged) << text.substr(0, 30);
}

// Words of the general vocabulary that the word forms and the manuals lack are still Russian
// text: left as they are, and their damage repaired rather than answered none.
TEST(RefinedRanking, RareWordsAreStillRussianText) {
    for (const char* text : {"отчихвостить, отдуть, отшелушить на обе корки;",
                             "облапошить, облимонить, облукавить, объегорить",
                             "поверстно, повизитно,", "гомзиха, жидомор, гарпагон, кащей,"}) {
        const std::string win = engine::win1251Literal(text);
        EXPECT_EQ(rankDocument(win).verdict, Verdict::unchanged) << text;
        for (const char* damage : {"wk", "wi", "wa"}) {
            const std::string damaged = through(engine::parseAction(damage), win);
            const RefinedRanking repaired = rankDocument(damaged);
            EXPECT_EQ(repaired.verdict, Verdict::repair) << text << ' ' << damage;
            EXPECT_EQ(through(repaired.candidates.front().chain, damaged), win) << text;
        }
    }
}

// Messages as catalogues hold them: an accelerator mark inside a word (GTK's _, Qt's &,
// LibreOffice's ~) and a directive or placeholder are no part of the words, so the message is
// real text and each damage of it is repaired. An underscore between two words still parts them.
TEST(RefinedRanking, ReadsMessagesPastTheirMarkup) {
    for (const char* text : {"Закры_ть вкладку %1$s", "Отпра&вленные: %lu", "Е~щё %d файлов",
                             "Копироват_ь { $count } местоположения"}) {
        const std::string win = engine::win1251Literal(text);
        EXPECT_EQ(rankDocument(win).verdict, Verdict::unchanged) << text;
        for (const char* damage : {"wk", "wi", "wa", "wm"}) {
            const std::string damaged = through(engine::parseAction(damage), win);
            const RefinedRanking repaired = rankDocument(damaged);
            EXPECT_EQ(repaired.verdict, Verdict::repair) << text << ' ' << damage;
            EXPECT_EQ(through(repaired.candidates.front().chain, damaged), win) << text;
        }
    }
    const TextJudgement names = judgeText(dictionary(), engine::win1251Literal("база_данных"));
    EXPECT_EQ(names.words, 2);
    EXPECT_EQ(names.knownWords, 2);
}

// A longer text is judged no more surely implausible than its first twenty words: messages of
// a program with terms the word forms lack stay as they are however many of them there are.
TEST(RefinedRanking, LengthAddsNoDoubtToRealText) {
    const std::string messages = engine::win1251Literal(
        "Ошибка: симлинк /var/cache указывает в никуда, суперблок раздела sdb1 битый, "
        "конфиг не распарсен, токен «include» неизвестен, кэш устарел.\n");
    std::string many;
    for (int i = 0; i < 8; ++i)
        many += messages;
    EXPECT_GT(plausibility(dictionary(), many), plausibility(dictionary(), messages) / 2);
    EXPECT_EQ(rankDocument(many).verdict, Verdict::unchanged);
}

// Bytes that are no Russian text in any reading: every candidate is implausible.
TEST(RefinedRanking, NoneForTextThatIsNoRussian) {
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += static_cast<char>((i * 7919 + i / 13) % 256);
    const std::string utf8AsWin(kProse); // UTF-8 bytes read as Windows-1251
    const std::string english = "The \x93quick\x94 fox \x96 it\x92s over the lazy dog again.";
    // Western text: its accented letters, or the bytes of a UTF-8 quote, glued to Latin ones.
    const std::string french = "Le caf\xE9 \xE9tait tr\xE8s l\xE9ger \xE0 c\xF4t\xE9.";
    const std::string quoted = "The \xE2\x80\x9Clocal exec\xE2\x80\x9D is the default.";
    for (const std::string& text : {bytes, utf8AsWin, english, french, quoted}) {
        const RefinedRanking ranking = rankDocument(text);
        EXPECT_EQ(ranking.verdict, Verdict::none) << text.substr(0, 40);
        for (std::size_t i = 0; i < ranking.candidates.size(); ++i)
            EXPECT_FALSE(ranking.plausible(i));
        EXPECT_FALSE(documentChain(ranking, text));
    }
}

// Capitals with no real word among them do not stay against a recoding into small letters
// that makes one.
TEST(RefinedRanking, GarbageInCapitalsIsNoTextToKeep) {
    const std::string damaged = through(engine::parseAction("wk"),
                                        engine::win1251Literal("flex-, сеточным многоколоночным"));
    const RefinedRanking ranking = rankDocument(damaged);
    ASSERT_FALSE(ranking.candidates.empty());
    EXPECT_EQ(ranking.candidates.front().action, "kw ");
    EXPECT_NE(ranking.verdict, Verdict::unchanged);
}

// A word of two letters is found among the word forms too often to outweigh three more
// filters: "ЦП" stays, though a chain of four makes it "ОП".
TEST(RefinedRanking, AShortWordDoesNotCallForALongerChain) {
    for (const char* text : {"вызывающего освободить ЦП для выполнения других",
                             "значение, то после fork (2) первым на ЦП"}) {
        const std::string win = engine::win1251Literal(text);
        const std::string damaged = through(engine::parseAction("wk"), win);
        const RefinedRanking ranking = rankDocument(damaged);
        ASSERT_FALSE(ranking.candidates.empty());
        EXPECT_EQ(ranking.candidates.front().action, "kw ") << text;
    }
}

TEST(RefinedRanking, WordFormsDecideALoneCapital) {
    EXPECT_TRUE(isRussianWordForm(engine::win1251Literal("чтобы")));
    EXPECT_TRUE(isRussianWordForm(engine::win1251Literal("переводы")));
    EXPECT_FALSE(isRussianWordForm(engine::win1251Literal("стобы")));
    EXPECT_FALSE(isRussianWordForm(engine::win1251Literal("ымулятор")));
    const std::string word = engine::win1251Literal("Чтобы");
    for (const char* damage : {"wm", "mw"}) {
        const std::string damaged = through(engine::parseAction(damage), word);
        EXPECT_EQ(through(rankDocument(damaged).candidates.front().chain, damaged), word) << damage;
    }
}

// A chain right on the sample but wrong past it loses to one right throughout: the letter ф
// first appears after the judged part.
TEST(RefinedRanking, TheWholeDocumentDecides) {
    std::string win;
    while (win.size() < 2 * kRefinedSampleBytes)
        win += engine::win1251Literal("Он сказал, что они еще не ели, и мы сели за стол. ");
    win += engine::win1251Literal("Файл фильтра и формат ФАЙЛА. ");
    const FilterList damage = engine::parseAction("wk");
    const std::string koi = through(damage, win);
    const std::string sample(refinedSample(koi));
    ASSERT_EQ(sample.find(through(damage, engine::win1251Literal("ф"))), std::string::npos);
    // A chain that reads the sample as Koi->Win does but the rest otherwise.
    const std::string wanted = through(engine::parseAction("kw"), sample);
    std::optional<FilterList> wrong;
    for (int stage = 2; stage <= 4 && !wrong; ++stage)
        for (const FilterList& chain : stageChains(stage))
            if (through(chain, sample) == wanted && through(chain, koi) != win) {
                wrong = chain;
                break;
            }
    ASSERT_TRUE(wrong);
    RefinedRanking ranking = rankDocument(koi);
    ASSERT_EQ(ranking.verdict, Verdict::repair);
    RefinedCandidate& first = ranking.candidates.front();
    first.chain = *wrong;
    first.sameSampleChains.insert(first.sameSampleChains.begin(), *wrong);
    const std::optional<FilterList> chosen = documentChain(ranking, koi);
    ASSERT_TRUE(chosen);
    EXPECT_TRUE(through(*chosen, koi) == win)
        << engine::chainActionString(*wrong) << " / " << engine::chainActionString(*chosen);
}

// A listing may stop reading once the prefix decides both samples; text without words never
// decides the classic one.
TEST(RefinedRanking, APrefixSufficesOnceTheSamplesAreDecided) {
    const std::string words = engine::win1251Literal(
        "он мы не за на до по из от же ли бы кот дом лес мир сад сон дым лук мед сыр чай "
        "река рука нога вода луна зима лето гора нора кора пора. ");
    std::string document;
    while (document.size() < (std::size_t{1} << 17))
        document += through(engine::parseAction("wk"), words) + "\n";
    const auto bytes =
        std::span(reinterpret_cast<const std::uint8_t*>(document.data()), document.size());
    std::size_t enough = 0;
    for (std::size_t size = 1024; size <= bytes.size() && enough == 0; size *= 2)
        if (prefixSuffices(bytes.first(size)))
            enough = size;
    ASSERT_GT(enough, 0u);
    const Sample whole = sampleSource(bytes);
    const Sample prefix = sampleSource(bytes.first(enough));
    EXPECT_EQ(prefix.text, whole.text);
    EXPECT_EQ(prefix.fourLetter, whole.fourLetter);
    const std::vector<std::uint8_t> zeros(std::size_t{1} << 17, 0);
    EXPECT_FALSE(prefixSuffices(zeros));
}

} // namespace
} // namespace vorlex::detect
