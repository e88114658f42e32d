#include "cli/parallel_batch.h"

#include "cli/cli_common.h"
#include "cli/cli_settings.h"
#include "cli/command_options.h"
#include "cli/worker_pool.h"
#include "detect/binary_content.h"
#include "detect/file_decision.h"
#include "detect/pass.h"
#include "detect/sample.h"
#include "detect/stored_schemes.h"
#include "engine/recode.h"
#include "io/atomic_file.h"
#include "io/input_file.h"
#include "store/settings_keys.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace vorlex::cli {
namespace {

namespace fs = std::filesystem;

/// Set by SIGINT and SIGTERM, and when an output finds the disk full: no file starts after
/// it, the ones running finish.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);
/// Set with `interrupted` when the stop came from a full disk rather than a signal.
std::atomic<bool> diskFull{false};

extern "C" void onInterrupt(int) {
    interrupted.store(true);
}

/// Largest file the batch reads whole.
constexpr std::size_t kMostFileBytes = 0x7fffffff;
/// The piece of a file a chain of code tables converts at a time: all the memory a worker
/// holds for such a file, small enough to stay in the processor's cache from the read through
/// the translation to the write.
constexpr std::size_t kStreamPieceBytes = std::size_t{256} << 10;
static_assert(kStreamPieceBytes >= detect::kBinaryProbeBytes);

struct Request {
    bool automatic = false;
    ChainOptions chain;
    double minConfidence = 0;
    std::optional<std::string> outputFolder;
    bool inPlace = false;
    std::optional<std::string> backupSuffix;
    bool noBackup = false;
    bool recursive = false;
    unsigned workers = defaultWorkers();
    std::optional<std::string> report;
    bool dryRun = false;
    bool copyUnchanged = false;
    bool overwrite = false;
    bool skip = false;
    std::vector<std::string> operands;
};

std::optional<double> parseFraction(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty() || !(value >= 0 && value <= 1))
        return std::nullopt;
    return value;
}

std::optional<std::string> parseRequest(std::vector<std::string> args, Request& request) {
    const auto option = [&](ArgumentReader& reader, std::string& error) {
        std::optional<std::string> value;
        if (reader.option("--min-confidence", value, error)) {
            if (value) {
                const std::optional<double> p = parseFraction(*value);
                if (!p)
                    error = "--min-confidence takes a number from 0 to 1";
                request.minConfidence = p.value_or(0);
            }
            return true;
        }
        if (reader.option("-j", value, error) || reader.option("--jobs", value, error)) {
            if (value) {
                unsigned n = 0;
                const char* end = value->data() + value->size();
                const auto [ptr, ec] = std::from_chars(value->data(), end, n);
                if (ec != std::errc() || ptr != end || n < 1 || n > 256)
                    error = "-j takes a whole number of workers from 1 to 256";
                request.workers = n;
            }
            return true;
        }
        if (reader.option("--backup", request.backupSuffix, error)) {
            if (request.backupSuffix && request.backupSuffix->empty())
                error = "--backup needs a non-empty SUFFIX";
            return true;
        }
        for (const auto& [name, flag] :
             {std::pair{"--auto", &request.automatic}, std::pair{"--in-place", &request.inPlace},
              std::pair{"--no-backup", &request.noBackup}, std::pair{"-r", &request.recursive},
              std::pair{"--recursive", &request.recursive}, std::pair{"--dry-run", &request.dryRun},
              std::pair{"--copy-unchanged", &request.copyUnchanged},
              std::pair{"--overwrite", &request.overwrite}, std::pair{"--skip", &request.skip}})
            if (reader.flag(name)) {
                *flag = true;
                return true;
            }
        return reader.option("--out", request.outputFolder, error) ||
               reader.option("--report", request.report, error) ||
               request.chain.take(reader, error);
    };
    if (auto problem =
            readArguments(std::move(args), option,
                          [&](std::string file, bool afterDashes) -> std::optional<std::string> {
                              if (file.empty() || (!afterDashes && std::string_view(file) == "-"))
                                  return "batch converts named files, not standard input";
                              request.operands.push_back(std::move(file));
                              return std::nullopt;
                          }))
        return problem;
    if (request.automatic && (request.chain.action || request.chain.scheme))
        return "--auto finds each file's own repair; it cannot be combined with --action or "
               "--scheme";
    if (!request.automatic)
        if (auto problem = request.chain.check("batch"))
            return problem;
    if (request.outputFolder.has_value() == request.inPlace)
        return "batch needs either --out DIR or --in-place";
    if (request.outputFolder && request.outputFolder->empty())
        return "the output folder name is empty";
    if (!request.inPlace && (request.backupSuffix || request.noBackup))
        return "--backup and --no-backup apply to --in-place";
    if (request.backupSuffix && request.noBackup)
        return "give either --backup SUFFIX or --no-backup, not both";
    if (request.inPlace && (request.overwrite || request.skip || request.copyUnchanged))
        return "--overwrite, --skip and --copy-unchanged apply to --out";
    if (request.overwrite && request.skip)
        return "give either --overwrite or --skip, not both";
    if (request.copyUnchanged && !request.automatic)
        return "--copy-unchanged applies to --auto";
    if (request.report && request.report->empty())
        return "the report file name is empty";
    if (request.operands.empty())
        return "batch needs at least one FILE or folder to convert";
    return std::nullopt;
}

