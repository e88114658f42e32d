#include "detect/unicode_repair.h"
#include "tests/support/mojibake.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace vorlex::detect {
namespace {

const Dictionary& dictionary() {
    static const Dictionary d;
    return d;
}

const std::vector<engine::FilterList> kStored = {
    engine::parseAction("wk wk"), engine::parseAction("mw"), engine::parseAction("wm")};

// What the first candidate's action makes of the text.
std::string repaired(const UnicodeRanking& ranking, std::string_view text) {
    if (ranking.candidates.empty())
        return "<no candidate>";
    engine::UnicodeActionError error{};
    const auto parsed = engine::parseUnicodeAction(ranking.candidates.front().action);
    const auto result = applyUnicodeAction(*parsed, text, true, {}, error);
    return result ? engine::resultAsUtf8(*result) : "<failed>";
}

class Family : public ::testing::TestWithParam<std::size_t> {};

TEST_P(Family, FirstCandidateGivesTheTextBackAndKeepsTheRest) {
    const auto& family = vorlex::test::mojibakeFamilies()[GetParam()];
    for (const std::string text :
         {"Вечером мы пошли гулять в парк.",
          "Отчёт за 2024 год: see https://example.org/report?id=42, версия 3.1 (draft).",
          // Signs the 8-bit pages have beside the letters, which no table to Win keeps.
          "Часть\u00a0II. Поверните рисунок на 90° и ещё раз на 45°.",
          // Nor one that glues a letter to the words after the no-break spaces.
          "Области окна:\n-\u00a0список файлов в левой и правой панелях;\n-\u00a0панель "
          "текущего каталога (адреса);\n-\u00a0панель функциональных клавиш;\n-\u00a0меню.",
          // A long chain that makes a short word of another ("ОП") must not win.
          "больше при балансировке нагрузке в одном большом наборе ЦП, чем между двумя "
          "маленькими наборами ЦП, каждый"}) {
        const std::string damaged = family.damage(text);
        const UnicodeRanking ranking = rankUnicode(dictionary(), damaged, kStored);
        EXPECT_EQ(repaired(ranking, damaged), text) << family.name;
        EXPECT_EQ(ranking.verdict, Verdict::repair) << family.name;
        EXPECT_LE(ranking.rankings, 3) << family.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Mojibake, Family, ::testing::Range<std::size_t>(0, 10),
                         [](const auto& info) {
                             return std::string(vorlex::test::mojibakeFamilies()[info.param].name);
                         });

TEST(UnicodeRepair, CorrectTextIsLeftAsItIs) {
    for (const std::string text :
         {"Привет, как дела? Всё хорошо, спасибо.", "Ёлки-палки, «ёжик» — это 100% правда №1.",
          "Имя файла: отчёт \uFFFD не прочитан, Иван."}) {
        const UnicodeRanking ranking = rankUnicode(dictionary(), text, kStored);
        ASSERT_FALSE(ranking.candidates.empty());
        EXPECT_EQ(ranking.verdict, Verdict::unchanged) << text;
        EXPECT_EQ(ranking.candidates.front().action, "");
        EXPECT_EQ(ranking.rankings, 1);
    }
    EXPECT_EQ(rankUnicode(dictionary(), "Grüße aus München, schöne Woche!", kStored).verdict,
              Verdict::none);
    EXPECT_TRUE(arrivesAsUnicode("Привет"));
    EXPECT_FALSE(arrivesAsUnicode("ascii only"));
    EXPECT_FALSE(arrivesAsUnicode("\xCF\xF0\xE8"));
}

// Characters no display page has (emoji, arrows, marked Latin letters) neither stop correct
// text from being left as it is nor a repair through UTF-8 from keeping them.
TEST(UnicodeRepair, CharactersOfNoPageSurvive) {
    const std::string text = "Готово 👍 — откройте Сервис → Параметры, шрифт «Noto Sans» 🎉 café.";
    const UnicodeRanking asItIs = rankUnicode(dictionary(), text, kStored);
    ASSERT_FALSE(asItIs.candidates.empty());
    EXPECT_EQ(asItIs.verdict, Verdict::unchanged);
    EXPECT_EQ(asItIs.candidates.front().label, text);
    const std::string damaged = vorlex::test::mojibakeFamilies()[0].damage(text);
    EXPECT_EQ(repaired(rankUnicode(dictionary(), damaged, kStored), damaged), text);
}

// UTF-8 read as Windows-1251 by a display that lost the undefined byte 0x98, shown as U+FFFD or
// dropped: the "И" of "Р\x98" and the ‘ of "вЂ\x98" come back, the other characters as the
// family's.
TEST(UnicodeRepair, ALostUndefinedByteOfWindows1251IsTakenBack) {
    const std::string text = "Информация: Иван сказал ‘Идите’ и ушёл. ФАЙЛЫ И ПАПКИ";
    for (const std::string lostAs : {"\uFFFD", ""}) {
        std::string damaged = vorlex::test::mojibakeFamilies()[0].damage(text);
        for (std::size_t at; (at = damaged.find("\u0098")) != std::string::npos;)
            damaged.replace(at, 2, lostAs);
        const UnicodeRanking ranking = rankUnicode(dictionary(), damaged, kStored);
        EXPECT_EQ(ranking.verdict, Verdict::repair) << damaged;
        EXPECT_EQ(repaired(ranking, damaged), text);
    }
}

// The search reads the start of a long text: where it cuts a UTF-8 character of the bytes in
// two, the repair is still found, and fits the whole text.
TEST(UnicodeRepair, ALongTextIsRepairedWhereverItsStartIsCut) {
    std::string text;
    while (text.size() < kUnicodeSearchBytes)
        text += "Вечером мы пошли гулять в парк, где растут высокие деревья. ";
    for (const std::string start : {"", "1 "}) { // both ways of cutting
        const std::string damaged = vorlex::test::mojibakeFamilies()[0].damage(start + text);
        const UnicodeRanking ranking = rankUnicode(dictionary(), damaged, kStored);
        EXPECT_EQ(repaired(ranking, damaged), start + text);
    }
}

// What a UTF-8 step gives is the repair, even where its words read poorly and a chain after it
// that only changes the case of letters scores better.
TEST(UnicodeRepair, AUtf8DecodingIsTakenAsItIs) {
    const auto& families = vorlex::test::mojibakeFamilies();
    for (const std::size_t family : {0, 1, 2, 3, 7})
        for (const std::string text :
             {"%3$S будет перезапущен.", "игнорированных сигналов,", "могут каскадироваться"}) {
            const std::string damaged = families[family].damage(text);
            const UnicodeRanking ranking = rankUnicode(dictionary(), damaged, kStored);
            EXPECT_EQ(ranking.verdict, Verdict::repair) << families[family].name << text;
            EXPECT_EQ(repaired(ranking, damaged), text) << families[family].name;
        }
}

// A damaged quote inside correct text is repaired where it is damaged or left as it is, never
// made worse.
TEST(UnicodeRepair, ADamagedQuoteIsNotMadeWorse) {
    for (const auto& family : vorlex::test::mojibakeFamilies()) {
        const std::string left = "Он написал мне «", right = "» и ушёл домой, не сказав ни слова.";
        const std::string text = left + family.damage("привет, как дела") + right;
        const UnicodeRanking ranking = rankUnicode(dictionary(), text, kStored);
        if (ranking.verdict != Verdict::none) {
            const std::string result = repaired(ranking, text);
            EXPECT_TRUE(result == text || result == left + "привет, как дела" + right)
                << family.name << result;
        }
        // The repair of the quote alone is labelled as every reading is: 199 characters.
        for (const UnicodeCandidate& candidate : ranking.candidates) {
            if (candidate.action.starts_with('@')) {
                EXPECT_EQ(std::count_if(candidate.label.begin(), candidate.label.end(),
                                        [](char c) { return (c & 0xC0) != 0x80; }),
                          199)
                    << candidate.label;
            }
        }
    }
    // Texts where a repair of the whole once won: a chain that turns every small letter into a
    // capital, or one that garbles the quote and a letter of the correct text, or the quote's
    // own repair, which breaks the rest.
    struct Quoted {
        std::size_t family;
        std::string left, quote, right;
    };
    for (const Quoted& q : std::vector<Quoted>{
             {7,
              "сохраняется с иным, чем обычный архив, расширением файла, примером таких "
              "файлов могут «",
              "адресной",
              "» быть, например, DOCX-файлы Microsoft Word, которые на самом деле представляют "
              "собой сжатые файлы"},
             {0, "точки углового узла выравниваются «", "все",
              "» в параллель и могут быть перемещены только одновременно. Контрольные точки"},
             {8, "не существует, «", "для группы\nДанные\nОбщие\nЛиния\nМетка",
              "» создайте его.\nТеперь перезапустите DC, откройте"}}) {
        const std::string text =
            q.left + vorlex::test::mojibakeFamilies()[q.family].damage(q.quote) + q.right;
        const UnicodeRanking ranking = rankUnicode(dictionary(), text, kStored);
        const UnicodeBest best = bestUnicodeRepair(ranking, text, {});
        if (best.candidate) {
            EXPECT_TRUE(best.utf8 == text || best.utf8 == q.left + q.quote + q.right)
                << best.candidate->action << best.utf8;
        }
    }
}

// A quote damaged through UTF-8 or a Western page inside correct text is repaired alone, by
// an action that names its characters and replays to the same text.
TEST(UnicodeRepair, ADamagedQuoteIsRepairedWhereItIsDamaged) {
    const auto& families = vorlex::test::mojibakeFamilies();
    for (const std::size_t family : {0, 1, 2, 3, 4, 5, 7, 8}) {
        const std::string left = "Чтобы продолжить работу, нажмите кнопку «",
                          right = "» внизу окна 😀 и подождите.";
        const std::string text = left + families[family].damage("Сохранить файл") + right;
        const UnicodeRanking ranking = rankUnicode(dictionary(), text, kStored);
        ASSERT_FALSE(ranking.candidates.empty());
        EXPECT_EQ(ranking.verdict, Verdict::repair) << families[family].name;
        EXPECT_EQ(ranking.candidates.front().action.substr(0, 4), "@41+")
            << families[family].name << ranking.candidates.front().action;
        EXPECT_EQ(repaired(ranking, text), left + "Сохранить файл" + right)
            << families[family].name;
    }
}

} // namespace
} // namespace vorlex::detect
