// The C interface over the engine and the automatic recoding.
#include "vorlex.h"

#include "detect/document_repair.h"
#include "detect/sample.h"
#include "engine/cp1251.h"
#include "engine/filters.h"
#include "engine/recode.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace vorlex;

constexpr unsigned kLatinFlags = VORLEX_W_AS_VE | VORLEX_NO_SJ | VORLEX_SEPARATE_ENGLISH;
constexpr unsigned kKnownFlags = kLatinFlags | VORLEX_INPUT_UTF8;

// Built on first use and only read afterwards; its construction is thread-safe.
const detect::Dictionary& dictionary() {
    static const detect::Dictionary instance;
    return instance;
}

engine::LatinOptions latinOptions(unsigned flags) {
    return {(flags & VORLEX_W_AS_VE) != 0, (flags & VORLEX_NO_SJ) != 0,
            (flags & VORLEX_SEPARATE_ENGLISH) != 0};
}

/// A copy of `bytes` with a terminator, from malloc; nullptr when there is no memory.
char* copyOut(std::string_view bytes) noexcept {
    char* out = static_cast<char*>(std::malloc(bytes.size() + 1));
    if (out) {
        if (!bytes.empty())
            std::memcpy(out, bytes.data(), bytes.size());
        out[bytes.size()] = '\0';
    }
    return out;
}

void copyAction(char (&dest)[VORLEX_ACTION_SIZE], const std::string& action) noexcept {
    const std::size_t length = std::min(action.size(), std::size_t{VORLEX_ACTION_SIZE - 1});
    std::memcpy(dest, action.data(), length);
    dest[length] = '\0';
}

/// The input as Windows-1251 bytes: `text` itself, or its conversion from UTF-8.
struct Input {
    std::string converted;
    std::string_view text;
};

vorlex_status readInput(const char* data, std::size_t length, unsigned flags, Input& input,
                        vorlex_error_detail* detail) {
    if (!data && length != 0)
        return VORLEX_ERROR_ARGUMENT;
    if ((flags & ~kKnownFlags) != 0)
        return VORLEX_ERROR_ARGUMENT;
    std::string_view text(data ? data : "", length);
    if (!(flags & VORLEX_INPUT_UTF8)) {
        input.text = text;
        return VORLEX_OK;
    }
    std::size_t skipped = 0;
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
        skipped = 3;
    }
    engine::Utf8ToWin1251Result result = engine::utf8ToWin1251(text);
    if (!result.ok()) {
        if (detail) {
            detail->byte_offset = result.errorOffset + skipped;
            detail->character_index = result.errorIndex + (skipped ? 1 : 0);
            detail->code_point = result.errorCodePoint;
        }
        return result.error == engine::Utf8ToWin1251Result::Error::invalidUtf8
                   ? VORLEX_ERROR_UTF8
                   : VORLEX_ERROR_UNMAPPABLE;
    }
    input.converted = std::move(result.bytes);
    input.text = input.converted;
    return VORLEX_OK;
}

/// The filter list of an action string written as the filters' codes separated by single
/// spaces, with or without one space at the end; nullopt for anything else.
std::optional<engine::FilterList> strictAction(const char* action) {
    if (!action)
        return std::nullopt;
    const std::string_view text(action);
    const engine::FilterList list = engine::parseAction(text);
    if (list.count == 0)
        return std::nullopt;
    const std::string canonical = engine::chainActionString(list); // "kw wl "
    if (text != canonical && text != std::string_view(canonical).substr(0, canonical.size() - 1))
        return std::nullopt;
    return list;
}

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string_view textOf(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

static_assert(static_cast<int>(detect::Verdict::repair) == VORLEX_VERDICT_REPAIR &&
              static_cast<int>(detect::Verdict::unchanged) == VORLEX_VERDICT_UNCHANGED &&
              static_cast<int>(detect::Verdict::none) == VORLEX_VERDICT_NONE &&
              static_cast<int>(detect::Verdict::ambiguous) == VORLEX_VERDICT_AMBIGUOUS);

} // namespace

