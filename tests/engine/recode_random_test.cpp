// Random documents and random chains against a deliberately plain reference: every table
// applied on its own, byte by byte, and the transliteration routines called directly.
#include "engine/recode.h"

#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <vector>

namespace vorlex::engine {
namespace {

using Bytes = std::vector<std::uint8_t>;

unsigned testSeed() {
    if (const char* env = std::getenv("VORLEX_TEST_SEED"))
        return static_cast<unsigned>(std::strtoul(env, nullptr, 10));
    return 20250101u;
}

Bytes referenceDocument(Bytes doc, const FilterList& list, const LatinOptions& options) {
    for (int i = 0; i < list.count; ++i) {
        const int filter = list.filters[static_cast<std::size_t>(i)];
        if (filter == kEndOfFilters)
            break;
        if (filter >= 0) {
            const CodeTable& table = kCodeTables[static_cast<std::size_t>(filter)];
            for (std::uint8_t& b : doc)
                if (b >= 0x80)
                    b = table[b - 0x80];
        } else if (filter == kLatinToWinFilter) {
            Bytes out(doc.size() + 1, 0);
            const std::size_t n =
                latinToCyrillic(out, doc, doc.size(), false, options.wAsVe, options.noSj);
            out.resize(n);
            doc = out;
        } else {
            Bytes out(doc.size() * kMaxLatinBytesPerChar + 1, 0);
            const std::size_t n =
                cyrillicToLatin(out, doc, doc.size(), false, options.separateEnglish);
            out.resize(n);
            return out;
        }
    }
    return doc;
}

Bytes referenceText(Bytes text, const FilterList& list) {
    for (int i = 0; i < list.count; ++i) {
        const CodeTable& table = kCodeTables[static_cast<std::size_t>(list.filters[i])];
        for (std::size_t p = 0; p + 1 < text.size(); ++p)
            if (text[p] >= 0x80)
                text[p] = table[text[p] - 0x80];
        text.back() = 0;
    }
    return text;
}

Bytes randomBytes(std::mt19937& rng, std::size_t maxLength) {
    Bytes bytes(rng() % (maxLength + 1));
    for (auto& b : bytes) {
        // Mostly upper-half bytes, where the tables act; some zeros and Latin letters.
        const unsigned kind = rng() % 8;
        if (kind == 0)
            b = 0;
        else if (kind == 1)
            b = static_cast<std::uint8_t>('a' + rng() % 26);
        else if (kind == 2)
            b = static_cast<std::uint8_t>(rng() % 0x80);
        else
            b = static_cast<std::uint8_t>(0x80 + rng() % 0x80);
    }
    return bytes;
}

TEST(RecodeRandom, TableChainsMatchTheReference) {
    const unsigned seed = testSeed();
    std::cout << "[ seed     ] " << seed << " (set VORLEX_TEST_SEED to repeat another)\n";
    std::mt19937 rng(seed);
    for (int iteration = 0; iteration < 3000; ++iteration) {
        FilterList list;
        const int count = static_cast<int>(rng() % 6);
        for (int i = 0; i < count; ++i)
            list.append(static_cast<int>(rng() % kCodeTableCount));
        const Bytes doc = randomBytes(rng, 300);
        SCOPED_TRACE("iteration " + std::to_string(iteration) + ", chain \"" +
                     chainActionString(list) + "\", length " + std::to_string(doc.size()));

        Bytes work(workBufferSize(doc.size(), list, {}), 0);
        const DocumentResult result = recodeDocument(doc, work, list, {});
        ASSERT_EQ(result.status, RecodeStatus::ok);
        ASSERT_EQ(result.length, doc.size());
        const Bytes expected = referenceDocument(doc, list, {});
        ASSERT_EQ(Bytes(work.begin(), work.begin() + static_cast<long>(result.length)), expected);

        const auto map = composeTables(list);
        ASSERT_TRUE(map.has_value());
        for (int b = 0; b < 256; ++b) {
            const Bytes one = referenceDocument({static_cast<std::uint8_t>(b)}, list, {});
            ASSERT_EQ((*map)[static_cast<std::size_t>(b)], one[0]) << "byte " << b;
        }

        if (!doc.empty()) {
            Bytes dest(doc.size(), 0xEE);
            ASSERT_EQ(recodeText(dest, doc, list, doc.size(), false, {}), RecodeStatus::ok);
            ASSERT_EQ(dest, list.count == 0 ? doc : referenceText(doc, list));
        }
    }
}

TEST(RecodeRandom, ChainsWithTransliterationMatchTheReference) {
    const unsigned seed = testSeed() + 1;
    std::cout << "[ seed     ] " << seed << '\n';
    std::mt19937 rng(seed);
    for (int iteration = 0; iteration < 3000; ++iteration) {
        FilterList list;
        const int count = 1 + static_cast<int>(rng() % 5);
        for (int i = 0; i < count; ++i) {
            const unsigned pick = rng() % 18;
            list.append(pick < 14 ? static_cast<int>(pick)
                                  : (pick < 16 ? kLatinToWinFilter : kWinToLatinFilter));
        }
        LatinOptions options;
        options.wAsVe = rng() % 2 == 0;
        options.noSj = rng() % 2 == 0;
        options.separateEnglish = rng() % 2 == 0;
        Bytes doc = randomBytes(rng, 200);
        if (doc.empty()) // the empty document has a test of its own
            doc.push_back('a');
        // Fewer zeros here, so transliteration has text to work on.
        for (auto& b : doc)
            if (b == 0 && rng() % 4 != 0)
                b = ' ';
        SCOPED_TRACE("iteration " + std::to_string(iteration) + ", chain \"" +
                     chainActionString(list) + "\", length " + std::to_string(doc.size()));

        const std::size_t size = workBufferSize(doc.size(), list, options);
        Bytes work(size, 0);
        const DocumentResult result = recodeDocument(doc, work, list, options);
        ASSERT_EQ(result.status, RecodeStatus::ok);
        const Bytes expected = referenceDocument(doc, list, options);
        // The recommended buffer always holds the whole result.
        ASSERT_EQ(result.length, expected.size());
        ASSERT_EQ(Bytes(work.begin(), work.begin() + static_cast<long>(result.length)), expected);
    }
}

} // namespace
} // namespace vorlex::engine
