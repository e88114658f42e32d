#include "engine/recode.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace vorlex::engine {
namespace {

constexpr std::uint8_t kControlLimit = 0x0F;

// A zeroed temporary buffer; empty on allocation failure.
std::unique_ptr<std::uint8_t[]> zeroedBuffer(std::size_t size) noexcept {
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[size]());
}

ByteMap identityMap() noexcept {
    ByteMap map{};
    for (std::size_t b = 0; b < map.size(); ++b)
        map[b] = static_cast<std::uint8_t>(b);
    return map;
}

// Folds a table into a byte map: map = map followed by table.
void appendTable(ByteMap& map, const CodeTable& table) noexcept {
    for (std::uint8_t& out : map)
        out = applyTable(table, out);
}

bool chainHasSeparatedLatin(const FilterList& filters, const LatinOptions& options) noexcept {
    if (!options.separateEnglish)
        return false;
    for (int n = 0; n < filters.count; ++n) {
        const int index = filters.filters[static_cast<std::size_t>(n)];
        if (index == kWinToLatinFilter)
            return true;
        if (index == kEndOfFilters)
            break;
    }
    return false;
}

} // namespace

RecodeStatus recodeText(std::span<std::uint8_t> dest, std::span<const std::uint8_t> source,
                        const FilterList& filters, std::size_t len, bool controlToSpace,
                        const LatinOptions& options) noexcept {
    if (len == 0 || dest.size() < len || source.size() < len)
        return RecodeStatus::ok;
    std::memmove(dest.data(), source.data(), len);
    const std::size_t last = len - 1;

    for (int n = 0; n < filters.count && n < kMaxFilters; ++n) {
        const int index = filters.filters[static_cast<std::size_t>(n)];
        if (index == kEndOfFilters)
            break;
        if (isTableFilter(index)) {
            const CodeTable& table = kCodeTables[static_cast<std::size_t>(index)];
            for (std::size_t i = 0; i < last; ++i) {
                const std::uint8_t c = dest[i];
                if (c >= 0x80)
                    dest[i] = table[c - 0x80];
                else if (controlToSpace && c < kControlLimit)
                    dest[i] = ' ';
            }
            dest[last] = 0;
        } else if (index == kLatinToWinFilter) {
            auto temp = zeroedBuffer(len + 1);
            if (!temp)
                return RecodeStatus::outOfMemory;
            latinToCyrillic({temp.get(), len + 1}, dest.first(len), last, controlToSpace,
                            options.wAsVe, options.noSj);
            std::memcpy(dest.data(), temp.get(), len);
        } else if (index == kWinToLatinFilter) {
            const std::size_t size = len * kMaxLatinBytesPerChar + 1;
            auto temp = zeroedBuffer(size);
            if (!temp)
                return RecodeStatus::outOfMemory;
            cyrillicToLatin({temp.get(), size}, dest.first(len), len, controlToSpace,
                            options.separateEnglish);
            std::memcpy(dest.data(), temp.get(), last);
            dest[last] = 0;
            break; // nothing runs after a transliteration to Latin
        } else {
            break;
        }
    }
    return RecodeStatus::ok;
}

std::size_t workBufferSize(std::size_t length, const FilterList& filters,
                           const LatinOptions& options) noexcept {
    const std::size_t factor = chainHasSeparatedLatin(filters, options)
                                   ? kMaxLatinBytesPerChar
                                   : kMaxLatinBytesPerCharWithoutMarkers;
    return length * factor;
}

std::optional<ByteMap> composeTables(const FilterList& filters) noexcept {
    ByteMap map = identityMap();
    for (int n = 0; n < filters.count && n < kMaxFilters; ++n) {
        const int index = filters.filters[static_cast<std::size_t>(n)];
        if (index == kEndOfFilters)
            break;
        if (!isTableFilter(index))
            return std::nullopt;
        appendTable(map, kCodeTables[static_cast<std::size_t>(index)]);
    }
    return map;
}

DocumentResult recodeDocument(std::span<const std::uint8_t> document, std::span<std::uint8_t> work,
                              const FilterList& filters, const LatinOptions& options) noexcept {
    DocumentResult result;
    std::size_t n = document.size();
    if (work.size() < n)
        return result;

    bool copied = false; // the document is copied into the work buffer by the first step
    auto ensureCopied = [&] {
        if (!copied && n > 0)
            std::memmove(work.data(), document.data(), n);
        copied = true;
    };

    int step = 0;
    const int count = std::min(filters.count, kMaxFilters);
    while (step < count) {
        const int index = filters.filters[static_cast<std::size_t>(step)];
        if (index == kEndOfFilters)
            break;
        if (isTableFilter(index)) {
            // Compose the whole run of table steps into one map and make one pass.
            ByteMap map = identityMap();
            while (step < count && isTableFilter(filters.filters[static_cast<std::size_t>(step)])) {
                appendTable(map, kCodeTables[static_cast<std::size_t>(
                                     filters.filters[static_cast<std::size_t>(step)])]);
                ++step;
            }
            if (copied)
                applyByteMap(map, work.first(n), work.first(n));
            else
                applyByteMap(map, document, work.first(n));
            copied = true;
            continue;
        }
        if (index == kLatinToWinFilter) {
            ensureCopied();
            // In place: each unit writes at most one byte, never ahead of what it has read.
            const std::size_t produced =
                latinToCyrillic(work, work.first(n), n, false, options.wAsVe, options.noSj);
            const std::size_t clearEnd = std::min(n + 1, work.size());
            if (produced < clearEnd)
                std::memset(work.data() + produced, 0, clearEnd - produced);
            n = produced;
            ++step;
        } else if (index == kWinToLatinFilter) {
            const std::size_t perChar = options.separateEnglish
                                            ? kMaxLatinBytesPerChar
                                            : kMaxLatinBytesPerCharWithoutMarkers;
            std::size_t produced = 0;
            if (work.size() / perChar >= n) {
                // In place: with the text moved to the end of the buffer the output, at most
                // perChar bytes per character, never reaches a byte not yet read.
                const std::size_t offset = work.size() - n;
                if (copied && n > 0)
                    std::memmove(work.data() + offset, work.data(), n);
                else if (n > 0)
                    std::memcpy(work.data() + offset, document.data(), n);
                copied = true;
                produced = cyrillicToLatin(work, work.subspan(offset, n), n, false,
                                           options.separateEnglish);
            } else {
                // The caller's buffer is short of the worst case: read from a copy and cut
                // the result at the end of the work buffer.
                auto text = zeroedBuffer(n);
                if (!text) {
                    ensureCopied();
                    result.status = RecodeStatus::outOfMemory;
                    result.length = n;
                    return result;
                }
                std::memcpy(text.get(), copied ? work.data() : document.data(), n);
                copied = true;
                produced =
                    cyrillicToLatin(work, {text.get(), n}, n, false, options.separateEnglish);
            }
            n = produced;
            break; // nothing runs after a transliteration to Latin
        } else {
            break;
        }
    }
    ensureCopied();
    result.length = n;
    return result;
}

std::optional<std::vector<std::uint8_t>> recodeDocumentCopy(std::span<const std::uint8_t> document,
                                                            const FilterList& filters,
                                                            const LatinOptions& options) noexcept {
    try {
        std::vector<std::uint8_t> work(workBufferSize(document.size(), filters, options));
        const DocumentResult result = recodeDocument(document, work, filters, options);
        if (result.status != RecodeStatus::ok)
            return std::nullopt;
        work.resize(result.length);
        return work;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace vorlex::engine
