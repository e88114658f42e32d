/* libvorlex: repairs Russian text stored in the wrong Cyrillic 8-bit encoding or damaged on its
 * way through Unicode.
 *
 * The calls of this library keep no state between them and share nothing that changes: any
 * number of threads may call any of them at once. Texts are passed as a pointer and a length
 * (no terminator needed; NULL is fine with length 0). Everything the library returns is
 * allocated by it and released by the matching free function, which accepts NULL.
 *
 * How the input is read, by one of these flags (none: bytes):
 * - bytes: the text as stored, Windows-1251 bytes when it needs no repair;
 * - VORLEX_INPUT_UTF8: UTF-8 text converted to Windows-1251 first (text read as Windows-1251;
 *   a character without a Windows-1251 byte is an error), then as bytes;
 * - VORLEX_INPUT_UNICODE: UTF-8 text that arrived as Unicode, as `vorlex-cli` reads the
 *   clipboard or a UTF-8 file. It may have been damaged on its way through Unicode (UTF-8 read
 *   as Windows-1251: "РџСЂРёРІРµС‚", Windows-1251 shown as Windows-1252: "Ïðèâåò", ...) as
 *   well as in the 8-bit pages; actions then start with Unicode steps ("uw 8u ") and the
 *   repaired text is UTF-8;
 * - VORLEX_INPUT_DETECT: as `vorlex-cli auto` reads a file: Unicode when it is valid UTF-8
 *   holding a character above U+007F, bytes otherwise.
 * The last two came after the first release of version 1; a library older than them answers
 * them with VORLEX_ERROR_ARGUMENT.
 *
 * Version 1 of this interface: later versions only add functions, flags and structure fields at
 * the end of the structures, which the library always allocates itself.
 */
#ifndef VORLEX_H
#define VORLEX_H

#include <stddef.h>

#if defined(VORLEX_BUILDING_LIBRARY)
#define VORLEX_API __attribute__((visibility("default")))
#else
#define VORLEX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* What a call reports. */
typedef enum vorlex_status {
    VORLEX_OK = 0,
    VORLEX_ERROR_ARGUMENT = 1, /* a NULL pointer, unknown flag bits, two input flags */
    VORLEX_ERROR_ACTION = 2,   /* the action string is no chain of filter codes */
    VORLEX_ERROR_UTF8 = 3,     /* UTF-8 input (by a flag or an action) is no valid UTF-8 */
    /* VORLEX_INPUT_UTF8 and a character has no Windows-1251 byte, or the view of a Unicode
     * action meets a character its page lacks */
    VORLEX_ERROR_UNMAPPABLE = 4,
    VORLEX_ERROR_MEMORY = 5, /* not enough memory */
    /* VORLEX_INPUT_UNICODE (or DETECT): the repair found on the start of the text does not
     * fit the rest of it (a character there that a view's page lacks) */
    VORLEX_ERROR_UNFIT = 6
} vorlex_status;

/* What the ranking of a text's readings concludes. */
typedef enum vorlex_verdict {
    VORLEX_VERDICT_REPAIR = 0,    /* a recoding gives plausible Russian text */
    VORLEX_VERDICT_UNCHANGED = 1, /* the text as it is is the most plausible reading */
    VORLEX_VERDICT_NONE = 2,      /* no reading is plausible Russian: nothing to repair */
    VORLEX_VERDICT_AMBIGUOUS = 3  /* the two best readings are plausible, close and differ */
} vorlex_verdict;

/* Flags. The three transliteration options are those of vorlex-cli recode. */
#define VORLEX_W_AS_VE 0x1u          /* Latin to Cyrillic: w/W give в/В instead of щ/Щ */
#define VORLEX_NO_SJ 0x2u            /* Latin to Cyrillic: the pair sj is not read as щ */
#define VORLEX_SEPARATE_ENGLISH 0x4u /* Cyrillic to Latin: enclose Latin letters in markers */
/* How the input is read (at most one; see the top of this file). A leading BOM is skipped. */
#define VORLEX_INPUT_UTF8 0x100u    /* UTF-8 text converted to Windows-1251 */
#define VORLEX_INPUT_UNICODE 0x200u /* UTF-8 text that arrived as Unicode */
#define VORLEX_INPUT_DETECT 0x400u  /* Unicode when valid UTF-8 above ASCII, else bytes */

/* Longest action string a result holds, terminator included. */
#define VORLEX_ACTION_SIZE 32

/* Where a failed UTF-8 conversion stopped (VORLEX_ERROR_UTF8 and VORLEX_ERROR_UNMAPPABLE). */
typedef struct vorlex_error_detail {
    size_t byte_offset;       /* in the UTF-8 input */
    size_t character_index;   /* 0-based, counting characters of the input */
    unsigned long code_point; /* the character without a Windows-1251 byte */
} vorlex_error_detail;