/// One file of the run: where it comes from and where it goes.
struct Job {
    std::string source;
    std::string output;  ///< the source itself in place
    std::string refusal; ///< set when the file is refused before it is read
    bool skipped = false;
};

/// What became of one file; `action` is one of repaired, converted, copied, unchanged,
/// not written, skipped and failed.
struct Outcome {
    std::string verdict;
    std::string action;
    double confidence = 0;
    double plausibility = 0;
    std::uint64_t bytesIn = 0;
    std::uint64_t bytesOut = 0;
    std::string output;
    std::string error;
    bool noSpace = false; ///< the write failed for want of space: the run stops
    [[nodiscard]] bool failed() const { return action == "failed" || action == "not written"; }
};

/// What tells a file rewritten or replaced since it was last looked at.
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0; ///< nanoseconds
    std::int64_t changed = 0;  ///< nanoseconds, also moved by a write that keeps the time
    friend bool operator==(const FileState&, const FileState&) = default;
};

std::optional<FileState> fileState(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    const auto ns = [](const timespec& t) {
        return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
    };
    return FileState{info.st_dev, info.st_ino, info.st_size, ns(info.st_mtim), ns(info.st_ctim)};
}

/// The coarse clock the file system stamps its times with, in nanoseconds.
std::int64_t coarseNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

/// Whether @p state, taken at @p when, is so fresh that a write after it may leave the file's
/// times as they were: they move in ticks of the coarse clock (at most 10 ms).
bool writtenLately(const FileState& state, std::int64_t when) {
    return when - std::max(state.modified, state.changed) < 20'000'000;
}

/// Whether a failure's message, which ends with the system's words, says the disk (or the
/// user's quota) is full.
bool saysNoSpace(const std::string& reason) {
    return reason.ends_with(io::systemError(ENOSPC)) || reason.ends_with(io::systemError(EDQUOT));
}

