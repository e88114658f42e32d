// Text that arrives as Unicode and the ways Russian text gets damaged on its way through it:
// the pages a text may have been shown through (views), and UTF-8 taken for 8-bit bytes.
//
// Unicode text is held as UTF-8. A view turns it back into the bytes it was shown from; the
// UTF-8 decode step says "these bytes were UTF-8" and makes them Unicode text again. A Unicode
// action string writes such steps before an ordinary filter chain:
//   uw uk ua ui um   Unicode -> bytes of Win, Koi, Alt, Iso or Mac
//   ue ul ud         Unicode -> bytes of Windows-1252, Latin-1 or CP437 (DOS)
//   8u               bytes -> Unicode: the bytes were UTF-8
//   wu ku au iu mu   bytes -> Unicode: the bytes were Win, Koi, Alt, Iso or Mac text
//   eu lu du         bytes -> Unicode: the bytes were Windows-1252, Latin-1 or CP437 text
//   u8               Unicode -> its UTF-8 bytes
// followed by at most five filter codes, which work on bytes. Before them an action may name
// the characters it works on: "@57+12" (the 12 characters from the 58th on; several spans in
// the order of the text), for a text of which only those parts are damaged; the rest of the
// text stays as it is. The classic parser ends a list at the first token it does not know, so
// an action that starts with one of these codes is an empty chain to it.
#pragma once

#include "engine/filters.h"
#include "engine/latin.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlex::engine {

enum class DisplayPage {
    windows1251,
    koi8r,
    cp866,
    iso8859_5,
    macCyrillic,
    windows1252,
    latin1,
    cp437
};

inline constexpr std::array<DisplayPage, 8> kDisplayPages = {
    DisplayPage::windows1251, DisplayPage::koi8r,       DisplayPage::cp866,  DisplayPage::iso8859_5,
    DisplayPage::macCyrillic, DisplayPage::windows1252, DisplayPage::latin1, DisplayPage::cp437};

/// Whether the page is one of the five Cyrillic pages.
constexpr bool isCyrillicPage(DisplayPage page) {
    return page != DisplayPage::windows1252 && page != DisplayPage::latin1 &&
           page != DisplayPage::cp437;
}

/// The view code of a page ("uw", "ue", ...).
[[nodiscard]] std::string_view viewCode(DisplayPage page) noexcept;

/// The code of reading bytes as text of a page ("wu", "ku", ...): the reverse of its view.
[[nodiscard]] std::string_view showCode(DisplayPage page) noexcept;

/// The code point a byte shows as on a page (undefined bytes: the C1 control of that number).
[[nodiscard]] char32_t pageToUnicode(DisplayPage page, std::uint8_t byte) noexcept;

/// The byte of a code point on a page, or nullopt when the page lacks it.
[[nodiscard]] std::optional<std::uint8_t> unicodeToPage(DisplayPage page, char32_t cp) noexcept;

/// Bytes shown through a page, as UTF-8 (never fails; at most three bytes out per byte in).
[[nodiscard]] std::string showThrough(std::string_view bytes, DisplayPage page);

/// The view: the bytes that show as this UTF-8 text on the page. nullopt when the text is not
/// valid UTF-8 or holds a character the page lacks (the view would lose it).
[[nodiscard]] std::optional<std::string> viewThrough(std::string_view utf8, DisplayPage page);

/// viewThrough for bytes that were UTF-8. On Windows-1251 it also takes back byte 0x98, the one
/// byte that page leaves undefined: many decoders (Python, Java, .NET) show it as U+FFFD ("Р�"
/// for the "И" of UTF-8), and displays that cannot show the control it is drop it ("РРЅС„Рѕ"
/// for "Инфо"), so a lead byte D0 or E2 80 left without the byte after it gets 0x98 back. Only
/// for a view that a UTF-8 decoding follows: the decoding tells whether the byte fits.
[[nodiscard]] std::optional<std::string> viewOfUtf8Through(std::string_view utf8, DisplayPage page);

/// Whether the bytes are valid UTF-8.
[[nodiscard]] bool isValidUtf8(std::string_view bytes) noexcept;

/// Whether the bytes are valid UTF-8 holding at least one sequence of two bytes or more.
[[nodiscard]] bool isMultibyteUtf8(std::string_view bytes) noexcept;

