// Shared plumbing of the command-line tool: arguments, input, output, error lines.
#pragma once

#include "engine/filters.h"
#include "engine/latin.h"
#include "io/atomic_file.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorlex::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

/// Writes "vorlex-cli: <subject>: <message>" (or without subject) as one line on stderr.
void printError(std::string_view subject, std::string_view message);

/// A usage error: the message and a hint to --help; returns kExitUsage.
int usageError(std::string_view message);

/// How a source or output is named in messages: the path, or "standard input/output".
std::string displayName(std::string_view path, bool output = false);

/// Arguments after the command word, with "--name value" and "--name=value" forms.
class ArgumentReader {
public:
    explicit ArgumentReader(std::vector<std::string> args) : args_(std::move(args)) {}

    [[nodiscard]] bool atEnd() const { return position_ >= args_.size(); }
    /// The next argument without consuming it.
    [[nodiscard]] const std::string& peek() const { return args_[position_]; }
    std::string take() { return args_[position_++]; }

    /// Consumes the flag `name` if it is next; sets `present`.
    bool flag(std::string_view name);
    /// Consumes `name VALUE` or `name=VALUE` if next. On a missing value sets `error`.
    bool option(std::string_view name, std::optional<std::string>& value, std::string& error);

private:
    std::vector<std::string> args_;
    std::size_t position_ = 0;
};

/// Reads a whole file ("-" or empty: standard input). On failure returns nullopt and sets
/// `error` to the reason.
std::optional<std::vector<std::uint8_t>> readWholeInput(const std::string& path,
                                                        std::string& error);

/// Where results go: a file written through a temporary file and renamed at the end (so a
/// failure never leaves a partial or clobbered file), or standard output.
class OutputSink {
public:
    explicit OutputSink(std::string path);
    ~OutputSink();
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;

    /// Opens the temporary file; false with `error` set when it cannot be created.
    bool open(std::string& error);
    bool write(std::span<const std::uint8_t> bytes, std::string& error);
    bool write(std::string_view text, std::string& error);
    /// Finishes: renames the temporary file over the target, or flushes standard output.
    bool commit(std::string& error);
    /// Drops everything written so far; the target stays as it was.
    void abandon();

    [[nodiscard]] const std::string& path() const { return path_; }
    [[nodiscard]] std::string name() const { return displayName(path_, true); }

private:
    std::string path_;
    std::unique_ptr<io::AtomicFile> file_; ///< none for standard output
};

/// Streams a file or standard input in chunks to `consume`. False with `error` on a read error
/// or when `consume` returns false (then `error` is what it set).
bool streamInput(const std::string& path, std::size_t chunkSize,
                 const std::function<bool(std::span<std::uint8_t>, std::string&)>& consume,
                 std::string& error);

/// Converts UTF-8 bytes to 8-bit text as the window takes clipboard text: Windows-1251, or the
/// bytes of Windows-1251 text shown as Western text ("Ïðèâåò"). On failure sets `error` to a
/// message naming the first offending character, its line, column and byte offset. A leading
/// byte-order mark is dropped.
std::optional<std::vector<std::uint8_t>> utf8InputToWin1251(std::span<const std::uint8_t> bytes,
                                                            std::string& error);

/// Opens the sink, writes `text` and commits; on failure prints the error line and returns
/// kExitFailure.
int writeWholeOutput(OutputSink& sink, std::string_view text);

/// Recodes a whole document through a chain and writes it (as UTF-8 when `toUtf8`), freeing the
/// source before the output is written. Prints the error line on failure; returns the exit
/// status. `inputName` names the source in messages.
int writeRecodedDocument(std::vector<std::uint8_t> document, const engine::FilterList& filters,
                         const engine::LatinOptions& options, bool toUtf8, OutputSink& sink,
                         const std::string& inputName);

} // namespace vorlex::cli