/// The files the operands name, in the order given (a folder's files sorted by path).
std::vector<Job> collectJobs(const Request& request) {
    std::vector<Job> jobs;
    const auto target = [&](const fs::path& relative) {
        return request.inPlace ? std::string()
                               : (fs::path(*request.outputFolder) / relative).string();
    };
    for (const std::string& operand : request.operands) {
        struct stat info {};
        if (::lstat(operand.c_str(), &info) != 0) {
            jobs.push_back({operand, {}, io::systemError(errno), false});
            continue;
        }
        if (!S_ISDIR(info.st_mode) && !(S_ISLNK(info.st_mode) && fs::is_directory(operand))) {
            jobs.push_back({operand, target(fs::path(operand).filename()), {}, false});
            continue;
        }
        if (!request.recursive) {
            jobs.push_back({operand, {}, "is a folder; give -r to convert the files in it", false});
            continue;
        }
        std::vector<Job> found;
        std::error_code error;
        fs::recursive_directory_iterator walk(operand, fs::directory_options::none, error);
        for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
            const fs::file_status status = walk->symlink_status();
            if (fs::is_directory(status))
                continue;
            const fs::path path = walk->path();
            Job job{path.string(), target(path.lexically_relative(operand)), {}, false};
            if (fs::is_symlink(status)) {
                job.refusal = "a symbolic link, not followed";
                job.skipped = true;
            } else if (!fs::is_regular_file(status)) {
                job.refusal = "not a regular file";
                job.skipped = true;
            }
            found.push_back(std::move(job));
        }
        if (error)
            found.push_back({operand, {}, "cannot walk the folder: " + error.message(), false});
        std::sort(found.begin(), found.end(),
                  [](const Job& a, const Job& b) { return a.source < b.source; });
        std::move(found.begin(), found.end(), std::back_inserter(jobs));
    }
    if (request.inPlace) {
        // A rerun over a folder a run left half done, or done with another suffix: the backups
        // made are not sources. FILE.orig (the default) and FILE+SUFFIX (the one given) are
        // taken for backups when FILE stands beside them, whatever this run keeps.
        std::vector<std::string> suffixes{".orig"};
        if (request.backupSuffix && *request.backupSuffix != suffixes.front())
            suffixes.push_back(*request.backupSuffix);
        for (Job& job : jobs) {
            job.output = job.source;
            for (const std::string& suffix : suffixes) {
                if (!job.refusal.empty() || !job.source.ends_with(suffix) ||
                    job.source.size() == suffix.size())
                    continue;
                const std::string original =
                    job.source.substr(0, job.source.size() - suffix.size());
                if (fs::is_regular_file(original)) {
                    job.refusal = "a backup of " + original;
                    job.skipped = true;
                }
            }
        }
    }
    // Two sources that would go to one output: the second is refused.
    std::map<std::string, std::string> firstFor;
    for (Job& job : jobs) {
        if (!job.refusal.empty() || request.inPlace)
            continue;
        const auto [earlier, isNew] =
            firstFor.emplace(fs::path(job.output).lexically_normal(), job.source);
        if (!isNew)
            job.refusal = "has the same output as " + earlier->second + ": " + job.output;
    }
    return jobs;
}

/// Everything the workers share, read-only while they run.
struct Shared {
    const Request& request;
    const detect::Dictionary* dictionary = nullptr;
    std::vector<engine::FilterList> storedChains;
    std::size_t shown = 0;
    engine::FilterList filters;
    engine::LatinOptions options;
    /// The byte map of `filters` when they are code tables only.
    std::optional<engine::ByteMap> tableMap;
};

Outcome failure(Outcome outcome, std::string error) {
    outcome.action = "failed";
    outcome.error = std::move(error);
    return outcome;
}

/// Keeps the original beside itself as @p backup, never replacing a file of that name: a hard
/// link where the file system allows one, a copy otherwise.
bool keepBackup(const std::string& source, const std::string& backup,
                std::span<const std::uint8_t> original, std::string& error) {
    // A symbolic link named on the command line is followed, as the write that replaces it is.
    if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, backup.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno == EEXIST) {
        error = "the backup " + backup + " exists already; the file was left untouched";
        return false;
    }
    std::string reason;
    const io::WriteError written =
        io::writeAtomically(backup, original, io::Existing::keep, reason);
    if (written == io::WriteError::none)
        return true;
    error = written == io::WriteError::exists
                ? "the backup " + backup + " exists already; the file was left untouched"
                : "cannot write the backup " + backup + ": " + reason;
    return false;
}

std::string existsError(const std::string& output) {
    return output + " exists already; give --overwrite to replace it or --skip";
}

/// Writes @p bytes to @p target atomically, or with @p map their translation a piece at a
/// time: each piece goes to the file while it is still in the processor's cache, and the
/// bytes stay as they were (the original a backup is made of).
io::WriteError writeThrough(const std::string& target, std::span<const std::uint8_t> bytes,
                            const engine::ByteMap* map, io::Existing existing, std::string& reason,
                            io::Flush flush) {
    if (!map)
        return io::writeAtomically(target, bytes, existing, reason, flush);
    const std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow)
                                                     std::uint8_t[kStreamPieceBytes]);
    if (!buffer) {
        reason = io::systemError(ENOMEM);
        return io::WriteError::writeFailed;
    }
    io::AtomicFile file(target, existing, flush);
    if (const io::WriteError opened = file.open(reason); opened != io::WriteError::none)
        return opened;
    for (std::size_t at = 0; at < bytes.size(); at += kStreamPieceBytes) {
        const std::span<std::uint8_t> piece(buffer.get(),
                                            std::min(kStreamPieceBytes, bytes.size() - at));
        engine::applyByteMap(*map, bytes.subspan(at, piece.size()), piece);
        if (!file.write(piece, reason))
            return io::WriteError::writeFailed;
    }
    return file.commit(reason);
}

