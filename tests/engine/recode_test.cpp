#include "engine/recode.h"
#include "tests/engine/test_support.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorlex::engine {
namespace {

using test::Bytes;
using test::encode;
using test::hex;
using test::toBytes;
using test::win;

constexpr std::uint8_t kUntouched = 0xEE;

Bytes withTerminator(Bytes bytes) {
    bytes.push_back(0);
    return bytes;
}

Bytes padded(Bytes bytes, std::size_t size, std::uint8_t fill) {
    bytes.resize(size, fill);
    return bytes;
}

// Recode text over exactly `source.size()` bytes; dest is prefilled so untouched bytes show.
Bytes recodeTextOf(const Bytes& source, std::string_view action, bool control = false,
                   LatinOptions options = {}) {
    Bytes dest(source.size() + 4, kUntouched);
    const RecodeStatus status =
        recodeText(dest, source, parseAction(action), source.size(), control, options);
    EXPECT_EQ(status, RecodeStatus::ok);
    for (std::size_t i = source.size(); i < dest.size(); ++i)
        EXPECT_EQ(dest[i], kUntouched) << "byte " << i << " written past len";
    dest.resize(source.size());
    return dest;
}

struct DocumentRun {
    DocumentResult result;
    Bytes work;
};

// Recode document with a work buffer of workBufferSize() bytes, or `workSize` when given; the
// work buffer lies inside a larger one filled with a sentinel to catch writes past its end.
DocumentRun recodeDocumentOf(const Bytes& document, const FilterList& filters,
                             LatinOptions options = {}, std::size_t workSize = SIZE_MAX,
                             std::uint8_t workFill = 0) {
    if (workSize == SIZE_MAX)
        workSize = workBufferSize(document.size(), filters, options);
    Bytes buffer(workSize + 16, kUntouched);
    std::fill(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(workSize), workFill);
    DocumentRun run;
    run.result = recodeDocument(document, std::span<std::uint8_t>(buffer.data(), workSize), filters,
                                options);
    for (std::size_t i = workSize; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], kUntouched) << "byte " << i << " written past the work buffer";
    buffer.resize(workSize);
    run.work = std::move(buffer);
    return run;
}

Bytes resultOf(const DocumentRun& run) {
    EXPECT_LE(run.result.length, run.work.size());
    return Bytes(run.work.begin(), run.work.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                          run.result.length, run.work.size())));
}

Bytes throughTable(Bytes bytes, int table) {
    for (auto& b : bytes)
        b = applyTable(kCodeTables[static_cast<std::size_t>(table)], b);
    return bytes;
}

// ---- Recode text ----

TEST(RecodeText, TableStepTranslatesAllButTheLastPosition) {
    // The source has a letter at len - 1: it is not translated but replaced by 0.
    const Bytes source = win("Привет");
    const Bytes expected = withTerminator(encode("KOI8-R", "Приве"));
    EXPECT_EQ(recodeTextOf(source, "wk"), expected);
    EXPECT_EQ(recodeTextOf(withTerminator(win("Привет")), "wk"),
              withTerminator(encode("KOI8-R", "Привет")));
}

TEST(RecodeText, EmptyListGivesAnExactCopy) {
    Bytes source = win("Привет");
    source.push_back(0xC0); // a letter where the terminator would be
    EXPECT_EQ(recodeTextOf(source, ""), source);
    EXPECT_EQ(recodeTextOf(source, "Wk"), source);
    const Bytes control = {'a', '\r', '\n', 0, 'b'};
    EXPECT_EQ(recodeTextOf(control, "", true), control);
}

TEST(RecodeText, LengthZeroDoesNothing) {
    Bytes dest(4, kUntouched);
    const Bytes source;
    EXPECT_EQ(recodeText(dest, source, parseAction("wk wl"), 0, true, {}), RecodeStatus::ok);
    EXPECT_EQ(dest, Bytes(4, kUntouched));
}

