// A deliberately plain pass for comparison: every step done the slow, literal way (one Recode
// text call per sample word, the word lists as sets of strings, the labels kept
// whole, the candidate loops written out). The pass under test must report exactly
// the same list operations.
#pragma once

#include "detect/dictionary.h"
#include "detect/sample.h"
#include "engine/cp1251.h"
#include "engine/filters.h"
#include "engine/recode.h"

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace vorlex::detect::test {

struct ListOp {
    enum Kind { insert, append, remove } kind;
    int index = -1;
    std::string line;
    double score = 0;
    double maximum = 0;
    friend bool operator==(const ListOp&, const ListOp&) = default;
};

struct ReferenceResult {
    std::vector<ListOp> ops;
    int found = 0;
};

/// Basic filters by code, in search order, with their inverses.
inline const std::array<std::string, 12> kRefFilters = {"ai", "ak", "aw", "ia", "ik", "iw",
                                                        "ka", "ki", "kw", "wa", "wi", "wk"};
inline const std::array<std::string, 12> kRefInverse = {"ia", "ka", "wa", "ai", "ki", "wi",
                                                        "ak", "ik", "wk", "aw", "iw", "kw"};
/// The 24 excluded triples f1 f2 f3, as listed.
inline const std::array<std::string, 24> kRefExcluded = {
    "ka ik ai", "wa iw ai", "ia ki ak", "wa kw ak", "ia wi aw", "ka wk aw", "ki ak ia", "wi aw ia",
    "ai ka ik", "wi kw ik", "ai wa iw", "ki wk iw", "ik ai ka", "wk aw ka", "ak ia ki", "wk iw ki",
    "ak wa kw", "ik wi kw", "iw ai wa", "kw ak wa", "aw ia wi", "kw ik wi", "aw ka wk", "iw ki wk",
};

inline bool refExcluded(int f1, int f2, int f3) {
    const std::string triple = kRefFilters[f1] + " " + kRefFilters[f2] + " " + kRefFilters[f3];
    for (const std::string& e : kRefExcluded)
        if (e == triple)
            return true;
    return false;
}

inline bool refInverse(int a, int b) {
    return kRefFilters[a] == kRefInverse[b];
}

/// The search chains as the four stages' loops write them, first filter first.
inline std::vector<std::vector<int>> referenceStageChains(int stage) {
    std::vector<std::vector<int>> chains;
    const int n = 12;
    if (stage == 1)
        for (int f1 = 0; f1 < n; ++f1)
            chains.push_back({f1});
    if (stage == 2)
        for (int f2 = 0; f2 < n; ++f2)
            for (int f1 = 0; f1 < n; ++f1)
                if (!refInverse(f1, f2))
                    chains.push_back({f1, f2});
    if (stage == 3)
        for (int f3 = 0; f3 < n; ++f3)
            for (int f2 = 0; f2 < n; ++f2) {
                if (refInverse(f2, f3))
                    continue;
                for (int f1 = 0; f1 < n; ++f1)
                    if (!refInverse(f1, f2) && !refExcluded(f1, f2, f3))
                        chains.push_back({f1, f2, f3});
            }
    if (stage == 4)
        for (int f4 = 0; f4 < n; ++f4)
            for (int f3 = 0; f3 < n; ++f3) {
                if (refInverse(f3, f4))
                    continue;
                for (int f2 = 0; f2 < n; ++f2) {
                    if (refInverse(f2, f3) || refExcluded(f2, f3, f4))
                        continue;
                    for (int f1 = 0; f1 < n; ++f1)
                        if (!refInverse(f1, f2) && !refExcluded(f1, f2, f3))
                            chains.push_back({f1, f2, f3, f4});
                }
            }
    return chains;
}

inline std::set<std::string, std::less<>> referenceWords(std::initializer_list<int> entries) {
    std::set<std::string, std::less<>> words;
    for (int entry : entries) {
        const std::string text = engine::win1251Literal(dictionaryEntryText(entry));
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t comma = text.find(',', start);
            if (comma == std::string::npos)
                comma = text.size();
            words.insert(text.substr(start, comma - start));
            start = comma + 1;
        }
    }
    return words;
}