/// Writes the output of @p job: @p bytes, or with @p map their translation.
Outcome writeOutcome(const Shared& shared, const Job& job, Outcome outcome,
                     const std::vector<std::uint8_t>& original, const FileState& read,
                     std::span<const std::uint8_t> bytes, const engine::ByteMap* map = nullptr) {
    const Request& request = shared.request;
    outcome.bytesOut = bytes.size();
    outcome.output = job.output;
    if (request.dryRun)
        return outcome;
    std::string reason;
    if (request.inPlace) {
        // What another program saved meanwhile is not replaced by the repair of what was there.
        if (fileState(job.source) != read)
            return failure(std::move(outcome),
                           "the file changed after it was read; it was left untouched");
        const std::string backup = job.source + request.backupSuffix.value_or(".orig");
        if (!request.noBackup && !keepBackup(job.source, backup, original, reason)) {
            outcome.noSpace = saysNoSpace(reason);
            return failure(std::move(outcome), reason);
        }
        if (writeThrough(job.output, bytes, map, io::Existing::replace, reason,
                         io::Flush::beforeRename) != io::WriteError::none) {
            if (!request.noBackup)
                ::unlink(backup.c_str()); // the file is as it was: so is its folder
            outcome.noSpace = saysNoSpace(reason);
            return failure(std::move(outcome), "cannot write: " + reason);
        }
        return outcome;
    }
    std::error_code made;
    fs::create_directories(fs::path(job.output).parent_path(), made);
    // The source stays as it was, so a new output leaves the flush to the system: waiting for
    // the disk at every file would make a batch of small files as slow as the disk's syncs.
    const io::WriteError written = writeThrough(
        job.output, bytes, map, request.overwrite ? io::Existing::replace : io::Existing::keep,
        reason, io::Flush::bySystem);
    if (written == io::WriteError::exists)
        return failure(std::move(outcome), existsError(job.output));
    if (written != io::WriteError::none) {
        outcome.noSpace = saysNoSpace(reason);
        return failure(std::move(outcome), "cannot write " + job.output + ": " + reason);
    }
    return outcome;
}

/// A file through a chain of code tables into its new output a piece at a time. Such a chain
/// maps each byte by itself, so a file of any size needs one piece of memory; the output is
/// committed only when the whole file was read and did not change meanwhile.
Outcome streamTables(const Shared& shared, const Job& job, Outcome outcome,
                     const FileState& before) {
    std::string error;
    std::optional<io::InputFile> input =
        io::InputFile::open(job.source, io::InputKind::regularFile, error);
    if (!input)
        return failure(std::move(outcome), "cannot read: " + error);
    const std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow)
                                                     std::uint8_t[kStreamPieceBytes]);
    if (!buffer)
        return failure(std::move(outcome), "not enough memory to recode the file");
    const std::span<std::uint8_t> piece(buffer.get(), kStreamPieceBytes);
    std::optional<std::size_t> got = input->readFull(piece, error);
    if (!got)
        return failure(std::move(outcome), "cannot read: " + error);
    if (detect::looksBinary(piece.first(std::min(*got, detect::kBinaryProbeBytes)))) {
        outcome.action = "skipped";
        outcome.error = "a binary file";
        return outcome;
    }
    std::error_code made;
    fs::create_directories(fs::path(job.output).parent_path(), made);
    // The source stays as it was: the flush is left to the system, as for a whole output.
    io::AtomicFile output(job.output,
                          shared.request.overwrite ? io::Existing::replace : io::Existing::keep,
                          io::Flush::bySystem);
    std::string reason;
    const auto writeFailure = [&](io::WriteError written) {
        if (written == io::WriteError::exists)
            return failure(std::move(outcome), existsError(job.output));
        outcome.noSpace = saysNoSpace(reason);
        return failure(std::move(outcome), "cannot write " + job.output + ": " + reason);
    };
    if (const io::WriteError opened = output.open(reason); opened != io::WriteError::none)
        return writeFailure(opened);
    std::uint64_t total = 0;
    while (*got > 0) {
        engine::applyByteMap(*shared.tableMap, piece.first(*got), piece.first(*got));
        if (!output.write(piece.first(*got), reason))
            return writeFailure(io::WriteError::writeFailed);
        total += *got;
        got = input->readFull(piece, error);
        if (!got)
            return failure(std::move(outcome), "cannot read: " + error);
    }
    outcome.bytesIn = total;
    if (total != input->size() || fileState(job.source) != before)
        return failure(std::move(outcome), "the file changed while it was read");
    if (const io::WriteError committed = output.commit(reason); committed != io::WriteError::none)
        return writeFailure(committed);
    outcome.action = "converted";
    outcome.bytesOut = total;
    outcome.output = job.output;
    return outcome;
}

