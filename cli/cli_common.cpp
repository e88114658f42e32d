#include "cli/cli_common.h"

#include "engine/cp1251.h"
#include "engine/recode.h"
#include "engine/unicode_input.h"
#include "io/input_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <unistd.h>

namespace vorlex::cli {
namespace {

bool isStandardStream(std::string_view path) {
    return path.empty() || path == "-";
}

// Opens a path for reading, or standard input.
std::optional<io::InputFile> openInput(const std::string& path, std::string& error) {
    if (isStandardStream(path))
        return io::InputFile::standardInput(error);
    return io::InputFile::open(path, io::InputKind::anyStream, error);
}

bool writeAllToStdout(std::span<const std::uint8_t> bytes, std::string& error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            error = io::systemError(errno);
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

} // namespace

void printError(std::string_view subject, std::string_view message) {
    std::string line = "vorlex-cli: ";
    if (!subject.empty()) {
        line += subject;
        line += ": ";
    }
    line += message;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

int usageError(std::string_view message) {
    printError({}, std::string(message) + " (see vorlex-cli --help)");
    return kExitUsage;
}

std::string displayName(std::string_view path, bool output) {
    if (isStandardStream(path))
        return output ? "standard output" : "standard input";
    return std::string(path);
}

bool ArgumentReader::flag(std::string_view name) {
    if (atEnd() || peek() != name)
        return false;
    ++position_;
    return true;
}

bool ArgumentReader::option(std::string_view name, std::optional<std::string>& value,
                            std::string& error) {
    if (atEnd())
        return false;
    const std::string& current = peek();
    if (current == name) {
        ++position_;
        if (atEnd()) {
            error = "option " + std::string(name) + " needs a value";
            return true;
        }
        value = take();
        return true;
    }
    if (current.size() > name.size() && current.compare(0, name.size(), name) == 0 &&
        current[name.size()] == '=') {
        value = current.substr(name.size() + 1);
        ++position_;
        return true;
    }
    return false;
}

std::optional<std::vector<std::uint8_t>> readWholeInput(const std::string& path,
                                                        std::string& error) {
    std::optional<io::InputFile> input = openInput(path, error);
    if (!input)
        return std::nullopt;
    std::vector<std::uint8_t> data;
    switch (input->readAll(data, std::numeric_limits<std::size_t>::max(), error)) {
    case io::ReadFailure::none:
        return data;
    case io::ReadFailure::outOfMemory:
    case io::ReadFailure::tooLarge:
        error = "not enough memory to read the whole file";
        return std::nullopt;
    case io::ReadFailure::failed:
        break;
    }
    return std::nullopt;
}

bool streamInput(const std::string& path, std::size_t chunkSize,
                 const std::function<bool(std::span<std::uint8_t>, std::string&)>& consume,
                 std::string& error) {
    std::optional<io::InputFile> input = openInput(path, error);
    if (!input)
        return false;
    std::vector<std::uint8_t> chunk(chunkSize);
    for (;;) {
        const std::optional<std::size_t> got = input->readSome(chunk, error);
        if (!got)
            return false;
        if (*got == 0)
            return true;
        if (!consume({chunk.data(), *got}, error))
            return false;
    }
}

OutputSink::OutputSink(std::string path) : path_(std::move(path)) {}

OutputSink::~OutputSink() = default;

bool OutputSink::open(std::string& error) {
    if (isStandardStream(path_))
        return true;
    file_ = std::make_unique<io::AtomicFile>(path_, io::Existing::replace);
    if (file_->open(error) != io::WriteError::none) {
        file_.reset();
        return false;
    }
    return true;
}

bool OutputSink::write(std::span<const std::uint8_t> bytes, std::string& error) {
    if (!file_)
        return writeAllToStdout(bytes, error);
    return file_->write(bytes, error);
}

bool OutputSink::write(std::string_view text, std::string& error) {
    return write(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                               text.size()),
                 error);
}

bool OutputSink::commit(std::string& error) {
    if (!file_)
        return true;
    const bool ok = file_->commit(error) == io::WriteError::none;
    file_.reset();
    return ok;
}

void OutputSink::abandon() {
    file_.reset();
}

std::optional<std::vector<std::uint8_t>> utf8InputToWin1251(std::span<const std::uint8_t> bytes,
                                                            std::string& error) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::size_t skipped = 0;
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
        skipped = 3;
    }
    const engine::Utf8ToWin1251Result result = engine::utf8ToEightBit(text);
    if (!result.ok()) {
        std::size_t line = 1, column = 1;
        for (std::size_t i = 0; i < result.errorOffset; ++i) {
            if (text[i] == '\n') {
                ++line;
                column = 1;
            } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
                ++column;
            }
        }
        const std::string where = "line " + std::to_string(line) + ", column " +
                                  std::to_string(column) + " (byte " +
                                  std::to_string(result.errorOffset + skipped) + ")";
        if (result.error == engine::Utf8ToWin1251Result::Error::invalidUtf8) {
            error = "invalid UTF-8 at " + where;
        } else {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X",
                          static_cast<unsigned>(result.errorCodePoint));
            // Show the character itself too; it is valid UTF-8 since it decoded.
            std::size_t length = 1;
            while (result.errorOffset + length < text.size() &&
                   (static_cast<unsigned char>(text[result.errorOffset + length]) & 0xC0) == 0x80)
                ++length;
            error = "character " + std::string(code) + " '" +
                    std::string(text.substr(result.errorOffset, length)) + "' at " + where +
                    " has no Windows-1251 byte";
        }
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(result.bytes.begin(), result.bytes.end());
}

int writeWholeOutput(OutputSink& sink, std::string_view text) {
    std::string error;
    if (!sink.open(error) || !sink.write(text, error) || !sink.commit(error)) {
        sink.abandon();
        printError(sink.name(), error);
        return kExitFailure;
    }
    return kExitOk;
}

int writeRecodedDocument(std::vector<std::uint8_t> document, const engine::FilterList& filters,
                         const engine::LatinOptions& options, bool toUtf8, OutputSink& sink,
                         const std::string& inputName) {
    // A chain of tables maps each byte where it stands: a large file needs no second buffer (a
    // work buffer is twice the document). A transliteration step changes the length.
    std::optional<std::vector<std::uint8_t>> work;
    if (const std::optional<engine::ByteMap> map = engine::composeTables(filters)) {
        engine::applyByteMap(*map, document, document);
        work = std::move(document);
    } else {
        work = engine::recodeDocumentCopy(document, filters, options);
        if (!work) {
            printError(inputName, "not enough memory to recode the whole file");
            return kExitFailure;
        }
    }
    document = {}; // the source is no longer needed; free it before writing

    const std::span<const std::uint8_t> bytes = *work;
    std::string error;
    bool ok = sink.open(error);
    // UTF-8 a piece at a time: a whole copy would be up to three times the document.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    for (std::size_t at = 0; ok && toUtf8 && at < bytes.size(); at += kPiece)
        ok = sink.write(
            engine::win1251ToUtf8(bytes.subspan(at, std::min(kPiece, bytes.size() - at))), error);
    if (ok && !toUtf8)
        ok = sink.write(bytes, error);
    if (!ok || !sink.commit(error)) {
        sink.abandon();
        printError(sink.name(), error);
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace vorlex::cli