TEST(RecodeText, ControlSwitchOnALabel) {
    Bytes source = win("Строка1");
    source.push_back('\r');
    source.push_back('\n');
    const Bytes rest = win("Строка2\tконец");
    source.insert(source.end(), rest.begin(), rest.end());
    source.push_back(0x0E);
    source.push_back(0x0F);
    source = padded(source, 200, 'x');

    Bytes on = padded(encode("KOI8-R", "Строка1  Строка2 конец "), 200, 'x');
    on[23] = 0x0F; // 0x0F is not a control byte
    on[199] = 0;
    EXPECT_EQ(recodeTextOf(source, "wk", true), on);

    Bytes off = encode("KOI8-R", "Строка1\r\nСтрока2\tконец");
    off.push_back(0x0E);
    off.push_back(0x0F);
    off = padded(off, 200, 'x');
    off[199] = 0;
    EXPECT_EQ(recodeTextOf(source, "wk", false), off);
}

TEST(RecodeText, ControlSwitchAlsoTurnsZeroBytesIntoSpaces) {
    const Bytes source = {0xC0, 0x00, 0xC1, 0x00};
    EXPECT_EQ(recodeTextOf(source, "wk", true), (Bytes{0xE1, ' ', 0xE2, 0}));
    EXPECT_EQ(recodeTextOf(source, "wk", false), (Bytes{0xE1, 0x00, 0xE2, 0}));
}

TEST(RecodeText, WinToKoiTwiceAndBack) {
    const Bytes source = withTerminator(win("Съешь же ещё этих мягких булок"));
    const Bytes twice = recodeTextOf(source, "wk wk");
    EXPECT_EQ(twice,
              withTerminator(throughTable(
                  throughTable(win("Съешь же ещё этих мягких булок"), kWinToKoi), kWinToKoi)));
    EXPECT_EQ(recodeTextOf(twice, "kw kw"), source);
}

TEST(RecodeText, FiveFiltersAtMost) {
    const Bytes source = withTerminator(win("Привет, мир"));
    Bytes five = win("Привет, мир");
    for (int i = 0; i < 5; ++i)
        five = throughTable(five, kWinToKoi);
    EXPECT_EQ(recodeTextOf(source, "wk wk wk wk wk wk"), withTerminator(five));
    EXPECT_EQ(recodeTextOf(source, "wk wk wk wk wk"), withTerminator(five));
}

TEST(RecodeText, KoiThenLatin) {
    const Bytes koi = withTerminator(encode("KOI8-R", "Щука"));
    EXPECT_EQ(recodeTextOf(koi, "kw wl"), withTerminator(toBytes("Wuka")));
    // Room to spare: the rest of the destination is zero.
    EXPECT_EQ(recodeTextOf(padded(koi, 10, 0), "kw wl"), padded(toBytes("Wuka"), 10, 0));
}

TEST(RecodeText, NothingRunsAfterLatin) {
    // The numero sign and the dash pass Win->Latinica unchanged, but Win->Iso and Win->Alt
    // would move them.
    const Bytes source = withTerminator(win("Щ №1 — да"));
    const Bytes latin = withTerminator(toBytes("W \xB9"
                                               "1 \x97 da"));
    EXPECT_EQ(recodeTextOf(source, "wl wi"), latin);
    EXPECT_EQ(recodeTextOf(source, "wl wa"), latin);
    EXPECT_EQ(recodeTextOf(source, "wl wk"), latin);
    EXPECT_EQ(recodeTextOf(source, "wl"), latin);
}

TEST(RecodeText, LatinIsCutToTheFixedSize) {
    EXPECT_EQ(recodeTextOf(withTerminator(win("жжжж")), "wl"), withTerminator(toBytes("zhzh")));
    EXPECT_EQ(recodeTextOf(withTerminator(win("ж")), "wl"), withTerminator(toBytes("z")));
    // With control switch on, a line feed becomes a space.
    EXPECT_EQ(recodeTextOf(withTerminator(win("а\nб")), "wl", true),
              withTerminator(toBytes("a b")));
    EXPECT_EQ(recodeTextOf(withTerminator(win("а\nб")), "wl", false),
              withTerminator(toBytes("a\nb")));
}