Outcome convert(const Shared& shared, const Job& job) {
    const Request& request = shared.request;
    Outcome outcome;
    if (!job.refusal.empty()) {
        outcome.action = job.skipped ? "skipped" : "failed";
        outcome.error = job.refusal;
        return outcome;
    }
    if (request.skip && !request.inPlace && ::access(job.output.c_str(), F_OK) == 0) {
        outcome.action = "skipped";
        outcome.error = "the output exists already";
        return outcome;
    }
    std::string error;
    const std::int64_t readFrom = coarseNow();
    const std::optional<FileState> before = fileState(job.source);
    // A new output of a code-table chain goes a piece at a time; a file written within a tick
    // of the read is read whole, to be read again and compared.
    if (shared.tableMap && !request.inPlace && !request.dryRun && before &&
        !writtenLately(*before, readFrom))
        return streamTables(shared, job, std::move(outcome), *before);
    std::optional<io::InputFile> input =
        io::InputFile::open(job.source, io::InputKind::regularFile, error);
    if (!input)
        return failure(std::move(outcome), "cannot read: " + error);
    // Each worker reads every file into the same memory: a large file costs no fresh pages to
    // map, fault in and clear. It holds what the largest file it read needed until the run ends.
    thread_local std::vector<std::uint8_t> document;
    switch (input->readAll(document, kMostFileBytes, error)) {
    case io::ReadFailure::none:
        break;
    case io::ReadFailure::tooLarge:
        return failure(std::move(outcome), "the file is larger than the 2 GiB limit");
    case io::ReadFailure::outOfMemory:
        return failure(std::move(outcome), "not enough memory to read the whole file");
    case io::ReadFailure::failed:
        return failure(std::move(outcome), "cannot read: " + error);
    }
    outcome.bytesIn = document.size();
    // Grown, shrunk, rewritten or replaced: what was read may be no version of the file. A
    // file written within a tick of the read is read again and must read the same.
    const auto changed = [&] {
        if (document.size() != input->size() || !before || fileState(job.source) != before)
            return true;
        if (!writtenLately(*before, readFrom))
            return false;
        std::optional<io::InputFile> again =
            io::InputFile::open(job.source, io::InputKind::regularFile, error);
        if (!again)
            return true;
        // A piece at a time: a large file is not held twice.
        std::vector<std::uint8_t> piece(std::min<std::size_t>(document.size() + 1, 1 << 20));
        std::size_t at = 0;
        for (;;) {
            const std::optional<std::size_t> got = again->readSome(piece, error);
            if (!got || *got > document.size() - at ||
                !std::equal(piece.begin(), piece.begin() + std::ptrdiff_t(*got),
                            document.begin() + std::ptrdiff_t(at)))
                return true;
            if (*got == 0)
                break;
            at += *got;
        }
        return at != document.size() || fileState(job.source) != before;
    };
    if (changed())
        return failure(std::move(outcome), "the file changed while it was read");
    const auto skipBinary = [&outcome] {
        outcome.action = "skipped";
        outcome.error = "a binary file";
        return std::move(outcome);
    };
    // The automatic decision tells a binary file itself.
    if (!request.automatic && detect::looksBinary(std::span(document).first(
                                  std::min(document.size(), detect::kBinaryProbeBytes))))
        return skipBinary();

    engine::FilterList filters = shared.filters;
    if (request.automatic) {
        // The file's own repair, decided as the batch window's Auto entry decides it.
        const detect::FileDecision decision = detect::decideFile(
            *shared.dictionary,
            std::string_view(reinterpret_cast<const char*>(document.data()), document.size()),
            shared.storedChains, shared.shown, shared.options);
        if (decision.answer == detect::FileAnswer::binary)
            return skipBinary();
        outcome.verdict = detect::verdictName(decision.verdict);
        outcome.confidence = decision.confidence;
        outcome.plausibility = decision.plausibility;
        if (decision.answer == detect::FileAnswer::noRepair ||
            decision.answer == detect::FileAnswer::misfit) {
            outcome.action = "not written";
            outcome.error = decision.answer == detect::FileAnswer::noRepair
                                ? "no reading of the text is plausible Russian"
                                : "the repair found on the start of the text does not fit the rest";
            return outcome;
        }
        if (decision.belowConfidence(request.minConfidence)) {
            outcome.action = "not written";
            outcome.error = "ambiguous: the confidence is below --min-confidence";
            return outcome;
        }
        if (decision.answer == detect::FileAnswer::unchanged) {
            outcome.bytesOut = document.size();
            if (request.inPlace || !request.copyUnchanged) {
                outcome.action = "unchanged";
                return outcome;
            }
            outcome.action = "copied";
            return writeOutcome(shared, job, std::move(outcome), document, *before, document);
        }
        // Text that arrived as Unicode stays UTF-8.
        if (decision.answer == detect::FileAnswer::unicodeRepair) {
            outcome.action = "repaired";
            return writeOutcome(
                shared, job, std::move(outcome), document, *before,
                std::span(reinterpret_cast<const std::uint8_t*>(decision.utf8.data()),
                          decision.utf8.size()));
        }
        filters = decision.chain;
    }

    outcome.action = request.automatic ? "repaired" : "converted";
    // A chain of code tables keeps the length and maps each byte by itself: the output is
    // translated on its way to the file, with no second buffer of the document's size.
    if (const std::optional<engine::ByteMap> map = engine::composeTables(filters))
        return writeOutcome(shared, job, std::move(outcome), document, *before, document, &*map);
    const std::size_t workSize = engine::workBufferSize(document.size(), filters, shared.options);
    const std::size_t room = std::max<std::size_t>(workSize, 1);
    // A transliteration step may leave part of its buffer unwritten: that part starts zeroed.
    const std::unique_ptr<std::uint8_t[]> work(new (std::nothrow) std::uint8_t[room]());
    if (!work)
        return failure(std::move(outcome), "not enough memory to recode the whole file");
    const engine::DocumentResult result =
        engine::recodeDocument(document, std::span(work.get(), workSize), filters, shared.options);
    if (result.status != engine::RecodeStatus::ok)
        return failure(std::move(outcome), "not enough memory to recode the whole file");
    return writeOutcome(shared, job, std::move(outcome), document, *before,
                        std::span<const std::uint8_t>(work.get(), result.length));
}

