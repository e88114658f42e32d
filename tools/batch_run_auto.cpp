#include "tools/batch_run_auto.h"

#include "detect/binary_content.h"
#include "detect/document_repair.h"
#include "detect/sample.h"
#include "detect/stored_schemes.h"
#include "store/pass_setup.h"
#include "store/scheme_catalogue.h"
#include "store/settings.h"

#include <algorithm>
#include <string_view>

namespace vorlex::tools {
namespace {

/// How much of a file's start tells a binary file, as `vorlex-cli batch --auto` looks.
constexpr std::size_t kBinaryProbeBytes = 8192;

} // namespace

AutoRepairer::AutoRepairer(const store::SettingsStore& store) {
    const store::Settings settings = store::readSettings(store);
    // The schemes and list limit auto --best takes; the chains do not depend on the sample.
    const std::vector<store::StoredScheme> schemes = store::availableSchemes(store);
    const detect::PassSetup setup = store::passSetup(detect::Sample{}, settings, schemes);
    storedChains_ = detect::storedSchemeChains(setup);
    shown_ = static_cast<std::size_t>(setup.maxVariants);
    options_ = {settings.wAsVe, settings.noSj, settings.separateEnglish};
}

AutoDecision AutoRepairer::decide(const QString& source) const {
    AutoDecision decision;
    AutoFileAnswer& answer = decision.answer;
    answer.source = source;
    // The file as it is: an empty chain reads it whole into the buffer.
    RecodedDocument original;
    decision.readError = DocumentReader::recodeFile(source, engine::FilterList{}, options_,
                                                    original, &decision.reason);
    if (decision.readError != ReadError::none)
        return decision;
    const std::span<const std::uint8_t> bytes = original.bytes();
    if (detect::looksBinary(bytes.first(std::min(bytes.size(), kBinaryProbeBytes)))) {
        answer.action = AutoAction::binary;
        return decision;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const detect::DocumentRepair repair =
        detect::planRepair(dictionary_, detect::sampleSource(text), text, storedChains_, shown_);
    answer.verdict = repair.ranking.verdict;
    answer.confidence = repair.confidence();
    if (!repair.chain) {
        answer.action = AutoAction::noRepair;
        return decision;
    }
    if (repair.chain->count == 0) {
        answer.action = AutoAction::unchanged;
        return decision;
    }
    answer.chain = *repair.chain;
    decision.readError =
        DocumentReader::recodeBuffer(bytes, answer.chain, options_, decision.document);
    answer.action = AutoAction::repaired;
    return decision;
}

AutoBatchSummary
runAutoBatch(const QStringList& sources, const QString& outputFolder,
             store::OutputEncoding encoding,
             const std::function<std::optional<AutoDecision>(const QString&)>& decide,
             BatchAnswers& answers) {
    AutoBatchSummary summary;
    int done = 1;
    for (const QString& source : sources) {
        std::optional<AutoDecision> decision = decide(source);
        if (!decision) {
            summary.stopped = true;
            break;
        }
        AutoFileAnswer answer = std::move(decision->answer);
        OutputResult result = OutputResult::written;
        switch (decision->readError) {
        case ReadError::none:
            break;
        case ReadError::openFailed:
        case ReadError::empty:
            result = answers.stopAfterOpenFailure(source, decision->readError, decision->reason)
                         ? OutputResult::stop
                         : OutputResult::failed;
            break;
        case ReadError::outOfMemory:
            result =
                answers.stopAfterMemoryFailure(source) ? OutputResult::stop : OutputResult::failed;
            break;
        }
        if (result == OutputResult::written && answer.action == AutoAction::repaired) {
            const QString output = batchOutputPath(outputFolder, source);
            result = writeBatchOutput(output, decision->document.bytes(), encoding, answers);
            if (result == OutputResult::written)
                answer.output = output;
            else
                answer.action =
                    result == OutputResult::skipped ? AutoAction::kept : AutoAction::failed;
        } else if (result != OutputResult::written) {
            answer.action = AutoAction::failed;
        }
        // The work buffer lives only while its file is handled.
        decision.reset();

        switch (answer.action) {
        case AutoAction::repaired:
            ++summary.repaired;
            break;
        case AutoAction::unchanged:
            ++summary.unchanged;
            break;
        default:
            ++summary.notRepaired;
            break;
        }
        summary.files.push_back(std::move(answer));
        if (result == OutputResult::stop) {
            summary.stopped = true;
            break;
        }
        if (result != OutputResult::failed) {
            answers.progress(done);
            ++done;
        }
    }
    answers.progress(0);
    return summary;
}

} // namespace vorlex::tools