/* The version of the library, "MAJOR.MINOR.PATCH.TWEAK". */
VORLEX_API const char* vorlex_version(void);

/* A short English description of a status ("ok", "the action ..."); never NULL. */
VORLEX_API const char* vorlex_status_message(vorlex_status status);

/* "repair", "unchanged", "none" or "ambiguous" ("" for any other value). */
VORLEX_API const char* vorlex_verdict_name(vorlex_verdict verdict);

/* The sixteen filter codes ("lw wl ai ak aw ia ik iw ka ki kw wa wi wk mw wm"), then their
 * display names ("Latinica->Win", ...): index 0..15, NULL past the end. */
VORLEX_API const char* vorlex_filter_code(size_t index);
VORLEX_API const char* vorlex_filter_name(size_t index);

/* Releases memory the library returned (recoded bytes); NULL does nothing. */
VORLEX_API void vorlex_free(void* memory);

/* Recodes `data` through the chain `action` (NUL-terminated filter codes separated by single
 * spaces, "kw" or "kw wl ", at most five). Flags: the three transliteration options and an
 * input flag (a chain gets Unicode text in its Windows-1251 form). An action that holds Unicode
 * steps ("uw 8u ", as vorlex_repair and vorlex_candidates report them for Unicode input) reads the
 * input as UTF-8 Unicode text, unless it starts with 8u (the input is bytes that were UTF-8),
 * whatever the input flag says; its result is UTF-8, unless it made bytes from bytes. On VORLEX_OK
 * *out holds *out_length bytes (plus a terminator not counted) to release with vorlex_free; on
 * failure *out is NULL. `detail` may be NULL; it is left as it is when a later step of a
 * Unicode action, not the input, is no valid UTF-8 or holds a character a view's page lacks. */
VORLEX_API vorlex_status vorlex_recode(const char* data, size_t length, const char* action,
                                       unsigned flags, char** out, size_t* out_length,
                                       vorlex_error_detail* detail);

/* The repair of a whole document. */
typedef struct vorlex_repair_result {
    vorlex_verdict verdict;
    /* The chain applied ("kw " ...; for Unicode input the whole action, "uw 8u " ...); "" when
     * the text stays as it is (verdict unchanged or none). */
    char action[VORLEX_ACTION_SIZE];
    double confidence;   /* share of belief in the chosen reading among all readings, 0..1 */
    double plausibility; /* how likely the chosen reading is real Russian text, 0..1 */
    /* The repaired text in Windows-1251 (for Unicode input: UTF-8, as `text`); the input as it
     * is when the verdict is none. */
    char* data;
    size_t data_length;
    /* The same text as UTF-8. Both are NUL-terminated (not counted in the lengths). */
    char* text;
    size_t text_length;
} vorlex_repair_result;

/* Ranks the readings of `data` and repairs the whole document with the best one, as
 * `vorlex-cli auto --best` does (with VORLEX_INPUT_DETECT, exactly as it reads a file). Flags:
 * an input flag and the transliteration options (for a chain that transliterates). On
 * VORLEX_OK *result is to release with vorlex_repair_free; on failure it is NULL. `detail`
 * may be NULL. */
VORLEX_API vorlex_status vorlex_repair(const char* data, size_t length, unsigned flags,
                                       vorlex_repair_result** result, vorlex_error_detail* detail);
VORLEX_API void vorlex_repair_free(vorlex_repair_result* result);

/* One reading of a text. */
typedef struct vorlex_candidate {
    char action[VORLEX_ACTION_SIZE]; /* "" for the text as it is */
    double score;        /* log-likelihood per changeable byte; compare within one list only */
    double confidence;   /* share of belief among the readings, 0..1 */
    double plausibility; /* how likely it is real Russian text, 0..1 */
    char* label;         /* the start of the reading as UTF-8, NUL-terminated */
    size_t label_length;
} vorlex_candidate;

typedef struct vorlex_candidate_list {
    vorlex_verdict verdict;
    int ambiguous; /* the first two are too close to tell apart */
    size_t count;
    vorlex_candidate** items; /* best first */
} vorlex_candidate_list;

/* The readings of `data`, best first, at most `limit` (1..99), as `vorlex-cli auto --refined`
 * lists them with a fresh settings file (the built-in schemes). Flags: an input flag. On VORLEX_OK
 * *list is to release with vorlex_candidates_free; on failure it is NULL. `detail` may be NULL. */
VORLEX_API vorlex_status vorlex_candidates(const char* data, size_t length, unsigned flags,
                                           size_t limit, vorlex_candidate_list** list,
                                           vorlex_error_detail* detail);
VORLEX_API void vorlex_candidates_free(vorlex_candidate_list* list);

#ifdef __cplusplus
}
#endif

#endif /* VORLEX_H */
