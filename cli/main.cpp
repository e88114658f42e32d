// vorlex-cli: the recoding core for scripts and pipelines.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "vorlex_version.h"

#include <csignal>
#include <cstdio>
#include <cstring>

namespace vorlex::cli {

const char* helpText() {
    return R"(Usage: vorlex-cli COMMAND [OPTIONS]

Repairs Russian text stored in the wrong Cyrillic 8-bit encoding.
Code pages: w Win (Windows-1251), k Koi (KOI8-R), i Iso (ISO 8859-5),
a Alt (CP866), m Mac (Mac Cyrillic), l Latinica (Latin transliteration).

Commands:
  recode (--action "CODES" | --scheme NAME) [OPTIONS] [FILE|-]
      Recode the whole input through a chain of filters and write the result.
      CODES are filter codes separated by single spaces, first filter first,
      e.g. "kw" (Koi->Win) or "wk wk"; the codes are
      lw wl ai ak aw ia ik iw ka ki kw wa wi wk mw wm.
      Unicode steps may come before them, as the refined ranking reports:
      uw uk ua ui um ue ul ud turn Unicode text into the bytes of Win, Koi,
      Alt, Iso, Mac, Windows-1252, Latin-1 or CP437 (DOS); wu ku au iu mu eu
      lu du read bytes as the text of that page; 8u reads bytes as UTF-8 and
      u8 writes Unicode text as UTF-8. Such an action takes UTF-8 input
      (bytes when it starts by reading bytes) and writes UTF-8. Before the
      steps, "@F+N" limits them to the N characters from the (F+1)th on
      (several spans in the order of the text); the rest is kept as it is.
      --scheme NAME       use the action of the stored scheme with this exact name
      --w-as-ve           Latin w gives В instead of Щ (lw)
      --no-sj             the Latin pair sj is not read as Щ (lw)
      --separate-english  keep Latin words apart with "\ " markers (wl)
                          (a switch not given is taken from the settings)
      --from-utf8         the input is UTF-8: turn it into Windows-1251 first
      --to-utf8           write the result as UTF-8 instead of Windows-1251
      -o, --output OUT    write to OUT (through a temporary file, renamed at the
                          end) instead of standard output

  auto [--precision N] [--max N] [--no-schemes] [--json] [--best]
       [--refined|--classic] [--from-utf8] [--input bytes] [--to-utf8]
       [-o OUT] [FILE|-]
      Try every filter chain on a sample of the text and list the plausible
      repairs, best first, then "found N". --refined lists them in the
      refined order, with a confidence and "ambiguous" when the first two are
      close. --best writes only the whole document recoded by the first
      repair of the refined order (of the classic one with --classic), as
      UTF-8 with --to-utf8; -o OUT writes to OUT instead of standard output.
      Text that arrives as Unicode (valid UTF-8 holding a character above
      U+007F, or any input with --from-utf8) is ranked and repaired as
      Unicode by --refined and --best, including UTF-8 read as 8-bit text
      and text shown through a Western page, and written as UTF-8;
      --input bytes reads it as 8-bit bytes instead.

  schemes
      List the stored schemes: number, name, action string.

  batch (--action "CODES" | --scheme NAME) --out DIR [--overwrite | --skip]
        [--w-as-ve] [--no-sj] [--separate-english] FILE...
      Recode each FILE whole and write it under its own name into the folder
      DIR (through a temporary file, renamed at the end). An output that
      exists is an error for that file unless --overwrite replaces it or
      --skip leaves it. Each failure is a line on standard error naming the
      file; the other files are still converted, and the exit status is 1.

  batch --auto [--min-confidence P] (--out DIR [--copy-unchanged] |
        --in-place [--backup SUFFIX | --no-backup]) [-r] [-j N]
        [--report FILE] [--dry-run] FILE|DIR...
      Repair each file by its own refined answer, judged on the whole
      document exactly as auto judges its best repair. A repair is written;
      a file that reads best as it is stays (copied into DIR with
      --copy-unchanged); a file with no plausible reading, or an ambiguous
      one whose confidence is below P (0 to 1, default 0), is not written
      and counts as a failure.
      --in-place replaces each repaired file atomically and keeps the
      original as FILE.orig (FILE+SUFFIX with --backup); an existing backup
      is never replaced: that file fails and stays untouched. In place, a
      file FILE.orig or FILE+SUFFIX with FILE beside it is a backup and is
      skipped, whatever the run keeps. -r converts
      the files in the folders named, keeping their tree under DIR
      (symbolic links are not followed). Binary files (a NUL byte in the
      first 8 KiB, or the signature of an executable, image or archive) are
      skipped. -j N runs N workers (default: one a core). --report FILE
      writes one JSON object a file, in input order: path, verdict, action,
      confidence, plausibility, bytes_in, bytes_out, output, error.
      --dry-run writes the report and nothing else. Batch with --action or
      --scheme takes -r, -j, --in-place, --backup, --no-backup, --report and
      --dry-run too. SIGINT or SIGTERM stops the run after the files in
      work; nothing is left half-written. Progress goes to standard error
      when it is a terminal.

Input is FILE, or standard input when FILE is "-" or missing.
The settings are read from the user's store, or from the INI file named by
the environment variable VORLEX_SETTINGS; vorlex-cli never changes them.

Exit status: 0 success, 1 failure (the reason is on standard error),
2 wrong usage.

vorlex-cli --help (also -h, help) prints this help, --version the version.
)";
}

} // namespace vorlex::cli

int main(int argc, char** argv) {
    using namespace vorlex::cli;
    // A file-size limit should give "File too large" and an intact target, not a dead process.
    std::signal(SIGXFSZ, SIG_IGN);
    if (argc < 2)
        return usageError("no command given");
    const std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(helpText(), stdout);
        return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
    }
    if (command == "--version" && args.empty()) {
        std::fputs("vorlex-cli " VORLEX_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
    }
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(helpText(), stdout);
            return kExitOk;
        }
    }
    if (command == "recode")
        return runRecode(std::move(args));
    if (command == "auto")
        return runAuto(std::move(args));
    if (command == "schemes")
        return runSchemes(std::move(args));
    if (command == "batch")
        return runBatch(std::move(args));
    return usageError("unknown command " + command);
}