TEST(RecodeText, LatinWithSeparateEnglish) {
    const Bytes source = padded(win("John мир"), 20, 0);
    LatinOptions options;
    options.separateEnglish = true;
    EXPECT_EQ(recodeTextOf(source, "wl", false, options), padded(toBytes("\\ John \\ mir"), 20, 0));
    EXPECT_EQ(recodeTextOf(withTerminator(win("John мир")), "wl", false, options),
              withTerminator(toBytes("\\ John \\")));
}

TEST(RecodeText, LatinToWinThenKoi) {
    const Bytes source = withTerminator(toBytes("privet"));
    EXPECT_EQ(recodeTextOf(source, "lw"), padded(win("привет"), 7, 0));
    EXPECT_EQ(recodeTextOf(source, "lw wk"), padded(encode("KOI8-R", "привет"), 7, 0));
    // The result is shorter than the text: the rest is cleared.
    EXPECT_EQ(recodeTextOf(withTerminator(toBytes("shchuka")), "lw"), padded(win("шчука"), 8, 0));
}

TEST(RecodeText, LatinToWinOptions) {
    const Bytes source = withTerminator(toBytes("Wi Sjuzhet"));
    LatinOptions options;
    EXPECT_EQ(recodeTextOf(source, "lw", false, options), padded(win("Щи Щужет"), 11, 0));
    options.wAsVe = true;
    options.noSj = true;
    EXPECT_EQ(recodeTextOf(source, "lw", false, options), padded(win("Ви Сюжет"), 11, 0));
    EXPECT_EQ(recodeTextOf(withTerminator(toBytes("a\tb")), "lw", true), padded(win("а б"), 4, 0));
}

TEST(RecodeText, LatinLooksAheadIntoTheLastPosition) {
    // The limit is len - 1; a pair that begins at len - 2 reads its second character at len - 1.
    EXPECT_EQ(recodeTextOf(toBytes("ash"), "lw"), padded(win("аш"), 3, 0));
    EXPECT_EQ(recodeTextOf(toBytes("abc"), "lw"), padded(win("аб"), 3, 0));
}

TEST(RecodeText, ListEndsAtTheFirstEmptySlot) {
    const Bytes source = withTerminator(win("Привет"));
    EXPECT_EQ(recodeTextOf(source, "wk"), withTerminator(encode("KOI8-R", "Привет")));
    Bytes dest(source.size(), kUntouched);
    EXPECT_EQ(recodeText(dest, source, makeFilterList({11, -1, 10}), source.size(), false, {}),
              RecodeStatus::ok);
    EXPECT_EQ(dest, withTerminator(encode("KOI8-R", "Привет")));
}

// ---- Recode document ----

TEST(RecodeDocument, EmptyListCopiesTheDocument) {
    const Bytes document = {0xC0, 0x00, 0x0D, 0x0A, 0xFF, 'a', 0x00};
    const DocumentRun run = recodeDocumentOf(document, makeFilterList({}));
    EXPECT_EQ(run.result.status, RecodeStatus::ok);
    EXPECT_EQ(run.result.length, document.size());
    EXPECT_EQ(resultOf(run), document);
    const DocumentRun unknown = recodeDocumentOf(document, parseAction("Wk wk"));
    EXPECT_EQ(resultOf(unknown), document);
}

TEST(RecodeDocument, ZeroAndControlBytesDoNotStopATableStep) {
    const Bytes document = {0xC0, 0x00, 0xC1, 0x0D, 0x0A, 0x00, 0x00, 0xC2};
    const DocumentRun run = recodeDocumentOf(document, parseAction("wk"));
    EXPECT_EQ(run.result.length, document.size());
    EXPECT_EQ(resultOf(run), (Bytes{0xE1, 0x00, 0xE2, 0x0D, 0x0A, 0x00, 0x00, 0xF7}));
}

TEST(RecodeDocument, LatinOfTheWorkedExample) {
    const Bytes document = win("Щука и ёж");
    ASSERT_EQ(document.size(), 9u);
    const DocumentRun run = recodeDocumentOf(document, parseAction("wl"));
    EXPECT_EQ(run.result.status, RecodeStatus::ok);
    EXPECT_EQ(run.result.length, 11u);
    EXPECT_EQ(resultOf(run), toBytes("Wuka i yozh"));
}