extern "C" {

const char* vorlex_version(void) {
    return VORLEX_VERSION;
}

const char* vorlex_status_message(vorlex_status status) {
    switch (status) {
    case VORLEX_OK:
        return "ok";
    case VORLEX_ERROR_ARGUMENT:
        return "invalid argument: a required pointer is NULL, a limit is out of range or a flag is "
               "unknown";
    case VORLEX_ERROR_ACTION:
        return "the action is no chain of one to five filter codes separated by single spaces";
    case VORLEX_ERROR_UTF8:
        return "the input is not valid UTF-8";
    case VORLEX_ERROR_UNMAPPABLE:
        return "a character of the input has no Windows-1251 byte";
    case VORLEX_ERROR_MEMORY:
        return "not enough memory";
    }
    return "unknown status";
}

const char* vorlex_verdict_name(vorlex_verdict verdict) {
    switch (verdict) {
    case VORLEX_VERDICT_REPAIR:
        return "repair";
    case VORLEX_VERDICT_UNCHANGED:
        return "unchanged";
    case VORLEX_VERDICT_NONE:
        return "none";
    case VORLEX_VERDICT_AMBIGUOUS:
        return "ambiguous";
    }
    return "";
}

const char* vorlex_filter_code(size_t index) {
    return index < engine::kFilters.size() ? engine::kFilters[index].code.data() : nullptr;
}

const char* vorlex_filter_name(size_t index) {
    return index < engine::kFilters.size() ? engine::kFilters[index].displayName.data() : nullptr;
}

void vorlex_free(void* memory) {
    std::free(memory);
}

vorlex_status vorlex_recode(const char* data, size_t length, const char* action, unsigned flags,
                            char** out, size_t* out_length, vorlex_error_detail* detail) {
    if (!out || !out_length)
        return VORLEX_ERROR_ARGUMENT;
    *out = nullptr;
    *out_length = 0;
    try {
        Input input;
        if (const vorlex_status status = readInput(data, length, flags, input, detail))
            return status;
        const std::optional<engine::FilterList> filters = strictAction(action);
        if (!filters)
            return action ? VORLEX_ERROR_ACTION : VORLEX_ERROR_ARGUMENT;
        const std::optional<std::vector<std::uint8_t>> recoded =
            engine::recodeDocumentCopy(bytesOf(input.text), *filters, latinOptions(flags));
        if (!recoded || !(*out = copyOut(textOf(*recoded))))
            return VORLEX_ERROR_MEMORY;
        *out_length = recoded->size();
        return VORLEX_OK;
    } catch (const std::bad_alloc&) {
        return VORLEX_ERROR_MEMORY;
    }
}

void vorlex_repair_free(vorlex_repair_result* result) {
    if (!result)
        return;
    std::free(result->data);
    std::free(result->text);
    delete result;
}

vorlex_status vorlex_repair(const char* data, size_t length, unsigned flags,
                            vorlex_repair_result** result, vorlex_error_detail* detail) {
    if (!result)
        return VORLEX_ERROR_ARGUMENT;
    *result = nullptr;
    vorlex_repair_result* out = nullptr;
    try {
        Input input;
        if (const vorlex_status status = readInput(data, length, flags, input, detail))
            return status;
        const detect::Sample sample = detect::sampleSource(input.text);
        const detect::DocumentRepair repair =
            detect::planRepair(dictionary(), sample, input.text, {});

        out = new vorlex_repair_result{};
        out->verdict = static_cast<vorlex_verdict>(repair.ranking.verdict);
        out->confidence = repair.confidence();
        out->plausibility = repair.plausibility();
        std::optional<std::vector<std::uint8_t>> recoded;
        std::string_view repaired = input.text;
        if (repair.chain && repair.chain->count > 0) {
            copyAction(out->action, engine::chainActionString(*repair.chain));
            recoded =
                engine::recodeDocumentCopy(bytesOf(input.text), *repair.chain, latinOptions(flags));
            if (!recoded)
                throw std::bad_alloc();
            repaired = textOf(*recoded);
        }
        const std::string utf8 = engine::win1251ToUtf8(repaired);
        out->data = copyOut(repaired);
        out->text = copyOut(utf8);
        if (!out->data || !out->text)
            throw std::bad_alloc();
        out->data_length = repaired.size();
        out->text_length = utf8.size();
        *result = out;
        return VORLEX_OK;
    } catch (const std::bad_alloc&) {
        vorlex_repair_free(out);
        return VORLEX_ERROR_MEMORY;
    }
}

void vorlex_candidates_free(vorlex_candidate_list* list) {
    if (!list)
        return;
    for (std::size_t i = 0; i < list->count; ++i) {
        if (list->items[i])
            std::free(list->items[i]->label);
        delete list->items[i];
    }
    delete[] list->items;
    delete list;
}

vorlex_status vorlex_candidates(const char* data, size_t length, unsigned flags, size_t limit,
                                vorlex_candidate_list** list, vorlex_error_detail* detail) {
    if (!list)
        return VORLEX_ERROR_ARGUMENT;
    *list = nullptr;
    if (limit < static_cast<std::size_t>(detect::kMinVariants) ||
        limit > static_cast<std::size_t>(detect::kMaxVariants))
        return VORLEX_ERROR_ARGUMENT;
    vorlex_candidate_list* out = nullptr;
    try {
        Input input;
        if (const vorlex_status status = readInput(data, length, flags, input, detail))
            return status;
        const detect::Sample sample = detect::sampleSource(input.text);
        const detect::RefinedRanking ranking =
            detect::refineRanking(dictionary(), sample, input.text, {}, limit);

        out = new vorlex_candidate_list{};
        out->verdict = static_cast<vorlex_verdict>(ranking.verdict);
        out->ambiguous = ranking.ambiguous ? 1 : 0;
        out->items = new vorlex_candidate* [ranking.candidates.size()] {};
        for (const detect::RefinedCandidate& candidate : ranking.candidates) {
            vorlex_candidate* item = new vorlex_candidate{};
            out->items[out->count++] = item;
            copyAction(item->action, candidate.action);
            item->score = candidate.score;
            item->confidence = candidate.confidence;
            item->plausibility = candidate.plausibility;
            const std::string label = engine::win1251ToUtf8(candidate.label);
            if (!(item->label = copyOut(label)))
                throw std::bad_alloc();
            item->label_length = label.size();
        }
        *list = out;
        return VORLEX_OK;
    } catch (const std::bad_alloc&) {
        vorlex_candidates_free(out);
        return VORLEX_ERROR_MEMORY;
    }
}

} // extern "C"
