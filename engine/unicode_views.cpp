#include "engine/unicode_views.h"

#include "engine/cp1251.h"
#include "engine/recode.h"

#include <algorithm>
#include <utility>

namespace vorlex::engine {
namespace {

#include "engine/display_pages.inc"

constexpr std::array<const std::array<char16_t, 128>*, 8> kHighHalves = {
    &kWindows1251High, &kKoi8rHigh,       &kCp866High,  &kIso8859_5High,
    &kMacCyrillicHigh, &kWindows1252High, &kLatin1High, &kCp437High};

constexpr std::array<std::string_view, 8> kPageNames = {"Win", "Koi",          "Alt",     "Iso",
                                                        "Mac", "Windows-1252", "Latin-1", "CP437"};

constexpr std::array<std::string_view, 8> kViewCodes = {"uw", "uk", "ua", "ui",
                                                        "um", "ue", "ul", "ud"};
constexpr std::array<std::string_view, 8> kShowCodes = {"wu", "ku", "au", "iu",
                                                        "mu", "eu", "lu", "du"};

struct Reverse {
    char16_t cp;
    std::uint8_t byte;
};
using ReverseTable = std::array<Reverse, 128>;

constexpr ReverseTable reverseOf(const std::array<char16_t, 128>& high) {
    ReverseTable table{};
    for (std::size_t i = 0; i < 128; ++i)
        table[i] = {high[i], static_cast<std::uint8_t>(0x80 + i)};
    std::sort(table.begin(), table.end(),
              [](const Reverse& a, const Reverse& b) { return a.cp < b.cp; });
    return table;
}

constexpr std::array<ReverseTable, 8> kReverse = {
    reverseOf(kWindows1251High), reverseOf(kKoi8rHigh),       reverseOf(kCp866High),
    reverseOf(kIso8859_5High),   reverseOf(kMacCyrillicHigh), reverseOf(kWindows1252High),
    reverseOf(kLatin1High),      reverseOf(kCp437High)};

constexpr std::size_t pageIndex(DisplayPage page) {
    return static_cast<std::size_t>(page);
}

std::optional<UnicodeStep> unicodeStepOfCode(std::string_view code) {
    if (code == "8u")
        return UnicodeStep{UnicodeStepKind::utf8Decode};
    if (code == "u8")
        return UnicodeStep{UnicodeStepKind::utf8Encode};
    for (const DisplayPage page : kDisplayPages) {
        if (kViewCodes[pageIndex(page)] == code)
            return UnicodeStep{UnicodeStepKind::view, page};
        if (kShowCodes[pageIndex(page)] == code)
            return UnicodeStep{UnicodeStepKind::show, page};
    }
    return std::nullopt;
}

// The tokens of an action string, or nullopt when it is not codes separated by single spaces.
std::optional<std::vector<std::string_view>> tokensOf(std::string_view action) {
    std::vector<std::string_view> tokens;
    if (!action.empty() && action.back() == ' ')
        action.remove_suffix(1);
    while (!action.empty()) {
        const std::size_t space = action.find(' ');
        const std::string_view token = action.substr(0, space);
        if (token.empty() || tokens.size() > kMaxActionSpans + kMaxUnicodeSteps + kMaxFilters)
            return std::nullopt;
        tokens.push_back(token);
        if (space == std::string_view::npos)
            break;
        action.remove_prefix(space + 1);
        if (action.empty())
            return std::nullopt;
    }
    return tokens;
}

// A span token: "@F+N", F and N decimal without leading zeros, N at least 1.
std::optional<CharSpan> spanOfToken(std::string_view token) {
    if (token.size() < 4 || token.front() != '@')
        return std::nullopt;
    const std::size_t plus = token.find('+');
    if (plus == std::string_view::npos)
        return std::nullopt;
    const auto number = [](std::string_view digits) -> std::optional<std::size_t> {
        if (digits.empty() || digits.size() > 9 || (digits.size() > 1 && digits.front() == '0'))
            return std::nullopt;
        std::size_t value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + static_cast<std::size_t>(c - '0');
        }
        return value;
    };
    const auto first = number(token.substr(1, plus - 1));
    const auto count = number(token.substr(plus + 1));
    if (!first || !count || *count == 0)
        return std::nullopt;
    return CharSpan{*first, *count};
}

// The byte offset of the character `index` of UTF-8 text, or nullopt past its end.
std::optional<std::size_t> offsetOfCharacter(std::string_view utf8, std::size_t index) {
    std::size_t pos = 0;
    for (std::size_t n = 0; n < index; ++n) {
        if (pos >= utf8.size())
            return std::nullopt;
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(utf8, pos, cp);
        pos += length == 0 ? 1 : length;
    }
    return pos;
}

} // namespace