/// The length of the bytes without a UTF-8 character that their end cuts short (the start of
/// a longer text read in part); a complete last character is kept.
[[nodiscard]] std::size_t lengthWithoutCutCharacter(std::string_view bytes) noexcept;

/// view: Unicode -> bytes of a page; show: bytes -> Unicode through a page.
enum class UnicodeStepKind { view, utf8Decode, utf8Encode, show };

/// Whether the step reads bytes (otherwise it reads Unicode text).
constexpr bool readsBytes(UnicodeStepKind kind) {
    return kind == UnicodeStepKind::utf8Decode || kind == UnicodeStepKind::show;
}

struct UnicodeStep {
    UnicodeStepKind kind = UnicodeStepKind::view;
    DisplayPage page = DisplayPage::windows1251; ///< for a view or a show
    friend bool operator==(const UnicodeStep&, const UnicodeStep&) = default;
};

/// Most Unicode steps an action string may hold.
inline constexpr std::size_t kMaxUnicodeSteps = 8;

/// Characters of a Unicode text, counted from 0.
struct CharSpan {
    std::size_t first = 0;
    std::size_t count = 0;
    friend bool operator==(const CharSpan&, const CharSpan&) = default;
};

/// Most spans an action string may name.
inline constexpr std::size_t kMaxActionSpans = 8;

/// Unicode steps first, then an ordinary chain on the bytes they give; with spans, run on each
/// of those characters alone, the rest of the text kept.
struct UnicodeAction {
    std::vector<UnicodeStep> steps;
    FilterList chain;
    std::vector<CharSpan> spans; ///< empty for the whole text
    friend bool operator==(const UnicodeAction&, const UnicodeAction&) = default;
};

/// Whether the action reads its input as bytes (its first step does); otherwise as Unicode.
[[nodiscard]] bool startsOnBytes(const UnicodeAction& action) noexcept;

/// Parses a Unicode action string: codes separated by single spaces (one trailing space
/// allowed), spans before Unicode steps before filter codes. Strict, unlike the classic parser:
/// nullopt for any token it does not know, more than kMaxUnicodeSteps steps, five filters or
/// kMaxActionSpans spans, spans out of order, overlapping or empty, or a token out of place.
[[nodiscard]] std::optional<UnicodeAction> parseUnicodeAction(std::string_view action);

/// Whether the action string holds a Unicode step code or a span.
[[nodiscard]] bool holdsUnicodeStep(std::string_view action);

/// Names of the steps and filters joined by `separator` ("Unicode->Win then UTF-8->Unicode").
[[nodiscard]] std::string unicodeActionDescription(const UnicodeAction& action,
                                                   std::string_view separator = " then ");

/// The action string: each code followed by one space.
[[nodiscard]] std::string unicodeActionString(const UnicodeAction& action);

struct UnicodeActionResult {
    std::string text;
    bool unicode = false; ///< `text` is Unicode (UTF-8); otherwise Windows-1251 bytes
};

/// Why an action could not run.
enum class UnicodeActionError {
    none,
    notUnicode,  ///< a view or u8 met bytes
    notBytes,    ///< 8u or a filter met Unicode text
    lossyView,   ///< the text holds a character the page lacks
    invalidUtf8, ///< 8u met bytes that are no UTF-8
    outOfMemory, ///< the chain could not run
    spanOutside, ///< a span reaches past the end of the text
};

/// Runs the action over `input` (Unicode text as UTF-8 when `inputIsUnicode`, bytes
/// otherwise). A chain runs on bytes; an action with an empty chain that ends on Unicode text
/// gives Unicode text, and so does one with spans (their results read as Windows-1251 text when
/// they end on bytes). nullopt with the reason in `error` when a step cannot run.
[[nodiscard]] std::optional<UnicodeActionResult>
applyUnicodeAction(const UnicodeAction& action, std::string_view input, bool inputIsUnicode,
                   const LatinOptions& options, UnicodeActionError& error);

/// The result as UTF-8: Unicode text as it is, bytes read as Windows-1251.
[[nodiscard]] std::string resultAsUtf8(const UnicodeActionResult& result);

} // namespace vorlex::engine
