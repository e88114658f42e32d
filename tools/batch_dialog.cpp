#include "tools/batch_dialog.h"

#include "chrome/dialog_units.h"
#include "chrome/prompter.h"
#include "chrome/wait_cursor.h"
#include "store/scheme_catalogue.h"
#include "store/settings.h"
#include "tools/batch_dialog_texts.h"
#include "tools/batch_results_dialog.h"
#include "tools/batch_run.h"
#include "tools/batch_run_auto.h"
#include "tools/file_failure.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <exception>
#include <future>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace vorlex::tools {
namespace {

/// Item data of the Auto entry, as the main window's "Auto" carries it.
constexpr int kAutoEntry = -1;

// A scheme box whose closed face ends a text too long for it with an ellipsis rather than
// cutting it off; the opened list shows every entry whole.
class SchemeBox final : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, this);
        option.currentText =
            fontMetrics().elidedText(option.currentText, Qt::ElideRight, field.width());
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};

// Runs @p work on a thread of its own while the window goes on painting and taking clicks, and
// returns what it gave once the thread has ended.
template <class Result, class Work> Result awaitOffThread(Work work) {
    std::promise<Result> promise;
    std::future<Result> result = promise.get_future();
    QEventLoop loop;
    std::thread thread([&] {
        try {
            promise.set_value(work());
        } catch (...) {
            promise.set_exception(std::current_exception());
        }
        // Queued: it quits the loop even when it arrives before the loop runs.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    thread.join();
    return result.get();
}

// The batch's questions as the dialog's message boxes and Save-as dialog.
class PromptedAnswers final : public BatchAnswers {
public:
    PromptedAnswers(QWidget* owner, chrome::Prompter& prompter, store::Language language,
                    QProgressBar* progress, store::OutputEncoding encoding)
        : owner_(owner), prompter_(prompter), language_(language), progress_(progress),
          encoding_(encoding) {}

    // The questions name the file in their first line already; the reason follows below it.
    bool stopAfterOpenFailure(const QString& path, ReadError error,
                              const QString& reason) override {
        return stop(text(BatchText::cantOpenFile).arg(path) + QLatin1Char('\n') +
                    readFailureReason(error, reason, language_));
    }
    bool stopAfterMemoryFailure(const QString& path) override {
        return stop(fileFailureText(text(BatchText::cantAllocate), path,
                                    readFailureReason(ReadError::outOfMemory, {}, language_),
                                    language_));
    }
    ExistingOutput outputExists(const QString& path) override {
        const chrome::WaitCursor::Lifted lifted;
        switch (prompter_.ask(owner_, text(BatchText::messageCaption),
                              text(BatchText::outputExists).arg(path),
                              chrome::QuestionIcon::question, true)) {
        case chrome::Answer::yes:
            return ExistingOutput::overwrite;
        case chrome::Answer::no:
            return ExistingOutput::rename;
        case chrome::Answer::cancel:
            break;
        }
        return ExistingOutput::skip;
    }
    std::optional<QString> otherOutputPath(const QString& proposed) override {
        const chrome::WaitCursor::Lifted lifted;
        return prompter_.saveFile(owner_, proposed,
                                  text(BatchText::saveAsTitle).arg(encodingName(encoding_)));
    }
    bool stopAfterWriteFailure(const QString& path, WriteError, const QString& reason) override {
        return stop(text(BatchText::cantWriteFile).arg(path) + QLatin1Char('\n') +
                    writeFailureReason(reason, language_));
    }
    void progress(int position) override { progress_->setValue(position); }

private:
    [[nodiscard]] QString text(BatchText id) const { return batchText(id, language_); }
    bool stop(const QString& question) {
        const chrome::WaitCursor::Lifted lifted;
        return prompter_.ask(owner_, text(BatchText::messageCaption), question,
                             chrome::QuestionIcon::stop) == chrome::Answer::yes;
    }

    QWidget* owner_;
    chrome::Prompter& prompter_;
    store::Language language_;
    QProgressBar* progress_;
    store::OutputEncoding encoding_;
};

} // namespace

BatchDialog::BatchDialog(store::SettingsStore& store, chrome::Prompter& prompter, QWidget* parent)
    : chrome::CaptionedDialog(chrome::CaptionVariant::dialog, parent), store_(store),
      prompter_(prompter) {
    const store::Settings settings = store::readSettings(store_);
    language_ = settings.language;
    options_.noSj = settings.noSj;
    options_.wAsVe = settings.wAsVe;
    buildControls();
    applyTexts();
    fillSchemeBox();
    connect(convert_, &QPushButton::clicked, this, &BatchDialog::convert);
    connect(close_, &QPushButton::clicked, this, &BatchDialog::accept);
}

void BatchDialog::done(int result) {
    if (running_) {
        closeAsked_ = result;
        return;
    }
    chrome::CaptionedDialog::done(result);
}

void BatchDialog::buildControls() {
    const chrome::DialogUnits du(chrome::dialogFont());
    setFont(chrome::dialogFont());
    // Below the first form's 60 units, two lines that tell what a batch did.
    setBodySize(QSize(du.x(171), du.y(78)));

    label_ = new QLineEdit(body());
    label_->setObjectName(QStringLiteral("schemeLabel"));
    label_->setGeometry(du.rect(14, 5, 37, 12));
    label_->setReadOnly(true);
    label_->setFrame(false);
    label_->setFocusPolicy(Qt::NoFocus);
    // A read-only edit without a border reads as a label: the dialog's own background.
    QPalette palette = label_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    label_->setPalette(palette);

    schemes_ = new SchemeBox(body());
    schemes_->setObjectName(QStringLiteral("schemeBox"));
    // The layout's height is that of the opened list; the closed box is one line high.
    schemes_->setGeometry(du.rect(60, 3, 97, 13));
    schemes_->setMaxVisibleItems(8);

    convert_ = new QPushButton(body());
    convert_->setObjectName(QStringLiteral("convertButton"));
    convert_->setGeometry(du.rect(14, 22, 143, 14));
    convert_->setAutoDefault(false);

    progress_ = new QProgressBar(body());
    progress_->setObjectName(QStringLiteral("progressBar"));
    progress_->setGeometry(du.rect(2, 43, 113, 12));
    progress_->setTextVisible(false);
    progress_->setRange(0, 100);
    progress_->setValue(0);

    close_ = new QPushButton(body());
    close_->setObjectName(QStringLiteral("closeButton"));
    close_->setGeometry(du.rect(118, 42, 50, 14));
    close_->setDefault(true);

    summary_ = new QLabel(body());
    summary_->setObjectName(QStringLiteral("summaryLabel"));
    summary_->setGeometry(du.rect(2, 58, 167, 18));
    summary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Large counts and the longer Russian text take a second line.
    summary_->setWordWrap(true);
}

void BatchDialog::applyTexts() {
    setWindowTitle(batchText(BatchText::caption, language_));
    close_->setText(batchText(BatchText::closeButton, language_));
    label_->setText(batchText(BatchText::schemeLabel, language_));
    convert_->setText(batchText(BatchText::convertButton, language_));
}

void BatchDialog::fillSchemeBox() {
    const store::CatalogueScan scan = store::scanCatalogue(store_);
    std::vector<std::string> names;
    for (const store::StoredScheme& scheme : scan.schemes) {
        schemes_->addItem(QString::fromStdString(scheme.name), scheme.number);
        names.push_back(scheme.name);
    }
    if (names.empty())
        return;
    // Last, so the stored schemes keep their places and a stored last scheme (never this
    // entry: the search below runs over the stored names) selects what it always did.
    schemes_->addItem(batchText(BatchText::autoScheme, language_), kAutoEntry);
    schemes_->setItemData(schemes_->count() - 1, schemes_->itemText(schemes_->count() - 1),
                          Qt::ToolTipRole);
    schemes_->view()->setMinimumWidth(schemes_->view()->sizeHintForColumn(0) +
                                      schemes_->view()->verticalScrollBar()->sizeHint().width());
    schemes_->setCurrentIndex(0);
    if (const store::Settings settings = store::readSettings(store_); settings.saveLastScheme) {
        if (const auto found = store::findFirstByPrefixIgnoringCase(names, settings.lastScheme))
            schemes_->setCurrentIndex(static_cast<int>(*found));
    }
}

bool BatchDialog::hasSchemes() const {
    return schemes_->count() > 0;
}

int BatchDialog::selectedSchemeNumber() const {
    if (schemes_->currentIndex() < 0)
        return -1;
    return schemes_->currentData().toInt();
}

QString BatchDialog::summaryText() const {
    return summary_->text();
}

bool BatchDialog::autoSelected() const {
    return schemes_->currentIndex() >= 0 && schemes_->currentData().toInt() == kAutoEntry;
}

int BatchDialog::exec() {
    if (!hasSchemes()) {
        prompter_.message(this, batchText(BatchText::messageCaption, language_),
                          batchText(BatchText::cantReadSchemes, language_));
        setResult(QDialog::Accepted);
        return QDialog::Accepted;
    }
    return chrome::CaptionedDialog::exec();
}

void BatchDialog::convert() {
    const std::optional<QStringList> files =
        prompter_.openFiles(this, batchText(BatchText::selectFilesTitle, language_),
                            batchText(BatchText::filesFilter, language_));
    if (!files || files->isEmpty())
        return;
    const std::optional<QString> folder = prompter_.chooseFolder(
        this, batchText(BatchText::selectFolderTitle, language_), QDir::currentPath());
    if (!folder || folder->isEmpty())
        return;

    progress_->setRange(0, static_cast<int>(files->size()));
    progress_->setValue(0);
    if (autoSelected()) {
        convertAutomatically(*files, *folder);
        return;
    }

    const std::optional<engine::FilterList> filters =
        selectedSchemeNumber() < 0 ? std::nullopt
                                   : readBatchFilters(store_, selectedSchemeNumber());
    if (!filters) {
        prompter_.message(this, batchText(BatchText::messageCaption, language_),
                          configFailureText(batchText(BatchText::configReadFailed, language_),
                                            QString::fromStdString(store_.location()),
                                            schemes_->currentText(), language_));
        return;
    }

    BatchRequest request;
    request.sources = *files;
    request.outputFolder = *folder;
    request.filters = *filters;
    request.options = options_;
    // The transliteration switch and the output encoding are read afresh for every run.
    const store::Settings settings = store::readSettings(store_);
    request.options.separateEnglish = settings.separateEnglish;
    request.encoding = settings.outputEncoding;

    summary_->clear();
    BatchSummary summary;
    {
        const chrome::WaitCursor wait;
        PromptedAnswers answers(this, prompter_, language_, progress_, request.encoding);
        summary = runBatchConversion(request, answers);
    }
    // Sources a stop left untouched count as neither converted nor failed.
    summary_->setText(batchText(BatchText::summary, language_)
                          .arg(summary.written)
                          .arg(summary.skipped)
                          .arg(summary.failed));
}

void BatchDialog::convertAutomatically(const QStringList& files, const QString& folder) {
    const AutoRepairer repairer(store_);
    const auto decide = [&](const QString& source) -> std::optional<AutoDecision> {
        if (closeAsked_)
            return std::nullopt;
        return awaitOffThread<AutoDecision>([&] {
            try {
                return repairer.decide(source);
            } catch (const std::bad_alloc&) {
                AutoDecision failed;
                failed.answer.source = source;
                failed.readError = ReadError::outOfMemory;
                return failed;
            }
        });
    };

    if (results_)
        results_->close();
    running_ = true;
    convert_->setEnabled(false);
    schemes_->setEnabled(false);
    // The output encoding is read afresh for every run, as for one scheme.
    const store::OutputEncoding encoding = store::readSettings(store_).outputEncoding;
    summary_->clear();
    AutoBatchSummary summary;
    {
        const chrome::WaitCursor wait;
        PromptedAnswers answers(this, prompter_, language_, progress_, encoding);
        summary = runAutoBatch(files, folder, encoding, decide, answers);
    }
    summary_->setText(resultsSummaryLine(summary, language_));
    running_ = false;
    convert_->setEnabled(true);
    schemes_->setEnabled(true);
    if (closeAsked_) {
        const int result = *closeAsked_;
        closeAsked_.reset();
        done(result);
        return;
    }
    results_ = new BatchResultsDialog(summary, language_, this);
    results_->setAttribute(Qt::WA_DeleteOnClose);
    results_->show();
}

} // namespace vorlex::tools