std::string_view viewCode(DisplayPage page) noexcept {
    return kViewCodes[pageIndex(page)];
}

std::string_view showCode(DisplayPage page) noexcept {
    return kShowCodes[pageIndex(page)];
}

bool startsOnBytes(const UnicodeAction& action) noexcept {
    return action.spans.empty() && !action.steps.empty() && readsBytes(action.steps.front().kind);
}

char32_t pageToUnicode(DisplayPage page, std::uint8_t byte) noexcept {
    if (byte < 0x80)
        return byte;
    return (*kHighHalves[pageIndex(page)])[byte - 0x80];
}

std::optional<std::uint8_t> unicodeToPage(DisplayPage page, char32_t cp) noexcept {
    if (cp < 0x80)
        return static_cast<std::uint8_t>(cp);
    const ReverseTable& table = kReverse[pageIndex(page)];
    const auto it =
        std::lower_bound(table.begin(), table.end(), cp,
                         [](const Reverse& entry, char32_t key) { return entry.cp < key; });
    if (it == table.end() || it->cp != cp)
        return std::nullopt;
    return it->byte;
}

std::string showThrough(std::string_view bytes, DisplayPage page) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes)
        appendUtf8(out, pageToUnicode(page, static_cast<std::uint8_t>(c)));
    return out;
}

namespace {

std::optional<std::string> viewWith(std::string_view utf8, DisplayPage page,
                                    bool replacementIsUndefined) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const auto lead = static_cast<std::uint8_t>(utf8[pos]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++pos;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(utf8, pos, cp);
        if (length == 0)
            return std::nullopt;
        std::optional<std::uint8_t> byte = unicodeToPage(page, cp);
        if (!byte && replacementIsUndefined && cp == 0xFFFD && page == DisplayPage::windows1251)
            byte = 0x98;
        if (!byte)
            return std::nullopt;
        out += static_cast<char>(*byte);
        pos += length;
    }
    return out;
}

} // namespace

std::optional<std::string> viewThrough(std::string_view utf8, DisplayPage page) {
    return viewWith(utf8, page, false);
}

std::optional<std::string> viewOfUtf8Through(std::string_view utf8, DisplayPage page) {
    std::optional<std::string> bytes = viewWith(utf8, page, true);
    if (!bytes || page != DisplayPage::windows1251)
        return bytes;
    // A display that dropped the byte (a control it could not show) left its lead without it:
    // D0 ("Р") of "И", E2 80 ("вЂ") of ‘. Nothing else UTF-8 holds is so telling. An emoji
    // F0 9F ("рџ") left with one byte after it, or none, lost the 98 of the smileys (U+1F600 to
    // U+1F63F, the most used of them, "😀" F0 9F 98 80, "😘" F0 9F 98 98): the text around it
    // is repaired whatever emoji it was.
    const auto continues = [&](std::size_t i) {
        return i < bytes->size() && (static_cast<std::uint8_t>((*bytes)[i]) & 0xC0) == 0x80;
    };
    std::string out;
    out.reserve(bytes->size());
    for (std::size_t i = 0; i < bytes->size(); ++i) {
        if ((*bytes)[i] == '\xF0' && i + 1 < bytes->size() && (*bytes)[i + 1] == '\x9F') {
            // (Only before another character: the end of a cut sample is no sign.)
            const std::size_t after = continues(i + 2) ? i + 3 : i + 2;
            if (!continues(after) && after < bytes->size()) {
                out += "\xF0\x9F\x98";
                i += 1;
                if (!continues(i + 1))
                    out += '\x98';
                continue;
            }
        }
        out += (*bytes)[i];
        const auto byte = static_cast<std::uint8_t>((*bytes)[i]);
        const bool quoteLead = byte == 0x80 && i > 0 && (*bytes)[i - 1] == '\xE2';
        if ((byte == 0xD0 || quoteLead) && !continues(i + 1))
            out += '\x98';
    }
    return out;
}