QJsonObject reportLine(const Job& job, const Outcome& outcome) {
    const auto text = [](const std::string& s) { return QString::fromLocal8Bit(s); };
    QJsonObject line{{"path", text(job.source)},
                     {"verdict", text(outcome.verdict)},
                     {"action", text(outcome.action)},
                     {"confidence", outcome.confidence},
                     {"plausibility", outcome.plausibility},
                     {"bytes_in", static_cast<qint64>(outcome.bytesIn)},
                     {"bytes_out", static_cast<qint64>(outcome.bytesOut)},
                     {"output", text(outcome.output)},
                     {"error", text(outcome.error)}};
    return line;
}

/// Files done, files a second and time left on standard error, when it is a terminal.
class Progress {
public:
    explicit Progress(std::size_t total)
        : total_(total), shown_(::isatty(STDERR_FILENO) == 1),
          start_(std::chrono::steady_clock::now()) {}

    void update(std::size_t done) {
        if (!shown_)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (done < total_ && now - last_ < std::chrono::milliseconds(200))
            return;
        last_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0 ? double(done) / seconds : 0;
        const long left = rate > 0 ? long(double(total_ - done) / rate + 0.5) : -1;
        char line[128];
        if (left >= 0)
            std::snprintf(line, sizeof line, "\r%zu/%zu files, %.0f files/s, %ld:%02ld left\033[K",
                          done, total_, rate, left / 60, left % 60);
        else
            std::snprintf(line, sizeof line, "\r%zu/%zu files\033[K", done, total_);
        std::fputs(line, stderr);
        dirty_ = true;
    }
    /// Clears the line before an error line or at the end.
    void clear() {
        if (dirty_)
            std::fputs("\r\033[K", stderr);
        dirty_ = false;
    }

private:
    std::size_t total_;
    bool shown_;
    bool dirty_ = false;
    std::chrono::steady_clock::time_point start_, last_{};
};

