#include "tools/batch_results_dialog.h"

#include "chrome/dialog_units.h"
#include "chrome/text_table.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorlex::tools {
namespace {

constexpr std::array<chrome::TextPair<ResultsText>, static_cast<std::size_t>(ResultsText::count_)>
    kTexts = {{
        {ResultsText::caption, "Batch results", "Результаты преобразования"},
        {ResultsText::closeButton, "Close", "Закрыть"},
        {ResultsText::summary, "%1 repaired, %2 unchanged, %3 not repaired or failed",
         "Исправлено: %1, без изменений: %2, не исправлено или ошибка: %3"},
        {ResultsText::stoppedSummary, "The batch was stopped.", "Преобразование прервано."},
        {ResultsText::fileColumn, "File", "Файл"},
        {ResultsText::verdictColumn, "Verdict", "Оценка"},
        {ResultsText::actionColumn, "Action", "Действие"},
        {ResultsText::confidenceColumn, "Confidence", "Уверенность"},
        {ResultsText::verdictRepair, "needs repair", "нужно исправить"},
        {ResultsText::verdictUnchanged, "correct as it is", "верен как есть"},
        {ResultsText::verdictNone, "no plausible reading", "нет правдоподобного прочтения"},
        {ResultsText::verdictAmbiguous, "ambiguous", "неоднозначно"},
        {ResultsText::actionRepaired, "repaired: %1", "исправлен: %1"},
        {ResultsText::actionUnchanged, "left as it is", "оставлен как есть"},
        {ResultsText::actionNoRepair, "not written", "не записан"},
        {ResultsText::actionBinary, "skipped: not a text file", "пропущен: не текстовый файл"},
        {ResultsText::actionKept, "existing output kept", "прежний файл оставлен"},
        {ResultsText::actionFailed, "failed", "ошибка"},
        {ResultsText::actionMisfit, "not written: the repair does not fit the whole text",
         "не записан: исправление не подходит ко всему тексту"},
        {ResultsText::actionUnencodable, "not written: %1 characters not in Windows-1251",
         "не записан: символов не из Windows-1251: %1"},
        {ResultsText::unencodableTip,
         "Choose UTF-8 under \"Write files as\" in the settings to write this file.",
         "Чтобы записать этот файл, выберите UTF-8 в пункте «Записывать файлы в» настроек."},
    }};

static_assert(chrome::listsIdsInOrder(kTexts), "kTexts lists ResultsText in declaration order");

QString verdictText(const std::optional<detect::Verdict>& verdict, store::Language language) {
    if (!verdict)
        return QStringLiteral("\u2014");
    switch (*verdict) {
    case detect::Verdict::repair:
        return resultsText(ResultsText::verdictRepair, language);
    case detect::Verdict::unchanged:
        return resultsText(ResultsText::verdictUnchanged, language);
    case detect::Verdict::none:
        return resultsText(ResultsText::verdictNone, language);
    case detect::Verdict::ambiguous:
        break;
    }
    return resultsText(ResultsText::verdictAmbiguous, language);
}

QString actionText(const AutoFileAnswer& answer, store::Language language) {
    switch (answer.action) {
    case AutoAction::repaired:
        return resultsText(ResultsText::actionRepaired, language)
            .arg(QString::fromStdString(answer.steps));
    case AutoAction::unchanged:
        return resultsText(ResultsText::actionUnchanged, language);
    case AutoAction::noRepair:
        return resultsText(ResultsText::actionNoRepair, language);
    case AutoAction::binary:
        return resultsText(ResultsText::actionBinary, language);
    case AutoAction::kept:
        return resultsText(ResultsText::actionKept, language);
    case AutoAction::misfit:
        return resultsText(ResultsText::actionMisfit, language);
    case AutoAction::unencodable:
        return resultsText(ResultsText::actionUnencodable, language).arg(answer.unencodable);
    case AutoAction::failed:
        break;
    }
    return resultsText(ResultsText::actionFailed, language);
}

} // namespace

QString resultsText(ResultsText id, store::Language language) {
    return chrome::textOf(kTexts, id, language);
}

QString resultsSummaryLine(const AutoBatchSummary& summary, store::Language language) {
    QString line = resultsText(ResultsText::summary, language)
                       .arg(summary.repaired)
                       .arg(summary.unchanged)
                       .arg(summary.notRepaired);
    if (summary.stopped)
        line += QLatin1Char(' ') + resultsText(ResultsText::stoppedSummary, language);
    return line;
}

BatchResultsDialog::BatchResultsDialog(const AutoBatchSummary& summary, store::Language language,
                                       QWidget* parent)
    : chrome::CaptionedDialog(chrome::CaptionVariant::dialog, parent) {
    const chrome::DialogUnits du(chrome::dialogFont());
    setFont(chrome::dialogFont());
    setBodySize(QSize(du.x(390), du.y(180)));
    setWindowTitle(resultsText(ResultsText::caption, language));

    auto* layout = new QVBoxLayout(body());
    summary_ = new QLabel(resultsSummaryLine(summary, language), body());
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    list_ = new QTreeWidget(body());
    list_->setObjectName(QStringLiteral("results"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({resultsText(ResultsText::fileColumn, language),
                            resultsText(ResultsText::verdictColumn, language),
                            resultsText(ResultsText::actionColumn, language),
                            resultsText(ResultsText::confidenceColumn, language)});
    QList<QTreeWidgetItem*> items;
    for (const AutoFileAnswer& answer : summary.files) {
        auto* item = new QTreeWidgetItem(
            QStringList{answer.source.mid(answer.source.lastIndexOf(QLatin1Char('/')) + 1),
                        verdictText(answer.verdict, language), actionText(answer, language),
                        answer.verdict ? QString::number(answer.confidence, 'f', 2) : QString()});
        // The full paths where the list has no room for them.
        item->setToolTip(0, answer.source);
        if (!answer.output.isEmpty())
            item->setToolTip(2, answer.output);
        else if (answer.action == AutoAction::unencodable)
            item->setToolTip(2, resultsText(ResultsText::unencodableTip, language));
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        items.push_back(item);
    }
    list_->addTopLevelItems(items);
    list_->header()->setStretchLastSection(false);
    for (int column = 0; column < 4; ++column)
        list_->resizeColumnToContents(column);
    layout->addWidget(list_, 1);

    close_ = new QPushButton(resultsText(ResultsText::closeButton, language), body());
    close_->setObjectName(QStringLiteral("closeButton"));
    close_->setDefault(true);
    layout->addWidget(close_, 0, Qt::AlignRight);
    connect(close_, &QPushButton::clicked, this, &BatchResultsDialog::accept);
}

} // namespace vorlex::tools
