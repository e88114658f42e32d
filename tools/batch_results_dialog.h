// What an automatic batch did: a line of counts and every file's answer in a list (file,
// verdict, action, confidence). Shown beside the batch dialog when a batch ends.
#pragma once

#include "chrome/captioned_dialog.h"
#include "store/language.h"
#include "tools/batch_run_auto.h"

#include <QString>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace vorlex::tools {

enum class ResultsText {
    caption,
    closeButton,
    summary, ///< %1 repaired, %2 unchanged, %3 not repaired or failed
    stoppedSummary,
    fileColumn,
    verdictColumn,
    actionColumn,
    confidenceColumn,
    verdictRepair,
    verdictUnchanged,
    verdictNone,
    verdictAmbiguous,
    actionRepaired, ///< %1: the chain
    actionUnchanged,
    actionNoRepair,
    actionBinary,
    actionKept,
    actionFailed,
    actionMisfit,
    actionUnencodable, ///< %1: characters without a Windows-1251 code
    unencodableTip,    ///< the tip of that action: how to write the file
    count_
};

/// The text of @p id in @p language.
[[nodiscard]] QString resultsText(ResultsText id, store::Language language);

/// The counts line of @p summary, as the results window shows it.
[[nodiscard]] QString resultsSummaryLine(const AutoBatchSummary& summary, store::Language language);

class BatchResultsDialog final : public chrome::CaptionedDialog {
    Q_OBJECT
public:
    BatchResultsDialog(const AutoBatchSummary& summary, store::Language language,
                       QWidget* parent = nullptr);

private:
    QLabel* summary_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QPushButton* close_ = nullptr;
};

} // namespace vorlex::tools