TEST(RecodeDocument, WinToKoiTwiceThenBack) {
    const Bytes document = win("Съешь же ещё этих мягких французских булок, да выпей чаю");
    const DocumentRun twice = recodeDocumentOf(document, parseAction("wk wk"));
    EXPECT_EQ(resultOf(twice), throughTable(throughTable(document, kWinToKoi), kWinToKoi));
    const DocumentRun back = recodeDocumentOf(resultOf(twice), parseAction("kw kw"));
    EXPECT_EQ(resultOf(back), document);
}

TEST(RecodeDocument, EveryTableThenItsReverseRestoresAllBytes) {
    Bytes all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<std::uint8_t>(b));
    for (const char* action : {"wk kw", "kw wk", "wi iw", "iw wi", "wa aw", "aw wa", "ki ik",
                               "ik ki", "ka ak", "ak ka", "ia ai", "ai ia"}) {
        EXPECT_EQ(resultOf(recodeDocumentOf(all, parseAction(action))), all) << action;
    }
}

TEST(RecodeDocument, ComposedTablesEqualOneByOne) {
    Bytes all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<std::uint8_t>(b));
    for (const char* action : {"wk", "wk ki ia aw", "mw wk ka ai iw", "wm mw", "ak ki iw wm mw"}) {
        const FilterList list = parseAction(action);
        Bytes expected = all;
        for (int i = 0; i < list.count; ++i)
            expected = throughTable(expected, list.filters[static_cast<std::size_t>(i)]);
        EXPECT_EQ(resultOf(recodeDocumentOf(all, list)), expected) << action;
        const auto map = composeTables(list);
        ASSERT_TRUE(map.has_value()) << action;
        EXPECT_EQ(Bytes(map->begin(), map->end()), expected) << action;
    }
}

TEST(RecodeDocument, FiveFiltersAtMost) {
    const Bytes document = win("Привет");
    Bytes five = document;
    for (int i = 0; i < 5; ++i)
        five = throughTable(five, kWinToKoi);
    EXPECT_EQ(resultOf(recodeDocumentOf(document, parseAction("wk wk wk wk wk wk"))), five);
}

TEST(RecodeDocument, NothingRunsAfterLatin) {
    const Bytes document = win("Щ №1 — да");
    const Bytes latin = toBytes("W \xB9"
                                "1 \x97 da");
    EXPECT_EQ(resultOf(recodeDocumentOf(document, parseAction("wl wi"))), latin);
    EXPECT_EQ(resultOf(recodeDocumentOf(document, parseAction("wl wa"))), latin);
    EXPECT_EQ(resultOf(recodeDocumentOf(document, parseAction("wl lw"))), latin);
}

TEST(RecodeDocument, KoiThenLatin) {
    const Bytes document = encode("KOI8-R", "Щи да каша\tи ёж");
    const DocumentRun run = recodeDocumentOf(document, parseAction("kw wl "));
    // KOI8 ё reaches Latinica as Win ё.
    EXPECT_EQ(resultOf(run), toBytes("Wi da kasha\ti yozh"));
}

TEST(RecodeDocument, LatinToWinThenKoi) {
    const Bytes document = toBytes("Privet, mir");
    const DocumentRun run = recodeDocumentOf(document, parseAction("lw wk"));
    EXPECT_EQ(run.result.length, 11u);
    EXPECT_EQ(resultOf(run), encode("KOI8-R", "Привет, мир"));
}

TEST(RecodeDocument, LatinToWinClearsTheBytesAfterItsResult) {
    const Bytes document = toBytes("shchuka");
    // A work buffer full of garbage: the bytes after the shorter result must be cleared.
    const DocumentRun run = recodeDocumentOf(document, parseAction("lw"), {}, SIZE_MAX, 0x55);
    EXPECT_EQ(run.result.length, 5u);
    EXPECT_EQ(resultOf(run), win("шчука"));
    for (std::size_t i = 5; i <= document.size(); ++i)
        EXPECT_EQ(run.work[i], 0) << "byte " << i;
}

