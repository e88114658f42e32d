// Batch conversion without a window: many files recoded with one chain into one output folder,
// each under its own file name, with the user (or the command line) answering what to do when
// a source cannot be read, an output exists or an output cannot be written. Shared by the batch
// dialog and `vorlex-cli batch`.
#pragma once

#include "engine/filters.h"
#include "engine/latin.h"
#include "store/settings_store.h"
#include "tools/document_io.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <span>

namespace vorlex::tools {

/// What to do with an output file that already exists.
enum class ExistingOutput {
    overwrite, ///< replace it
    rename,    ///< ask for another name (BatchAnswers::otherOutputPath)
    skip,      ///< leave it; the file counts as done
};

/// The answers a batch needs, one question at a time. Each "stop" question returns true to end
/// the batch and false to go on with the next file.
class BatchAnswers {
public:
    virtual ~BatchAnswers() = default;
    /// Source @p path could not be read: missing, unreadable, not a regular file, or empty
    /// (@p error says which, @p reason gives the system's words when there are any).
    virtual bool stopAfterOpenFailure(const QString& path, ReadError error,
                                      const QString& reason) = 0;
    /// No work buffer could be had for source @p path.
    virtual bool stopAfterMemoryFailure(const QString& path) = 0;
    /// Output @p path exists.
    virtual ExistingOutput outputExists(const QString& path) = 0;
    /// After ExistingOutput::rename: another path for the output, starting from @p proposed;
    /// nothing skips the file.
    virtual std::optional<QString> otherOutputPath(const QString& proposed) = 0;
    /// Output @p path could not be written; the file that was there (if any) is unchanged.
    virtual bool stopAfterWriteFailure(const QString& path, WriteError error,
                                       const QString& reason) = 0;
    /// The progress position: the number of files done so far after each file that was written
    /// or skipped, and 0 when the batch ends.
    virtual void progress(int position) { (void)position; }
};

struct BatchRequest {
    /// Full paths of the sources, in the order they are converted.
    QStringList sources;
    /// Folder the outputs go to.
    QString outputFolder;
    engine::FilterList filters;
    engine::LatinOptions options;
    /// How the recoded text goes into the outputs (vorlex-cli writes it as it is).
    store::OutputEncoding encoding = store::OutputEncoding::win1251;
};

struct BatchSummary {
    int written = 0;      ///< outputs written
    int skipped = 0;      ///< outputs left alone at the user's choice (done, not written)
    int failed = 0;       ///< sources that could not be read or outputs that could not be written
    bool stopped = false; ///< a stop question was answered with yes
};

/// The output path of source @p source in @p folder: the folder, a '/' unless it ends with one,
/// then the source's file name (what follows its last '/').
[[nodiscard]] QString batchOutputPath(const QString& folder, const QString& source);

/// The filter list of stored scheme @p schemeNumber, read afresh; nothing when its `Action` is
/// missing (the caller reports "Error reading config file" and converts nothing).
[[nodiscard]] std::optional<engine::FilterList> readBatchFilters(const store::SettingsStore& store,
                                                                 int schemeNumber);

/// What became of one output.
enum class OutputResult {
    written,
    skipped, ///< the user chose to leave an existing output; the file counts as done
    failed,
    stop, ///< it failed and the user chose to end the batch
};

/// Writes @p bytes (Windows-1251 text) as output @p path in @p encoding through a temporary
/// file, asking @p answers when the
/// output exists (replace it, another name, or skip) or cannot be written.
OutputResult writeBatchOutput(QString path, std::span<const std::uint8_t> bytes,
                              store::OutputEncoding encoding, BatchAnswers& answers);

/// Converts every source of @p request in order. Each source is read whole and recoded before
/// its output is written; every output goes through a temporary file renamed over the target,
/// so an output is either the whole recoded text or what was there before. A file written or
/// skipped advances the progress position; a failed one leaves it where it was. A new name
/// chosen for an existing output that exists too is asked about again.
BatchSummary runBatchConversion(const BatchRequest& request, BatchAnswers& answers);

} // namespace vorlex::tools