bool isValidUtf8(std::string_view bytes) noexcept {
    for (std::size_t pos = 0; pos < bytes.size();) {
        if (static_cast<std::uint8_t>(bytes[pos]) < 0x80) {
            ++pos;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(bytes, pos, cp);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

bool isMultibyteUtf8(std::string_view bytes) noexcept {
    const bool multibyte = std::any_of(bytes.begin(), bytes.end(),
                                       [](char c) { return static_cast<std::uint8_t>(c) >= 0x80; });
    return multibyte && isValidUtf8(bytes);
}

std::size_t lengthWithoutCutCharacter(std::string_view bytes) noexcept {
    for (std::size_t back = 1; back <= std::min<std::size_t>(4, bytes.size()); ++back) {
        const auto byte = static_cast<std::uint8_t>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? bytes.size() - back : bytes.size();
    }
    return bytes.size();
}

std::optional<UnicodeAction> parseUnicodeAction(std::string_view action) {
    const auto tokens = tokensOf(action);
    if (!tokens)
        return std::nullopt;
    UnicodeAction parsed;
    for (const std::string_view token : *tokens) {
        if (const auto span = spanOfToken(token)) {
            const bool inOrder =
                parsed.spans.empty() ||
                parsed.spans.back().first + parsed.spans.back().count <= span->first;
            if (!parsed.steps.empty() || parsed.chain.count > 0 || !inOrder ||
                parsed.spans.size() >= kMaxActionSpans)
                return std::nullopt;
            parsed.spans.push_back(*span);
        } else if (const auto step = unicodeStepOfCode(token)) {
            if (parsed.chain.count > 0 || parsed.steps.size() >= kMaxUnicodeSteps)
                return std::nullopt;
            parsed.steps.push_back(*step);
        } else if (const auto filter = filterIndexOfCode(token)) {
            if (!parsed.chain.append(*filter))
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    // Spans are characters of Unicode text: what they run first must read such text.
    if (!parsed.spans.empty() && (parsed.steps.empty() || readsBytes(parsed.steps.front().kind)))
        return std::nullopt;
    return parsed;
}

bool holdsUnicodeStep(std::string_view action) {
    const auto tokens = tokensOf(action);
    if (!tokens)
        return false;
    return std::any_of(tokens->begin(), tokens->end(), [](std::string_view token) {
        return unicodeStepOfCode(token).has_value() || spanOfToken(token).has_value();
    });
}

std::string unicodeActionString(const UnicodeAction& action) {
    std::string text;
    for (const CharSpan& span : action.spans)
        text += '@' + std::to_string(span.first) + '+' + std::to_string(span.count) + ' ';
    for (const UnicodeStep& step : action.steps) {
        switch (step.kind) {
        case UnicodeStepKind::view:
            text += viewCode(step.page);
            break;
        case UnicodeStepKind::utf8Decode:
            text += "8u";
            break;
        case UnicodeStepKind::utf8Encode:
            text += "u8";
            break;
        case UnicodeStepKind::show:
            text += showCode(step.page);
            break;
        }
        text += ' ';
    }
    return text + chainActionString(action.chain);
}

std::string unicodeActionDescription(const UnicodeAction& action, std::string_view separator) {
    std::string text;
    if (!action.spans.empty()) {
        std::string where = "Characters ";
        for (std::size_t i = 0; i < action.spans.size(); ++i) {
            const CharSpan& span = action.spans[i];
            where += i == 0 ? "" : ", ";
            where += std::to_string(span.first + 1) + '-' + std::to_string(span.first + span.count);
        }
        UnicodeAction whole = action;
        whole.spans.clear();
        return where + ": " + unicodeActionDescription(whole, separator);
    }
    for (const UnicodeStep& step : action.steps) {
        if (!text.empty())
            text += separator;
        switch (step.kind) {
        case UnicodeStepKind::view:
            text += "Unicode->";
            text += kPageNames[pageIndex(step.page)];
            break;
        case UnicodeStepKind::utf8Decode:
            text += "UTF-8->Unicode";
            break;
        case UnicodeStepKind::utf8Encode:
            text += "Unicode->UTF-8";
            break;
        case UnicodeStepKind::show:
            text += kPageNames[pageIndex(step.page)];
            text += "->Unicode";
            break;
        }
    }
    const std::string chain = chainDescription(action.chain, separator);
    if (!text.empty() && !chain.empty())
        text += separator;
    return text + chain;
}

std::optional<UnicodeActionResult> applyUnicodeAction(const UnicodeAction& action,
                                                      std::string_view input, bool inputIsUnicode,
                                                      const LatinOptions& options,
                                                      UnicodeActionError& error) {
    error = UnicodeActionError::none;
    if (!action.spans.empty()) {
        if (!inputIsUnicode) {
            error = UnicodeActionError::notUnicode;
            return std::nullopt;
        }
        if (!isValidUtf8(input)) {
            error = UnicodeActionError::invalidUtf8;
            return std::nullopt;
        }
        UnicodeAction whole = action;
        whole.spans.clear();
        std::string out;
        std::size_t done = 0; // bytes of the input already out
        for (const CharSpan& span : action.spans) {
            const auto start = offsetOfCharacter(input, span.first);
            const auto end = start ? offsetOfCharacter(input, span.first + span.count) : start;
            if (!start || !end) {
                error = UnicodeActionError::spanOutside;
                return std::nullopt;
            }
            const auto piece = applyUnicodeAction(whole, input.substr(*start, *end - *start), true,
                                                  options, error);
            if (!piece)
                return std::nullopt;
            out += input.substr(done, *start - done);
            out += resultAsUtf8(*piece);
            done = *end;
        }
        out += input.substr(done);
        return UnicodeActionResult{std::move(out), true};
    }
    UnicodeActionResult state{std::string(input), inputIsUnicode};
    if (inputIsUnicode && !isValidUtf8(state.text)) {
        error = UnicodeActionError::invalidUtf8;
        return std::nullopt;
    }
    for (std::size_t i = 0; i < action.steps.size(); ++i) {
        const UnicodeStep& step = action.steps[i];
        const bool wantsUnicode = !readsBytes(step.kind);
        if (wantsUnicode != state.unicode) {
            error = state.unicode ? UnicodeActionError::notBytes : UnicodeActionError::notUnicode;
            return std::nullopt;
        }
        switch (step.kind) {
        case UnicodeStepKind::view: {
            const bool decodedNext = i + 1 < action.steps.size() &&
                                     action.steps[i + 1].kind == UnicodeStepKind::utf8Decode;
            std::optional<std::string> bytes = decodedNext
                                                   ? viewOfUtf8Through(state.text, step.page)
                                                   : viewThrough(state.text, step.page);
            if (!bytes) {
                error = UnicodeActionError::lossyView;
                return std::nullopt;
            }
            state.text = std::move(*bytes);
            break;
        }
        case UnicodeStepKind::utf8Decode:
            if (!isValidUtf8(state.text)) {
                error = UnicodeActionError::invalidUtf8;
                return std::nullopt;
            }
            break; // the bytes are the UTF-8 form of the text
        case UnicodeStepKind::utf8Encode:
            break;
        case UnicodeStepKind::show:
            state.text = showThrough(state.text, step.page);
            break;
        }
        state.unicode = readsBytes(step.kind);
    }
    if (action.chain.count == 0)
        return state;
    if (state.unicode) {
        error = UnicodeActionError::notBytes;
        return std::nullopt;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(state.text.data());
    const std::span<const std::uint8_t> document(data, state.text.size());
    std::vector<std::uint8_t> work(workBufferSize(document.size(), action.chain, options));
    const DocumentResult done = recodeDocument(document, work, action.chain, options);
    if (done.status != RecodeStatus::ok) {
        error = UnicodeActionError::outOfMemory;
        return std::nullopt;
    }
    return UnicodeActionResult{std::string(reinterpret_cast<const char*>(work.data()), done.length),
                               false};
}

std::string resultAsUtf8(const UnicodeActionResult& result) {
    return result.unicode ? result.text : win1251ToUtf8(result.text);
}

} // namespace vorlex::engine
