// The C interface over the engine and the automatic recoding.
#include "vorlex.h"

#include "detect/candidates.h"
#include "detect/file_decision.h"
#include "detect/sample.h"
#include "detect/stored_schemes.h"
#include "detect/unicode_repair.h"
#include "engine/cp1251.h"
#include "engine/filters.h"
#include "engine/recode.h"
#include "engine/unicode_views.h"
#include "store/builtin_schemes.h"

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
constexpr unsigned kInputFlags = VORLEX_INPUT_UTF8 | VORLEX_INPUT_UNICODE | VORLEX_INPUT_DETECT;
constexpr unsigned kKnownFlags = kLatinFlags | kInputFlags;

// The longest action the Unicode search gives (a view at each of its levels, a UTF-8 decode
// between them, then a chain) fits a result's action field.
static_assert((2 * detect::kMaxUtf8Layers + 1 + engine::kMaxFilters) * 3 < VORLEX_ACTION_SIZE);

// Built on first use and only read afterwards; its construction is thread-safe.
const detect::Dictionary& dictionary() {
    static const detect::Dictionary instance;
    return instance;
}

// The chains of the built-in schemes, as a fresh settings file holds them: the refined ranking
// weighs them beside its own search, which has no Mac Cyrillic filter. Built once, then read.
const std::vector<engine::FilterList>& schemeChains() {
    static const std::vector<engine::FilterList> chains = [] {
        std::vector<engine::FilterList> scored;
        for (const store::BuiltInScheme& scheme : store::builtInSchemes()) {
            if (const std::optional<engine::FilterList> chain =
                    detect::scoredSchemeChain(scheme.action))
                scored.push_back(*chain);
        }
        return scored;
    }();
    return chains;
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

constexpr std::string_view kBom = "\xEF\xBB\xBF";

/// Where UTF-8 text stops being valid, as a failed conversion reports it; false when it is
/// valid.
bool findInvalidUtf8(std::string_view text, std::size_t skipped, vorlex_error_detail* detail) {
    std::size_t index = skipped ? 1 : 0;
    for (std::size_t pos = 0; pos < text.size(); ++index) {
        char32_t cp = 0;
        const std::size_t length = engine::decodeUtf8(text, pos, cp);
        if (length == 0) {
            if (detail)
                *detail = {pos + skipped, index, 0};
            return true;
        }
        pos += length;
    }
    return false;
}

/// The input as the calls read it: Windows-1251 bytes (`text` itself or converted from UTF-8),
/// or Unicode text as UTF-8.
struct Input {
    std::string converted;
    std::string_view text;
    bool unicode = false;
};

vorlex_status readInput(const char* data, std::size_t length, unsigned flags, Input& input,
                        vorlex_error_detail* detail) {
    if (!data && length != 0)
        return VORLEX_ERROR_ARGUMENT;
    const unsigned inputFlags = flags & kInputFlags;
    if ((flags & ~kKnownFlags) != 0 || (inputFlags & (inputFlags - 1)) != 0)
        return VORLEX_ERROR_ARGUMENT;
    std::string_view text(data ? data : "", length);
    if (!inputFlags) {
        input.text = text;
        return VORLEX_OK;
    }
    const std::size_t skipped = text.starts_with(kBom) ? kBom.size() : 0;
    const std::string_view withoutBom = text.substr(skipped);
    if (inputFlags == VORLEX_INPUT_DETECT) {
        // As vorlex-cli reads a file: other bytes stay as they are, a BOM included.
        input.unicode = detect::arrivesAsUnicode(withoutBom);
        input.text = input.unicode ? withoutBom : text;
        return VORLEX_OK;
    }
    if (inputFlags == VORLEX_INPUT_UNICODE) {
        if (findInvalidUtf8(withoutBom, skipped, detail))
            return VORLEX_ERROR_UTF8;
        input.unicode = true;
        input.text = withoutBom;
        return VORLEX_OK;
    }
    engine::Utf8ToWin1251Result result = engine::utf8ToWin1251(withoutBom);
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

/// An action with Unicode steps, as vorlex-cli recode runs it: the input is Unicode text unless
/// the action starts by decoding bytes; the result is UTF-8 unless it is bytes made from bytes.
vorlex_status recodeUnicode(const char* data, std::size_t length, const char* action,
                            unsigned flags, char*& out, std::size_t& outLength,
                            vorlex_error_detail* detail) {
    const unsigned inputFlags = flags & kInputFlags;
    Input input;
    if ((inputFlags & (inputFlags - 1)) != 0)
        return VORLEX_ERROR_ARGUMENT;
    if (const vorlex_status status = readInput(data, length, flags & ~kInputFlags, input, detail))
        return status;
    const std::optional<engine::UnicodeAction> parsed = engine::parseUnicodeAction(action);
    if (!parsed)
        return VORLEX_ERROR_ACTION;
    std::string_view text = input.text;
    const bool fromUnicode = !engine::startsOnBytes(*parsed);
    const std::size_t skipped = fromUnicode && text.starts_with(kBom) ? kBom.size() : 0;
    text.remove_prefix(skipped);
    // A view or a UTF-8 decode first reads the input as UTF-8 (a later step may still meet
    // bytes that are no UTF-8, which has no place in the input to report); bytes read as text
    // of a page may be any bytes.
    const bool firstShows =
        !parsed->steps.empty() && parsed->steps.front().kind == engine::UnicodeStepKind::show;
    if (!firstShows && findInvalidUtf8(text, skipped, detail))
        return VORLEX_ERROR_UTF8;
    engine::UnicodeActionError error{};
    const std::optional<engine::UnicodeActionResult> result =
        engine::applyUnicodeAction(*parsed, text, fromUnicode, latinOptions(flags), error);
    if (!result) {
        switch (error) {
        case engine::UnicodeActionError::lossyView:
            return VORLEX_ERROR_UNMAPPABLE;
        case engine::UnicodeActionError::invalidUtf8:
            return VORLEX_ERROR_UTF8;
        case engine::UnicodeActionError::outOfMemory:
            return VORLEX_ERROR_MEMORY;
        default: // steps that do not fit together
            return VORLEX_ERROR_ACTION;
        }
    }
    const std::string bytes =
        !fromUnicode && !result->unicode ? result->text : engine::resultAsUtf8(*result);
    if (!(out = copyOut(bytes)))
        return VORLEX_ERROR_MEMORY;
    outLength = bytes.size();
    return VORLEX_OK;
}

/// vorlex_repair for Unicode text: the first plausible candidate whose action runs over the
/// whole text, as `vorlex-cli auto --best` writes it.
vorlex_status repairUnicode(std::string_view text, unsigned flags, vorlex_repair_result& out) {
    const detect::UnicodeRanking ranking =
        detect::rankUnicode(dictionary(), text, schemeChains(), detect::kDefaultVariants);
    out.verdict = static_cast<vorlex_verdict>(ranking.verdict);
    detect::UnicodeBest best = detect::bestUnicodeRepair(ranking, text, latinOptions(flags));
    if (best.outOfMemory)
        throw std::bad_alloc();
    const detect::UnicodeCandidate* chosen = best.candidate;
    std::string repaired = std::move(best.utf8);
    if (best.noPlausibleReading) {
        // The text as it is, rated by the first reading.
        chosen = ranking.candidates.empty() ? nullptr : &ranking.candidates.front();
        repaired = std::string(text);
    } else if (!chosen) {
        return VORLEX_ERROR_UNFIT;
    } else {
        copyAction(out.action, chosen->action);
    }
    if (chosen) {
        out.confidence = chosen->reading.confidence;
        out.plausibility = chosen->reading.plausibility;
    }
    out.data = copyOut(repaired);
    out.text = copyOut(repaired);
    if (!out.data || !out.text)
        throw std::bad_alloc();
    out.data_length = out.text_length = repaired.size();
    return VORLEX_OK;
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
        return "a character of the input has no byte in the code page it is converted to "
               "(Windows-1251, or the page of the action's view)";
    case VORLEX_ERROR_MEMORY:
        return "not enough memory";
    case VORLEX_ERROR_UNFIT:
        return "the repair found on the start of the text does not fit the rest of it";
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
        if (action && engine::holdsUnicodeStep(action))
            return recodeUnicode(data, length, action, flags, *out, *out_length, detail);
        Input input;
        vorlex_status status = readInput(data, length, flags, input, detail);
        // A chain works on bytes: Unicode text is taken in its Windows-1251 form.
        if (status == VORLEX_OK && input.unicode)
            status =
                readInput(data, length, (flags & ~kInputFlags) | VORLEX_INPUT_UTF8, input, detail);
        if (status != VORLEX_OK)
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
        if (input.unicode) {
            out = new vorlex_repair_result{};
            if (const vorlex_status status = repairUnicode(input.text, flags, *out)) {
                vorlex_repair_free(out);
                return status;
            }
            *result = out;
            return VORLEX_OK;
        }
        const detect::FileDecision decision =
            detect::decideText(dictionary(), input.text, false, schemeChains(),
                               detect::kDefaultVariants, latinOptions(flags));

        out = new vorlex_repair_result{};
        out->verdict = static_cast<vorlex_verdict>(decision.verdict);
        out->confidence = decision.confidence;
        out->plausibility = decision.plausibility;
        std::optional<std::vector<std::uint8_t>> recoded;
        std::string_view repaired = input.text;
        if (decision.answer == detect::FileAnswer::chain) {
            copyAction(out->action, engine::chainActionString(decision.chain));
            recoded = engine::recodeDocumentCopy(bytesOf(input.text), decision.chain,
                                                 latinOptions(flags));
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
        out = new vorlex_candidate_list{};
        const auto add = [&](const std::string& action, const detect::RefinedCandidate& reading,
                             const std::string& label) {
            vorlex_candidate* item = new vorlex_candidate{};
            out->items[out->count++] = item;
            copyAction(item->action, action);
            item->score = reading.score;
            item->confidence = reading.confidence;
            item->plausibility = reading.plausibility;
            if (!(item->label = copyOut(label)))
                throw std::bad_alloc();
            item->label_length = label.size();
        };
        if (input.unicode) {
            const detect::UnicodeRanking ranking =
                detect::rankUnicode(dictionary(), input.text, schemeChains(), limit);
            out->verdict = static_cast<vorlex_verdict>(ranking.verdict);
            out->ambiguous = ranking.ambiguous ? 1 : 0;
            out->items = new vorlex_candidate* [ranking.candidates.size()] {};
            for (const detect::UnicodeCandidate& candidate : ranking.candidates)
                add(candidate.action, candidate.reading, candidate.label);
        } else {
            const detect::Sample sample = detect::sampleSource(input.text);
            const detect::RefinedRanking ranking =
                detect::refineRanking(dictionary(), sample, input.text, schemeChains(), limit);
            out->verdict = static_cast<vorlex_verdict>(ranking.verdict);
            out->ambiguous = ranking.ambiguous ? 1 : 0;
            out->items = new vorlex_candidate* [ranking.candidates.size()] {};
            for (const detect::RefinedCandidate& candidate : ranking.candidates)
                add(candidate.action, candidate, engine::win1251ToUtf8(candidate.label));
        }
        *list = out;
        return VORLEX_OK;
    } catch (const std::bad_alloc&) {
        vorlex_candidates_free(out);
        return VORLEX_ERROR_MEMORY;
    }
}

} // extern "C"
