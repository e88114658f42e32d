#include "tools/batch_run.h"

#include "store/scheme_catalogue.h"
#include "store/settings_keys.h"

namespace vorlex::tools {

// A new file, or after the user's choice a replaced one, another name or none at all.
OutputResult writeBatchOutput(QString path, std::span<const std::uint8_t> bytes,
                              store::OutputEncoding encoding, BatchAnswers& answers) {
    Existing existing = Existing::keep;
    for (;;) {
        QString reason;
        const WriteError error = writeFileAtomically(path, bytes, existing, &reason, encoding);
        if (error == WriteError::none)
            return OutputResult::written;
        if (error != WriteError::exists)
            return answers.stopAfterWriteFailure(path, error, reason) ? OutputResult::stop
                                                                      : OutputResult::failed;
        switch (answers.outputExists(path)) {
        case ExistingOutput::overwrite:
            existing = Existing::replace;
            break;
        case ExistingOutput::rename: {
            const std::optional<QString> other = answers.otherOutputPath(path);
            if (!other || other->isEmpty())
                return OutputResult::skipped;
            path = *other;
            existing = Existing::keep; // a chosen name that exists is asked about again
            break;
        }
        case ExistingOutput::skip:
            return OutputResult::skipped;
        }
    }
}

QString batchOutputPath(const QString& folder, const QString& source) {
    const QString name = source.mid(source.lastIndexOf(QLatin1Char('/')) + 1);
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

std::optional<engine::FilterList> readBatchFilters(const store::SettingsStore& store,
                                                   int schemeNumber) {
    const std::optional<std::string> action =
        store::readSchemeValue(store, schemeNumber, store::kSchemeActionValue);
    if (!action)
        return std::nullopt;
    return engine::parseAction(*action);
}

BatchSummary runBatchConversion(const BatchRequest& request, BatchAnswers& answers) {
    BatchSummary summary;
    int done = 1;
    RecodedDocument document;
    for (const QString& source : request.sources) {
        QString reason;
        const ReadError readError =
            DocumentReader::recodeFile(source, request.filters, request.options, document, &reason);
        OutputResult result = OutputResult::failed;
        if (readError == ReadError::openFailed || readError == ReadError::empty) {
            if (answers.stopAfterOpenFailure(source, readError, reason))
                result = OutputResult::stop;
        } else if (readError == ReadError::outOfMemory) {
            if (answers.stopAfterMemoryFailure(source))
                result = OutputResult::stop;
        } else {
            result = writeBatchOutput(batchOutputPath(request.outputFolder, source),
                                      document.bytes(), request.encoding, answers);
        }
        // The work buffer lives only while its file is handled.
        document.clear();

        switch (result) {
        case OutputResult::written:
        case OutputResult::skipped:
            ++(result == OutputResult::written ? summary.written : summary.skipped);
            answers.progress(done);
            ++done;
            continue;
        case OutputResult::failed:
            ++summary.failed;
            continue;
        case OutputResult::stop:
            ++summary.failed;
            summary.stopped = true;
            break;
        }
        break;
    }
    answers.progress(0);
    return summary;
}

} // namespace vorlex::tools