TEST(RecodeDocument, LatinToWinOptionsAndControlSwitchOff) {
    const Bytes document = toBytes("Wi\tSjuzhet");
    LatinOptions options;
    EXPECT_EQ(resultOf(recodeDocumentOf(document, parseAction("lw"), options)), win("Щи\tЩужет"));
    options.wAsVe = true;
    options.noSj = true;
    EXPECT_EQ(resultOf(recodeDocumentOf(document, parseAction("lw"), options)), win("Ви\tСюжет"));
}

TEST(RecodeDocument, LatinRoundTripWithSeparateEnglish) {
    LatinOptions options;
    options.separateEnglish = true;
    const Bytes document = win("Привет John! мир");
    const DocumentRun there = recodeDocumentOf(document, parseAction("wl"), options);
    EXPECT_EQ(resultOf(there), toBytes("Privet \\ John! \\ mir"));
    const DocumentRun back = recodeDocumentOf(resultOf(there), parseAction("lw"), options);
    EXPECT_EQ(resultOf(back), document);
}

TEST(RecodeDocument, TransliterationStopsAtAZeroByte) {
    const Bytes win0 = {0xE0, 0xE1, 0x00, 0xE2};
    const DocumentRun latin = recodeDocumentOf(win0, parseAction("wl"));
    EXPECT_EQ(resultOf(latin), toBytes("ab"));
    const Bytes latin0 = {'a', 'b', 0x00, 'c'};
    const DocumentRun cyrillic = recodeDocumentOf(latin0, parseAction("lw"));
    EXPECT_EQ(resultOf(cyrillic), win("аб"));
}

TEST(RecodeDocument, WorkBufferSize) {
    LatinOptions plain;
    LatinOptions separate;
    separate.separateEnglish = true;
    for (const char* action : {"", "wk", "wk kw wi iw wa", "lw", "wl", "kw wl", "lw wk", "mw wm"})
        EXPECT_EQ(workBufferSize(100, parseAction(action), plain), 200u) << action;
    for (const char* action : {"", "wk", "lw", "lw wk"})
        EXPECT_EQ(workBufferSize(100, parseAction(action), separate), 200u) << action;
    for (const char* action : {"wl", "kw wl", "lw wl", "wk kw wk kw wl"})
        EXPECT_EQ(workBufferSize(100, parseAction(action), separate), 400u) << action;
    EXPECT_EQ(workBufferSize(0, parseAction("wl"), separate), 0u);
    EXPECT_EQ(workBufferSize(0, parseAction("wk"), plain), 0u);
}

Bytes worstCaseDocument(int pairs) {
    Bytes document;
    for (int i = 0; i < pairs; ++i) {
        document.push_back('a');
        document.push_back(0xC6); // Ж
    }
    return document;
}

Bytes worstCaseLatin(int pairs) {
    Bytes latin;
    for (int i = 0; i < pairs; ++i) {
        const Bytes unit = toBytes("\\ a\\ Zh");
        latin.insert(latin.end(), unit.begin(), unit.end());
    }
    return latin;
}

TEST(RecodeDocument, SeparateEnglishWorstCaseFitsTheWorkBuffer) {
    LatinOptions options;
    options.separateEnglish = true;
    const Bytes document = worstCaseDocument(1000);
    const FilterList list = parseAction("wl");
    ASSERT_GE(workBufferSize(document.size(), list, options), worstCaseLatin(1000).size());
    const DocumentRun run = recodeDocumentOf(document, list, options);
    EXPECT_EQ(run.result.status, RecodeStatus::ok);
    EXPECT_EQ(run.result.length, 7000u);
    EXPECT_EQ(resultOf(run), worstCaseLatin(1000));
}

