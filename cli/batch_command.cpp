// vorlex-cli batch: many files recoded with one chain into one output folder, each under its
// own name, on the same conversion as the window's batch dialog.
#include "cli/cli_common.h"
#include "cli/command_options.h"
#include "cli/commands.h"
#include "cli/parallel_batch.h"
#include "tools/batch_run.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cerrno>
#include <cstring>
#include <map>
#include <string_view>
#include <unistd.h>

namespace vorlex::cli {
namespace {

enum class WhenExists { fail, overwrite, skip };

struct BatchCommandRequest {
    ChainOptions chain;
    std::optional<std::string> outputFolder;
    WhenExists whenExists = WhenExists::fail;
    std::vector<std::string> files;
};

std::optional<std::string> parseRequest(std::vector<std::string> args,
                                        BatchCommandRequest& request) {
    bool overwrite = false;
    bool skip = false;
    if (auto problem = readArguments(
            std::move(args),
            [&](ArgumentReader& reader, std::string& error) {
                if (reader.flag("--overwrite"))
                    overwrite = true;
                else if (reader.flag("--skip"))
                    skip = true;
                else
                    return request.chain.take(reader, error) ||
                           reader.option("--out", request.outputFolder, error);
                return true;
            },
            [&](std::string file, bool afterDashes) -> std::optional<std::string> {
                if (file.empty() || (!afterDashes && std::string_view(file) == "-"))
                    return "batch converts named files, not standard input";
                request.files.push_back(std::move(file));
                return std::nullopt;
            }))
        return problem;
    if (auto problem = request.chain.check("batch"))
        return problem;
    if (!request.outputFolder)
        return "batch needs --out DIR, the folder for the converted files";
    if (request.outputFolder->empty())
        return "the output folder name is empty";
    if (overwrite && skip)
        return "give either --overwrite or --skip, not both";
    if (request.files.empty())
        return "batch needs at least one FILE to convert";
    request.whenExists =
        overwrite ? WhenExists::overwrite : (skip ? WhenExists::skip : WhenExists::fail);
    return std::nullopt;
}

std::string local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string orSystemWords(const QString& reason, const char* fallback) {
    return reason.isEmpty() ? std::string(fallback) : reason.toStdString();
}

// Every problem is one error line naming the file; nothing is asked and nothing stops the batch.
class CommandLineAnswers final : public tools::BatchAnswers {
public:
    explicit CommandLineAnswers(WhenExists whenExists) : whenExists_(whenExists) {}

    bool stopAfterOpenFailure(const QString& path, tools::ReadError error,
                              const QString& reason) override {
        printError(local(path), error == tools::ReadError::empty
                                    ? "the file is empty, there is nothing to convert"
                                    : "cannot read: " + orSystemWords(reason, "failed"));
        return false;
    }
    bool stopAfterMemoryFailure(const QString& path) override {
        printError(local(path), "not enough memory to convert this file");
        return false;
    }
    tools::ExistingOutput outputExists(const QString& path) override {
        switch (whenExists_) {
        case WhenExists::overwrite:
            return tools::ExistingOutput::overwrite;
        case WhenExists::skip:
            return tools::ExistingOutput::skip;
        case WhenExists::fail:
            break;
        }
        printError(local(path), "exists already; give --overwrite to replace it or --skip");
        ++refused_;
        return tools::ExistingOutput::skip;
    }
    std::optional<QString> otherOutputPath(const QString&) override { return std::nullopt; }
    bool stopAfterWriteFailure(const QString& path, tools::WriteError,
                               const QString& reason) override {
        printError(local(path), "cannot write: " + orSystemWords(reason, "failed"));
        return false;
    }

    /// Outputs that existed and were neither replaced nor skipped by request.
    [[nodiscard]] int refused() const noexcept { return refused_; }

private:
    WhenExists whenExists_;
    int refused_ = 0;
};

} // namespace

int runBatch(std::vector<std::string> args) {
    if (wantsParallelBatch(args))
        return runParallelBatch(std::move(args));
    BatchCommandRequest request;
    if (const auto problem = parseRequest(std::move(args), request))
        return usageError(*problem);

    const std::variant<ChosenChain, int> chosen = chooseChain(request.chain);
    if (const int* status = std::get_if<int>(&chosen))
        return *status;

    const std::string& folder = *request.outputFolder;
    const QFileInfo folderInfo(QFile::decodeName(QByteArray::fromStdString(folder)));
    if (!folderInfo.isDir()) {
        printError(folder, folderInfo.exists() ? "is not a folder" : "no such folder");
        return kExitFailure;
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        printError(folder, std::string("cannot write into this folder: ") + std::strerror(errno));
        return kExitFailure;
    }

    tools::BatchRequest batch;
    batch.outputFolder = folderInfo.filePath();
    batch.filters = std::get<ChosenChain>(chosen).filters;
    batch.options = std::get<ChosenChain>(chosen).options;

    // Files from different folders may share a name; the second would overwrite the output of
    // the first, so it is refused instead.
    int failed = 0;
    std::map<QString, std::string> firstWithName;
    for (const std::string& file : request.files) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(file));
        const QString output = tools::batchOutputPath(batch.outputFolder, path);
        const auto [earlier, isNew] = firstWithName.emplace(output, file);
        if (!isNew) {
            printError(file, "has the same name as " + earlier->second + "; both would go to " +
                                 local(output));
            ++failed;
            continue;
        }
        batch.sources.push_back(path);
    }

    CommandLineAnswers answers(request.whenExists);
    const tools::BatchSummary summary = tools::runBatchConversion(batch, answers);
    failed += summary.failed + answers.refused();
    return failed == 0 ? kExitOk : kExitFailure;
}

} // namespace vorlex::cli
