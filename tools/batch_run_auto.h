// The automatic batch: each file judged on its whole text and given its own repair, decided as
// `vorlex-cli batch --auto` decides it, into one output folder. The questions about files
// that cannot be read or written, and about outputs that exist, are the one-scheme batch's.
#pragma once

#include "detect/dictionary.h"
#include "detect/refined_ranking.h"
#include "engine/filters.h"
#include "engine/latin.h"
#include "store/settings_store.h"
#include "tools/batch_run.h"
#include "tools/document_io.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vorlex::tools {

/// What an automatic batch did with one file.
enum class AutoAction {
    repaired,  ///< recoded by its own chain and written
    unchanged, ///< it reads best as it is: not written
    noRepair,  ///< no reading of it is plausible Russian: not written
    binary,    ///< not text (a NUL byte, an executable, image or archive): not written
    misfit,    ///< the repair found on its start does not fit the rest: not written
    kept,      ///< its output existed and the user chose to leave it
    failed,    ///< it could not be read, or its output could not be written
    /// A repair through Unicode holding characters without a Windows-1251 code, with the
    /// output encoding Windows-1251: not written rather than written with "?" for them.
    unencodable,
};

/// One file's answer, as the list of a batch's results shows it.
struct AutoFileAnswer {
    QString source;
    QString output;                         ///< the file written; empty when none was
    std::optional<detect::Verdict> verdict; ///< nothing for a file never judged
    AutoAction action = AutoAction::failed;
    engine::FilterList chain; ///< the chain of an 8-bit repair
    std::string steps;        ///< the steps of a repair, named ("Koi->Win", "Unicode->Win, ...")
    double confidence = 0;    ///< the ranking's confidence in the reading chosen
    int unencodable = 0;      ///< AutoAction::unencodable: characters without a code
};

/// One file read, judged and, when it needs a repair, recoded in memory; nothing written yet.
/// The action is repaired for a document that is to be written.
struct AutoDecision {
    AutoFileAnswer answer;
    ReadError readError = ReadError::none;
    QString reason;           ///< the system's words for a read failure
    RecodedDocument document; ///< an 8-bit repair: Windows-1251 bytes
    std::string unicode;      ///< a repair through Unicode: the repaired text as UTF-8
    bool throughUnicode = false;
};

/// Judges files as `vorlex-cli batch --auto` does (detect::decideFile, with the stored schemes'
/// chains and transliteration switches): text that arrives as Unicode is repaired as Unicode.
/// Built from the store once; decide() reads nothing but the file and may run on any thread.
class AutoRepairer {
public:
    explicit AutoRepairer(const store::SettingsStore& store);
    [[nodiscard]] AutoDecision decide(const QString& source) const;

private:
    detect::Dictionary dictionary_;
    std::vector<engine::FilterList> storedChains_;
    std::size_t shown_ = 0;
    engine::LatinOptions options_;
};

struct AutoBatchSummary {
    std::vector<AutoFileAnswer> files; ///< in input order, up to the file the batch ended on
    int repaired = 0;
    int unchanged = 0;
    int notRepaired = 0;  ///< no repair, binary, kept at the user's choice, or failed
    bool stopped = false; ///< ended by a stop question or by decide()
};

/// Gets each source's decision from @p decide, in order, and writes each repair into
/// @p outputFolder under the source's name (batchOutputPath) in @p encoding (a repair through
/// Unicode exactly as UTF-8, or as Windows-1251 when every character has a code), asking @p answers
/// as the one-scheme batch does. Files written, unchanged or kept advance the progress position; a
/// failed one does not. When @p decide gives nothing the batch ends before that file.
AutoBatchSummary
runAutoBatch(const QStringList& sources, const QString& outputFolder,
             store::OutputEncoding encoding,
             const std::function<std::optional<AutoDecision>(const QString&)>& decide,
             BatchAnswers& answers);

} // namespace vorlex::tools