TEST(RecodeDocument, LatinLongerThanTheWorkBufferIsCut) {
    LatinOptions options;
    options.separateEnglish = true;
    const Bytes document = worstCaseDocument(100);
    const Bytes full = worstCaseLatin(100);
    for (std::size_t workSize : {document.size(), 2 * document.size(), full.size() - 1}) {
        const DocumentRun run = recodeDocumentOf(document, parseAction("wl"), options, workSize);
        EXPECT_EQ(run.result.length, workSize);
        EXPECT_EQ(resultOf(run), Bytes(full.begin(), full.begin() + static_cast<long>(workSize)));
    }
    // Without markers too.
    const Bytes zh = win("ЖЖЖЖ");
    const DocumentRun run = recodeDocumentOf(zh, parseAction("wl"), {}, zh.size());
    EXPECT_EQ(resultOf(run), toBytes("ZhZh"));
}

TEST(RecodeDocument, LatinToWinInAWorkBufferOfExactlyTheDocument) {
    const Bytes document = toBytes("abv");
    const DocumentRun run = recodeDocumentOf(document, parseAction("lw"), {}, document.size());
    EXPECT_EQ(run.result.length, 3u);
    EXPECT_EQ(resultOf(run), win("абв"));
}

TEST(RecodeDocument, WorkBufferSmallerThanTheDocumentDoesNothing) {
    const Bytes document = win("Привет");
    const DocumentRun run =
        recodeDocumentOf(document, parseAction("wk"), {}, document.size() - 1, kUntouched);
    EXPECT_EQ(run.result.length, 0u);
    EXPECT_EQ(run.work, Bytes(document.size() - 1, kUntouched));
}

TEST(RecodeDocument, EmptyDocument) {
    LatinOptions separate;
    separate.separateEnglish = true;
    for (const char* action : {"", "wk", "lw", "wl", "lw wl", "wk wl"}) {
        for (const LatinOptions& options : {LatinOptions{}, separate}) {
            const FilterList list = parseAction(action);
            // Exactly the recommended size, on the heap, so a write past it is caught.
            std::vector<std::uint8_t> work(workBufferSize(0, list, options));
            const DocumentResult result =
                recodeDocument(std::span<const std::uint8_t>(), work, list, options);
            EXPECT_EQ(result.status, RecodeStatus::ok) << action;
            EXPECT_EQ(result.length, 0u) << action;
        }
    }
}

TEST(RecodeDocument, ListEndsAtTheFirstEmptySlot) {
    const Bytes document = win("Привет");
    EXPECT_EQ(resultOf(recodeDocumentOf(document, makeFilterList({11, -1, 8}))),
              encode("KOI8-R", "Привет"));
    EXPECT_EQ(resultOf(recodeDocumentOf(document, makeFilterList({-1, 11}))), document);
}

TEST(ComposeTables, IdentityAndLatinSteps) {
    const auto identity = composeTables(makeFilterList({}));
    ASSERT_TRUE(identity.has_value());
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ((*identity)[static_cast<std::size_t>(b)], b);
    EXPECT_FALSE(composeTables(parseAction("wk wl")).has_value());
    EXPECT_FALSE(composeTables(parseAction("lw")).has_value());
    const auto map = composeTables(parseAction("wk ki"));
    ASSERT_TRUE(map.has_value());
    for (int b = 0; b < 0x80; ++b)
        EXPECT_EQ((*map)[static_cast<std::size_t>(b)], b);
    for (int b = 0x80; b < 0x100; ++b)
        EXPECT_EQ((*map)[static_cast<std::size_t>(b)],
                  applyTable(kCodeTables[kWinToIso], static_cast<std::uint8_t>(b)));
}

TEST(ApplyByteMap, InPlaceAndSeparate) {
    ByteMap map{};
    for (int b = 0; b < 256; ++b)
        map[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(255 - b);
    Bytes data = {0, 1, 0x80, 0xFF};
    Bytes out(4, 0);
    applyByteMap(map, data, out);
    EXPECT_EQ(out, (Bytes{255, 254, 0x7F, 0}));
    applyByteMap(map, data, data);
    EXPECT_EQ(data, (Bytes{255, 254, 0x7F, 0}));
    Bytes longer(6, kUntouched);
    applyByteMap(map, Bytes{1, 2}, longer);
    EXPECT_EQ(longer, (Bytes{254, 253, kUntouched, kUntouched, kUntouched, kUntouched}));
}

} // namespace
} // namespace vorlex::engine