/// SIGINT and SIGTERM set the flag while the run lasts; the former handlers come back after.
class InterruptGuard {
public:
    InterruptGuard() {
        interrupted.store(false);
        diskFull.store(false);
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, &oldInt_);
        ::sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~InterruptGuard() {
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

} // namespace

bool wantsParallelBatch(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        for (const char* name :
             {"--auto", "-j", "--jobs", "-r", "--recursive", "--in-place", "--report", "--dry-run"})
            if (arg == name ||
                (arg.starts_with(name) && arg.size() > std::string_view(name).size() &&
                 arg[std::string_view(name).size()] == '='))
                return true;
    }
    return false;
}

int runParallelBatch(std::vector<std::string> args) {
    Request request;
    if (const auto problem = parseRequest(std::move(args), request))
        return usageError(*problem);

    // From here on an interruption ends the run in order, also while it is being set up.
    const InterruptGuard guard;
    Shared shared{request, nullptr, {}, 0, {}, {}, {}};
    std::optional<detect::Dictionary> dictionary;
    if (request.automatic) {
        const std::unique_ptr<store::SettingsStore> settings = openSettings();
        // The stored schemes as `auto` takes them.
        std::map<int, std::string> actions;
        detect::PassSetup setup;
        setup.schemeItems.push_back(detect::kAutoItem);
        for (const store::StoredScheme& scheme : storedSchemes(*settings)) {
            setup.schemeItems.push_back(scheme.number);
            actions[scheme.number] = scheme.action;
        }
        setup.readAction = [&actions](int number) {
            const auto found = actions.find(number);
            return found == actions.end() ? std::string(detect::kMissingValue) : found->second;
        };
        shared.storedChains = detect::storedSchemeChains(setup);
        shared.shown =
            static_cast<std::size_t>(std::clamp(store::readSetting(*settings, store::kTotalShow),
                                                detect::kMinVariants, detect::kMaxVariants));
        shared.options = storedLatinOptions(*settings);
        dictionary.emplace();
        shared.dictionary = &*dictionary;
    } else {
        const std::variant<ChosenChain, int> chosen = chooseChain(request.chain);
        if (const int* status = std::get_if<int>(&chosen))
            return *status;
        shared.filters = std::get<ChosenChain>(chosen).filters;
        shared.options = std::get<ChosenChain>(chosen).options;
        shared.tableMap = engine::composeTables(shared.filters);
    }
    if (request.outputFolder && !request.dryRun) {
        struct stat info {};
        if (::stat(request.outputFolder->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            printError(*request.outputFolder, "no such folder");
            return kExitFailure;
        }
    }

    const std::vector<Job> jobs = interrupted.load() ? std::vector<Job>{} : collectJobs(request);
    std::string report;
    std::size_t failed = 0;
    Progress progress(jobs.size());
    std::size_t done = 0, taken = 0;
    {
        done = runInOrder<Outcome>(
            jobs.size(), request.workers,
            [&](std::size_t i) {
                Outcome outcome = convert(shared, jobs[i]);
                if (outcome.noSpace) {
                    diskFull.store(true);
                    interrupted.store(true);
                }
                return outcome;
            },
            [&](std::size_t i, Outcome& outcome) {
                if (outcome.failed()) {
                    ++failed;
                    progress.clear();
                    printError(jobs[i].source, outcome.error);
                }
                if (request.report)
                    report += QJsonDocument(reportLine(jobs[i], outcome))
                                  .toJson(QJsonDocument::Compact)
                                  .toStdString() +
                              '\n';
                taken = i + 1;
                progress.update(taken);
            },
            interrupted, [&] { progress.update(taken); });
    }
    progress.clear();
    if (request.report) {
        OutputSink sink(*request.report);
        if (writeWholeOutput(sink, report) != kExitOk)
            return kExitFailure;
    }
    if (diskFull.load()) {
        printError({}, "the disk is full: stopped after " + std::to_string(done) + " of " +
                           std::to_string(jobs.size()) +
                           " files; the outputs written are whole, the files after them were "
                           "not touched");
        return kExitFailure;
    }
    if (done < jobs.size() || (interrupted.load() && jobs.empty())) {
        printError({}, "interrupted after " + std::to_string(done) + " of " +
                           std::to_string(jobs.size()) + " files; the others were not touched");
        return kExitFailure;
    }
    return failed == 0 ? kExitOk : kExitFailure;
}

} // namespace vorlex::cli