inline ReferenceResult referencePass(const Sample& sample, int precision, int maxVariants,
                                     const std::vector<int>& items,
                                     const std::function<std::string(int)>& readAction) {
    static const std::set<std::string, std::less<>> dict4 = referenceWords({1, 5, 6});
    static const std::set<std::string, std::less<>> dict3 = referenceWords({2});
    static const std::set<std::string, std::less<>> dict2 = referenceWords({3});
    const double thresholds[10] = {0, 0.015, 0.025, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.4};
    const int c2 = sample.twoCount, c3 = sample.threeCount, c4 = sample.fourCount;

    ReferenceResult result;
    float top[5] = {0, 0, 0, 0, 0};
    std::set<std::string> acceptedLabels; // the labels themselves, all 199 bytes

    auto hit = [](const std::uint8_t* word, int length, const engine::FilterList& chain,
                  const std::set<std::string, std::less<>>& list) {
        std::uint8_t buffer[5] = {};
        (void)engine::recodeText(std::span<std::uint8_t>(buffer, 5),
                                 std::span<const std::uint8_t>(word, length + 1), chain,
                                 static_cast<std::size_t>(length + 1), false, {});
        for (std::uint8_t* p = buffer; *p; ++p)
            if (*p >= 224)
                *p = static_cast<std::uint8_t>(*p - 32);
        return list.find(std::string_view(reinterpret_cast<const char*>(buffer))) != list.end();
    };

    auto score = [&](const engine::FilterList& chain) {
        std::string action;
        for (int i = 0; i < chain.count; ++i)
            action += std::string(engine::filterByIndex(chain.filters[i])->code) + " ";
        int h2 = 0, h3 = 0, h4 = 0;
        for (int j = 0; j < 10; ++j) {
            if (j >= c2 && j >= c3 && j >= c4)
                break;
            if (j < c2 && hit(sample.twoLetter[j].data(), 2, chain, dict2))
                ++h2;
            if (j < c3 && hit(sample.threeLetter[j].data(), 3, chain, dict3))
                ++h3;
            if (j < c4 && hit(sample.fourLetter[j].data(), 4, chain, dict4))
                ++h4;
        }
        const int p4 = c4 ? 100 * h4 / c4 : 0;
        const int p3 = c3 ? 100 * h3 / c3 : 0;
        const int p2 = c2 ? 100 * h2 / c2 : 0;
        const double s =
            0.0001 * (p4 * p4) * c4 + 0.00004 * (p3 * p3) * c3 + 0.00002 * (p2 * p2) * c2;
        const double m = c4 + 0.4 * c3 + 0.2 * c2;
        const int p = precision < 0 ? 0 : precision > 9 ? 9 : precision;
        if (!(s >= thresholds[p] * m))
            return;
        std::uint8_t buffer[200];
        (void)engine::recodeText(buffer, std::span<const std::uint8_t>(sample.text.data(), 200),
                                 chain, 200, true, {});
        const std::string label(reinterpret_cast<const char*>(buffer));
        if (!acceptedLabels.insert(label).second)
            return;
        int place = -1;
        for (int k = 0; k < 5; ++k) {
            if (top[k] < s) {
                for (int i = 4; i > k; --i)
                    top[i] = top[i - 1];
                top[k] = static_cast<float>(s + 0.000001);
                place = k;
                break;
            }
        }
        const std::string line = label + std::string(57, ' ') + "~^~" + action;
        if (result.found < maxVariants) {
            if (place >= 0)
                result.ops.push_back({ListOp::insert, place, line, s, m});
            else
                result.ops.push_back({ListOp::append, -1, line, s, m});
        } else if (place >= 0 && place < maxVariants) {
            result.ops.push_back({ListOp::remove, maxVariants - 1, "", 0, 0});
            result.ops.push_back({ListOp::insert, place, line, s, m});
        }
        ++result.found;
    };

    if (c2 + c3 + c4 == 0)
        return result;
    for (std::size_t item = 1; item < items.size(); ++item) {
        if (items[item] == -1)
            continue;
        const std::string action = readAction(items[item]);
        if (action == "~-^-~")
            continue;
        const engine::FilterList chain = engine::parseAction(action);
        bool latin = false;
        for (int i = 0; i < chain.count; ++i)
            latin = latin || chain.filters[i] == -2 || chain.filters[i] == -3;
        if (latin || chain.count == 0 || (chain.count == 1 && chain.filters[0] < 12))
            continue;
        score(chain);
    }
    for (int stage = 1; stage <= 4; ++stage)
        for (const std::vector<int>& chain : referenceStageChains(stage)) {
            engine::FilterList list;
            for (int f : chain)
                list.append(f);
            score(list);
        }
    return result;
}

} // namespace vorlex::detect::test
