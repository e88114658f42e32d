#include "tools/batch_run_auto.h"

#include "detect/file_decision.h"
#include "detect/sample.h"
#include "detect/stored_schemes.h"
#include "engine/cp1251.h"
#include "engine/unicode_views.h"
#include "store/pass_setup.h"
#include "store/scheme_catalogue.h"
#include "store/settings.h"

#include <algorithm>
#include <string_view>

namespace vorlex::tools {
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
    detect::FileDecision judged = detect::decideFile(
        dictionary_, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
        storedChains_, shown_, options_);
    if (judged.answer != detect::FileAnswer::binary) {
        answer.verdict = judged.verdict;
        answer.confidence = judged.confidence;
    }
    switch (judged.answer) {
    case detect::FileAnswer::binary:
        answer.action = AutoAction::binary;
        return decision;
    case detect::FileAnswer::noRepair:
        answer.action = AutoAction::noRepair;
        return decision;
    case detect::FileAnswer::misfit:
        answer.action = AutoAction::misfit;
        return decision;
    case detect::FileAnswer::unchanged:
        answer.action = AutoAction::unchanged;
        return decision;
    case detect::FileAnswer::unicodeRepair:
        if (const auto steps = engine::parseUnicodeAction(judged.action))
            answer.steps = engine::unicodeActionDescription(*steps, ", ");
        decision.unicode = std::move(judged.utf8);
        decision.throughUnicode = true;
        answer.action = AutoAction::repaired;
        return decision;
    case detect::FileAnswer::chain:
        break;
    }
    answer.chain = judged.chain;
    answer.steps = engine::chainDescription(answer.chain, ", ");
    decision.readError =
        DocumentReader::recodeBuffer(bytes, answer.chain, options_, decision.document);
    answer.action = AutoAction::repaired;
    return decision;
}

namespace {

/// The output of a repair through Unicode: the text itself as UTF-8, or its Windows-1251
/// bytes; nothing when a character has no Windows-1251 code (@p unencodable gets how many).
std::optional<std::string> unicodeOutput(const std::string& utf8, store::OutputEncoding encoding,
                                         int& unencodable) {
    if (encoding == store::OutputEncoding::utf8)
        return utf8;
    std::size_t lost = 0;
    std::string bytes = engine::utf8ToWin1251Lossy(utf8, &lost);
    unencodable = static_cast<int>(lost);
    if (lost > 0)
        return std::nullopt;
    return bytes;
}

} // namespace

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
        std::optional<std::string> unicode;
        if (result == OutputResult::written && decision->throughUnicode) {
            unicode = unicodeOutput(decision->unicode, encoding, answer.unencodable);
            if (!unicode)
                answer.action = AutoAction::unencodable;
        }
        if (result == OutputResult::written && answer.action == AutoAction::repaired) {
            const QString output = batchOutputPath(outputFolder, source);
            // The output of a repair through Unicode is in its encoding already.
            result = unicode
                         ? writeBatchOutput(output,
                                            {reinterpret_cast<const std::uint8_t*>(unicode->data()),
                                             unicode->size()},
                                            kBytesAsTheyAre, answers)
                         : writeBatchOutput(output, decision->document.bytes(), encoding, answers);
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
