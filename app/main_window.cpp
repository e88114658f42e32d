#include "app/main_window.h"

#include "app/qt_translations.h"
#include "app/refined_list.h"
#include "app/source_text.h"
#include "chrome/about_dialog.h"
#include "chrome/dialog_units.h"
#include "chrome/prompter.h"
#include "chrome/variant_list_box.h"
#include "chrome/wait_cursor.h"
#include "detect/candidates.h"
#include "detect/list_line.h"
#include "detect/refined_ranking.h"
#include "detect/unicode_repair.h"
#include "schemes/scheme_commands.h"
#include "setup/font_values.h"
#include "setup/settings_dialog.h"
#include "store/builtin_schemes.h"
#include "store/pass_setup.h"
#include "store/scheme_catalogue.h"
#include "store/settings_keys.h"
#include "tools/batch_dialog.h"
#include "tools/file_failure.h"
#include "tools/preview_dialog.h"
#include "update/update_check.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <vector>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

// Resources of a static library are registered by hand.
static void initialiseResources() {
    Q_INIT_RESOURCE(vorlex);
}

namespace vorlex::app {
namespace {

constexpr int kTimerPeriodMs = 200;
constexpr int kLineRole = Qt::UserRole;

// The worker runs below normal priority: on Linux the nice value is per thread.
void lowerWorkerPriority() {
#ifdef __linux__
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    (void)::setpriority(PRIO_PROCESS, thread, 5);
#endif
}

QLabel* makeField(QWidget* parent, MainWindow::Control control,
                  Qt::Alignment alignment = Qt::AlignLeft) {
    auto* label = new QLabel(parent);
    label->setObjectName(MainWindow::objectNameOf(control));
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

QPushButton* makeIconButton(QWidget* parent, MainWindow::Control control, const char* icon) {
    auto* button = new QPushButton(parent);
    button->setObjectName(MainWindow::objectNameOf(control));
    button->setIcon(QIcon(QString::fromLatin1(icon)));
    button->setIconSize(QSize(16, 16));
    return button;
}

} // namespace

QString MainWindow::objectNameOf(Control control) {
    switch (control) {
    case recodeButton:
        return QStringLiteral("recodeButton");
    case timeField:
        return QStringLiteral("timeField");
    case stopButton:
        return QStringLiteral("stopButton");
    case variantList:
        return QStringLiteral("variantList");
    case progressBar:
        return QStringLiteral("progressBar");
    case foundField:
        return QStringLiteral("foundField");
    case limitEdit:
        return QStringLiteral("limitEdit");
    case schemeBox:
        return QStringLiteral("schemeBox");
    case headingField:
        return QStringLiteral("headingField");
    case timeLabel:
        return QStringLiteral("timeLabel");
    case secondsLabel:
        return QStringLiteral("secondsLabel");
    case foundLabel:
        return QStringLiteral("foundLabel");
    case foundUnitLabel:
        return QStringLiteral("foundUnitLabel");
    case limitLabel:
        return QStringLiteral("limitLabel");
    case limitUnitLabel:
        return QStringLiteral("limitUnitLabel");
    case editSchemeButton:
        return QStringLiteral("editSchemeButton");
    case newSchemeButton:
        return QStringLiteral("newSchemeButton");
    case deleteSchemeButton:
        return QStringLiteral("deleteSchemeButton");
    case exitButton:
        return QStringLiteral("exitButton");
    case defaultButton:
        return QStringLiteral("defaultButton");
    case statusLine:
        return QStringLiteral("statusLine");
    }
    return {};
}

QString MainWindow::objectNameOf(Command command) {
    switch (command) {
    case fromFile:
        return QStringLiteral("fromFile");
    case fromClipboard:
        return QStringLiteral("fromClipboard");
    case batchConvert:
        return QStringLiteral("batchConvert");
    case toFile:
        return QStringLiteral("toFile");
    case toClipboard:
        return QStringLiteral("toClipboard");
    case viewSource:
        return QStringLiteral("viewSource");
    case saveAsScheme:
        return QStringLiteral("saveAsScheme");
    case settings:
        return QStringLiteral("settings");
    case about:
        return QStringLiteral("about");
    case viewResult:
        return QStringLiteral("viewResult");
    case checkVersions:
        return QStringLiteral("checkVersions");
    }
    return {};
}

MainWindow::MainWindow(store::SettingsStore& store, Prompter& prompter,
                       const std::optional<QString>& commandLineFile, QWidget* parent)
    : CaptionedDialog(chrome::CaptionVariant::main, parent), store_(store), prompter_(prompter),
      pass_(dictionary_) {
    initialiseResources();
    setWindowIcon(QIcon(QStringLiteral(":/res/vorlex_logo.svg")));
    setWindowTitle(mainText(MainText::caption, store::Language::english));
    buildControls();

    // First run: the built-in schemes, then Flag.
    store::initialiseOnStart(store_);
    buildToolbar();
    setResultCommandsEnabled(false);

    settings_ = store::readSettings(store_);
    time_->setText(text(MainText::noValue));
    found_->setText(text(MainText::noValue));
    maximumVariants_ = settings_.totalShow;
    setLimitField(maximumVariants_);
    showPlaceholder();
    recode_->setEnabled(false);
    stop_->setEnabled(false);
    command(viewSource)->setEnabled(false);

    fillSchemeList();
    restoreLastScheme();
    applyInterfaceTexts();
    connectControls();

    if (commandLineFile && !commandLineFile->isEmpty()) {
        // Its messages wait for the window, so that they appear over it and not alone.
        deferMessages_ = true;
        loadSource(SourceKind::commandLineFile, *commandLineFile);
        deferMessages_ = false;
    }

    updateSchemeButtons();

    if (settings_.setClipboardViewer)
        joinClipboardViewer();
    setAcceptDrops(true);
}

MainWindow::~MainWindow() {
    shutDown(false);
}

void MainWindow::buildControls() {
    const chrome::DialogUnits du(chrome::dialogFont());
    setFont(chrome::dialogFont());
    // Twelve units below the first form's 230 for the status line.
    setBodySize(QSize(du.x(403), du.y(242)));

    panel_ = new QGroupBox(body());
    panel_->setGeometry(du.rect(0, 174, 403, 56));

    list_ = new chrome::VariantListBox(body());
    list_->setObjectName(objectNameOf(variantList));
    list_->setGeometry(du.rect(0, 28, 403, 149));
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setTextElideMode(Qt::ElideNone);
    list_->setWordWrap(false);
    list_->setUniformItemSizes(true);

    heading_ = makeField(body(), headingField, Qt::AlignHCenter);
    heading_->setGeometry(du.rect(1, 17, 401, 12));

    recode_ = makeIconButton(body(), recodeButton, ":/res/two_arrows.svg");
    recode_->setGeometry(du.rect(4, 183, 29, 12));
    stop_ = makeIconButton(body(), stopButton, ":/res/stop_square.svg");
    stop_->setGeometry(du.rect(35, 183, 21, 12));
    newScheme_ = makeIconButton(body(), newSchemeButton, ":/res/new_page.svg");
    newScheme_->setGeometry(du.rect(85, 183, 13, 13));
    editScheme_ = makeIconButton(body(), editSchemeButton, ":/res/pencil.svg");
    editScheme_->setGeometry(du.rect(98, 183, 13, 13));

    schemes_ = new QComboBox(body());
    schemes_->setObjectName(objectNameOf(schemeBox));
    schemes_->setMaxVisibleItems(8);
    {
        // The layout's height is the opened list's; the closed box is one line high.
        QRect r = du.rect(111, 183, 97, 13);
        schemes_->setGeometry(r);
    }
    deleteScheme_ = makeIconButton(body(), deleteSchemeButton, ":/res/red_cross.svg");
    deleteScheme_->setGeometry(du.rect(208, 183, 13, 13));

    foundLabel_ = makeField(body(), foundLabel, Qt::AlignRight);
    // The count takes five digits (the pass tries some 17000 chains); the label, right-aligned,
    // keeps room for its longer Russian text.
    foundLabel_->setGeometry(du.rect(223, 184, 62, 12));
    found_ = makeField(body(), foundField, Qt::AlignHCenter);
    found_->setGeometry(du.rect(288, 184, 24, 12));
    foundUnit_ = makeField(body(), foundUnitLabel);
    foundUnit_->setGeometry(du.rect(313, 184, 38, 12));

    exit_ = new QPushButton(body());
    exit_->setObjectName(objectNameOf(exitButton));
    exit_->setGeometry(du.rect(353, 184, 46, 26));

    timeLabel_ = makeField(body(), timeLabel);
    // Room for the longer Russian label.
    timeLabel_->setGeometry(du.rect(4, 202, 128, 12));
    time_ = makeField(body(), timeField, Qt::AlignHCenter);
    time_->setGeometry(du.rect(132, 202, 16, 12));
    seconds_ = makeField(body(), secondsLabel);
    seconds_->setGeometry(du.rect(148, 202, 28, 12));
    limitLabel_ = makeField(body(), limitLabel, Qt::AlignRight);
    limitLabel_->setGeometry(du.rect(180, 202, 113, 12));

    limit_ = new QLineEdit(body());
    limit_->setObjectName(objectNameOf(limitEdit));
    limit_->setGeometry(du.rect(295, 199, 17, 12));
    limit_->setAlignment(Qt::AlignCenter);
    limitUnit_ = makeField(body(), limitUnitLabel);
    limitUnit_->setGeometry(du.rect(313, 202, 38, 12));

    progress_ = new QProgressBar(body());
    progress_->setObjectName(objectNameOf(progressBar));
    progress_->setGeometry(du.rect(3, 214, 396, 10));
    progress_->setTextVisible(false);
    progress_->setRange(0, detect::kSearchChainCount);
    progress_->setValue(0);

    status_ = makeField(body(), statusLine);
    status_->setGeometry(du.rect(3, 230, 397, 10));

    // Takes the Enter key and does nothing.
    auto* enter = new QPushButton(body());
    enter->setObjectName(objectNameOf(defaultButton));
    enter->setGeometry(du.rect(361, 23, 30, 10));
    enter->setDefault(true);
    enter->hide();

    toolbar_ = new QToolBar(body());
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setGeometry(0, 0, body()->width(), du.y(17));
}

void MainWindow::buildToolbar() {
    struct Button {
        int command; // 0: separator
        const char* icon;
    };
    static constexpr Button kButtons[] = {
        {fromFile, ":/res/tb_from_file.svg"},
        {fromClipboard, ":/res/tb_from_clipboard.svg"},
        {0, nullptr},
        {batchConvert, ":/res/tb_batch.svg"},
        {0, nullptr},
        {toFile, ":/res/tb_to_file.svg"},
        {toClipboard, ":/res/tb_to_clipboard.svg"},
        {saveAsScheme, ":/res/tb_save_scheme.svg"},
        {0, nullptr},
        {viewSource, ":/res/tb_view_source.svg"},
        {viewResult, ":/res/tb_view_result.svg"},
        {0, nullptr},
        {settings, ":/res/tb_settings.svg"},
        {0, nullptr},
        {0, nullptr},
        {0, nullptr},
        {about, ":/res/tb_about.svg"},
        {0, nullptr},
        {0, nullptr},
        {0, nullptr},
        {0, nullptr},
        {checkVersions, ":/res/tb_check_versions.svg"},
    };
    for (const Button& button : kButtons) {
        if (button.command == 0) {
            toolbar_->addSeparator();
            continue;
        }
        QAction* action =
            toolbar_->addAction(QIcon(QString::fromLatin1(button.icon)), QStringLiteral(" "));
        action->setObjectName(objectNameOf(static_cast<Command>(button.command)));
        action->setEnabled(true);
        commands_[button.command] = action;
    }
}

void MainWindow::connectControls() {
    connect(exit_, &QPushButton::clicked, this, &MainWindow::accept);
    connect(recode_, &QPushButton::clicked, this, &MainWindow::recode);
    connect(stop_, &QPushButton::clicked, this, &MainWindow::stopPass);
    connect(command(fromFile), &QAction::triggered, this, &MainWindow::loadFromFile);
    connect(command(fromClipboard), &QAction::triggered, this, &MainWindow::loadFromClipboard);
    connect(schemes_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showingSchemes_)
            schemeList_.select(index);
    });
    connect(schemes_, &QComboBox::activated, this, &MainWindow::schemeChosen);
    connect(limit_, &QLineEdit::textChanged, this, &MainWindow::limitChanged);
    connect(&timer_, &QTimer::timeout, this, &MainWindow::timerTick);
    connect(command(checkVersions), &QAction::triggered, this, &MainWindow::checkForNewVersion);
    connect(command(viewSource), &QAction::triggered, this, &MainWindow::viewSourceText);
    connect(command(about), &QAction::triggered, this, &MainWindow::showAbout);
    connect(command(settings), &QAction::triggered, this, &MainWindow::openSettings);
    connect(newScheme_, &QPushButton::clicked, this,
            [this] { editScheme(store::EditorMode::create); });
    connect(editScheme_, &QPushButton::clicked, this,
            [this] { editScheme(store::EditorMode::edit); });
    connect(deleteScheme_, &QPushButton::clicked, this, &MainWindow::deleteScheme);
    connect(command(batchConvert), &QAction::triggered, this, [this] {
        // Nothing goes in or comes back; the dialog reads what it needs from the store.
        tools::BatchDialog batch(store_, prompter_);
        batch.exec();
    });
    for (const ListCommand listCommand : {ListCommand::toFile, ListCommand::toClipboard,
                                          ListCommand::saveAsScheme, ListCommand::viewResult})
        connect(command(static_cast<Command>(toolbarId(listCommand))), &QAction::triggered, this,
                [this, listCommand] { runListCommand(listCommand); });
    connect(list_, &QListWidget::itemSelectionChanged, this, &MainWindow::listSelectionChanged);
    connect(list_, &QListWidget::itemDoubleClicked, this, &MainWindow::listDoubleClicked);
    connect(list_, &chrome::VariantListBox::rightButtonReleased, this,
            &MainWindow::listRightClicked);
}

QString MainWindow::statusText() const {
    return status_->text();
}

QAction* MainWindow::command(Command id) const {
    const auto found = commands_.find(id);
    return found == commands_.end() ? nullptr : found->second;
}

std::string MainWindow::listLine(int row) const {
    const QListWidgetItem* item = list_->item(row);
    return item == nullptr ? std::string() : item->data(kLineRole).toByteArray().toStdString();
}

void MainWindow::setResultCommandsEnabled(bool enabled) {
    for (Command id : {toFile, toClipboard, saveAsScheme, viewResult})
        command(id)->setEnabled(enabled);
}

// --- scheme box ---

void MainWindow::fillSchemeList() {
    schemeList_.assign(store::refreshCatalogue(store_).schemes);
    showSchemeList();
}

void MainWindow::showSchemeList() {
    showingSchemes_ = true;
    schemes_->clear();
    for (int i = 0; i < schemeList_.size(); ++i)
        schemes_->addItem(QString::fromStdString(schemeList_.name(i)), schemeList_.number(i));
    schemes_->setCurrentIndex(schemeList_.selectedIndex());
    showingSchemes_ = false;
}

void MainWindow::editScheme(store::EditorMode mode) {
    const bool stored = schemes::runSchemeEditor(mode, schemeList_, store_, prompter_, this);
    schemes_->setFocus();
    if (!stored)
        return;
    fillSchemeList();
    // The editor may have changed the last scheme; the box selects what the store now holds.
    if (settings_.saveLastScheme)
        settings_.lastScheme = store::readSetting(store_, store::kLastScheme);
    restoreLastScheme();
    updateSchemeButtons();
}

void MainWindow::deleteScheme() {
    // Removes the item itself, without a rescan.
    schemes_->setFocus();
    if (schemes::deleteSelectedScheme(schemeList_, store_, prompter_, settings_.language, this))
        showSchemeList();
    updateSchemeButtons();
}

void MainWindow::saveChainAsScheme(QWidget* parent, const QString& actionText,
                                   const engine::FilterList& filters) {
    if (schemes::saveChainAsScheme(parent, store_, prompter_, actionText, filters.filters,
                                   &schemeList_))
        showSchemeList();
    updateSchemeButtons();
}

void MainWindow::openSettings() {
    // The list limit stays the window's own: the dialog does not change it.
    const store::Language before = settings_.language;
    settings_ = setup::runSettingsDialog(store_, prompter_, this);
    if (settings_.language != before)
        applyQtTranslations(settings_.language);
    restoreLastScheme();
    updateSchemeButtons();
    switch (setup::watchingChange(viewerJoined_, settings_.setClipboardViewer)) {
    case setup::WatchingChange::leave:
        leaveClipboardViewer();
        break;
    case setup::WatchingChange::join:
        joinClipboardViewer();
        break;
    case setup::WatchingChange::none:
        break;
    }
    applyInterfaceTexts();
}

void MainWindow::joinClipboardViewer() {
    if (viewerJoined_)
        return;
    watching_ = watchingOff;
    ownClipboardText_.reset();
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &MainWindow::clipboardChanged);
    viewerJoined_ = true;
    watching_ = watchingOn;
}

void MainWindow::leaveClipboardViewer() {
    if (!viewerJoined_)
        return;
    disconnect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
               &MainWindow::clipboardChanged);
    viewerJoined_ = false;
}

void MainWindow::restoreLastScheme() {
    if (!settings_.saveLastScheme)
        return;
    schemeList_.selectLastScheme(settings_.lastScheme);
    showSchemeList();
}

void MainWindow::updateSchemeButtons() {
    const bool stored = schemeList_.selectedScheme() != nullptr;
    editScheme_->setEnabled(stored);
    deleteScheme_->setEnabled(stored);
}

void MainWindow::schemeChosen(int) {
    if (recode_->isEnabled() && settings_.autoRecode)
        recode();
    updateSchemeButtons();
}

// --- texts ---

void MainWindow::applyInterfaceTexts() {
    exit_->setText(text(MainText::exitButton));
    heading_->setText(text(MainText::heading));
    timeLabel_->setText(text(MainText::timeLabel));
    seconds_->setText(text(MainText::secondsLabel));
    foundLabel_->setText(text(MainText::foundLabel));
    foundUnit_->setText(text(MainText::foundUnitLabel));
    limitLabel_->setText(text(MainText::limitLabel));
    limitUnit_->setText(text(MainText::limitUnitLabel));

    static constexpr std::pair<MainWindow::Command, MainText> kToolTips[] = {
        {fromFile, MainText::tipFromFile},           {fromClipboard, MainText::tipFromClipboard},
        {batchConvert, MainText::tipBatch},          {toFile, MainText::tipToFile},
        {toClipboard, MainText::tipToClipboard},     {saveAsScheme, MainText::tipSaveAsScheme},
        {viewSource, MainText::tipViewSource},       {viewResult, MainText::tipViewResult},
        {settings, MainText::tipSettings},           {about, MainText::tipAbout},
        {checkVersions, MainText::tipCheckVersions},
    };
    for (const auto& [id, tip] : kToolTips) {
        command(id)->setText(text(tip));
        command(id)->setToolTip(text(tip));
    }

    delete listMenu_;
    listMenu_ = new QMenu(this);
    listMenu_->setObjectName(QStringLiteral("listMenu"));
    struct MenuItem {
        int id;
        MainText label;
        const char* name;
    };
    static constexpr MenuItem kMenu[] = {
        {32774, MainText::menuWriteDocument, "writeDocumentItem"},
        {32776, MainText::menuPutDocument, "putDocumentItem"},
        {32777, MainText::menuSaveAsScheme, "saveAsSchemeItem"},
        {32788, MainText::menuPreviewResult, "previewResultItem"},
    };
    for (const auto& [id, label, name] : kMenu) {
        QAction* item = listMenu_->addAction(text(label));
        item->setData(id);
        item->setObjectName(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, [this, id = id] {
            if (const std::optional<ListCommand> listCommand = listCommandOfId(id))
                runListCommand(*listCommand);
        });
    }

    recode_->setToolTip(text(MainText::tipRecode));
    stop_->setToolTip(text(MainText::tipStop));
    newScheme_->setToolTip(text(MainText::tipNewScheme));
    editScheme_->setToolTip(text(MainText::tipEditScheme));
    schemes_->setToolTip(text(MainText::tipSchemeBox));
    list_->setToolTip(text(MainText::tipVariantList));
    deleteScheme_->setToolTip(text(MainText::tipDeleteScheme));

    // Lines keep the language they were made in, so the column fits both.
    list_->setColumnTexts(longestConfidenceColumns(store::Language::english) +
                          longestConfidenceColumns(store::Language::russian));
    applyListFont();
}

void MainWindow::applyListFont() {
    // Height 0 (nothing chosen yet) keeps the dialog's own font.
    list_->setFont(setup::storedListFont(store_, font()));
}

// --- list ---

void MainWindow::showPlaceholder() {
    list_->clear();
    addListLine(detect::placeholderLine(static_cast<int>(settings_.language)));
}

void MainWindow::addListLine(const std::string& line) {
    insertListLine(list_->count(), line);
}

void MainWindow::insertListLine(int row, const std::string& line) {
    auto* item = new QListWidgetItem(bytesToShownText(line));
    item->setData(kLineRole, QByteArray::fromStdString(line));
    list_->insertItem(row, item);
}

void MainWindow::drainVariantQueue() {
    for (const ListOperation& op : queue_.take()) {
        switch (op.kind) {
        case ListOperation::Kind::insert:
            insertListLine(std::clamp(op.index, 0, list_->count()), op.line);
            break;
        case ListOperation::Kind::append:
            addListLine(op.line);
            break;
        case ListOperation::Kind::remove:
            if (op.index >= 0 && op.index < list_->count())
                delete list_->takeItem(op.index);
            break;
        }
    }
}

void MainWindow::applyRefinedOrder() {
    const auto limit = static_cast<std::size_t>(maximumVariants_);
    RefinedList refined;
    if (unicodeText_) {
        refined =
            refinedList(detect::rankUnicode(dictionary_, *unicodeText_, passStoredChains_, limit),
                        settings_.language);
    } else {
        const detect::RefinedRanking ranking =
            detect::refineRanking(dictionary_, sample_, passStoredChains_, limit);
        // A text no chain can change keeps what the pass left (the placeholder or nothing).
        if (ranking.candidates.empty())
            return;
        refined = refinedList(ranking, settings_.language);
    }
    list_->clear();
    for (const RefinedListLine& line : refined.lines) {
        addListLine(line.line);
        if (!line.column.isEmpty())
            list_->item(list_->count() - 1)
                ->setData(chrome::VariantListBox::kColumnRole, line.column);
    }
    found_->setText(QString::number(refined.found));
}

// --- the maximum-variants field ---

void MainWindow::setLimitField(int value) {
    settingLimit_ = true;
    limit_->setText(QString::number(value));
    settingLimit_ = false;
}

void MainWindow::limitChanged(const QString& value) {
    if (settingLimit_)
        return;
    const VariantLimitCheck check = checkVariantLimit(value);
    if (check.result != VariantLimitCheck::Result::ok) {
        say(check.result == VariantLimitCheck::Result::outOfRange ? MainText::limitOutOfRange
                                                                  : MainText::limitNotANumber);
        // The field goes back to the last value it took, so that what it shows is what a
        // pass uses.
        setLimitField(maximumVariants_);
        limit_->setFocus();
        limit_->selectAll();
        return;
    }
    maximumVariants_ = check.value;
    pass_.setMaxVariants(check.value);
    store::writeSetting(store_, store::kTotalShow, check.value);
}

// --- sources ---

void MainWindow::resetSourceFields() {
    time_->setText(text(MainText::noValue));
    found_->setText(text(MainText::noValue));
    setLimitField(maximumVariants_);
    showPlaceholder();
}

void MainWindow::loadSource(SourceKind kind, const QString& path) {
    const bool byCommand = kind == SourceKind::chosenFile || kind == SourceKind::clipboard;
    loading_ = true;
    setResultCommandsEnabled(false);
    if (byCommand)
        watching_ = watchingOff;
    releaseSource();
    sourceIsFile_ = kind != SourceKind::clipboard;
    if (sourceIsFile_)
        sourcePath_ = path;
    resetSourceFields();
    status_->clear();

    int replaced = 0;
    bool ok = false;
    if (sourceIsFile_) {
        ok = analyseSource();
    } else {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (data != nullptr && data->hasText()) {
            const QString shown = data->text();
            ClipboardBytes bytes = clipboardTextToBytes(shown);
            unicodeText_ = unicodeTextOf(shown);
            replaced = bytes.replaced;
            clipboardCopy_ = std::make_shared<const std::string>(std::move(bytes.bytes));
            ok = analyseSource();
        }
    }

    if (ok) {
        recode_->setEnabled(true);
        command(viewSource)->setEnabled(true);
        if (replaced > 0)
            tell(text(MainText::clipboardCharactersReplaced).arg(replaced));
        // The refined ranking answers a text without words as well.
        if (!sample_.hasWords() && !settings_.showNoAutoRecoding && !settings_.refineRanking)
            say(noWordsMessage(kind));
        if (kind == SourceKind::clipboard ? settings_.autoRecodeClipboard
                                          : settings_.autoRecodeFile)
            recode();
    } else {
        recode_->setEnabled(false);
        command(viewSource)->setEnabled(false);
        if (kind == SourceKind::clipboard) {
            if (!settings_.showWrongClipboardFormat)
                say(readFailedMessage(kind));
        } else {
            tell(readFailedText(kind, lastReadFailure_));
        }
    }
    if (byCommand)
        watching_ = watchingOn;
    loading_ = false;
}

bool MainWindow::analyseSource() {
    if (sourceIsFile_) {
        // The file is mapped only while it is sampled.
        std::optional<AnalysedFile> file = analyseFile(sourcePath_, &lastReadFailure_);
        if (!file)
            return false;
        sample_ = std::move(file->sample);
        unicodeText_ = std::move(file->unicode);
        clipboardCopy_ = std::move(file->eightBit);
        return true;
    }
    sample_ = detect::sampleSource(clipboardCopy_ ? std::string_view(*clipboardCopy_)
                                                  : std::string_view());
    return true;
}

void MainWindow::releaseSource() {
    clipboardCopy_.reset();
    unicodeText_.reset();
}

void MainWindow::loadFromFile() {
    const std::optional<QString> path = prompter_.openFile(this, text(MainText::selectFileTitle));
    if (!path)
        return;
    loadSource(SourceKind::chosenFile, *path);
}

void MainWindow::loadFromClipboard() {
    loadSource(SourceKind::clipboard, {});
}

void MainWindow::loadDroppedFile(const QString& path) {
    if (!command(fromFile)->isEnabled() || path.isEmpty())
        return;
    loadSource(SourceKind::droppedFile, path);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile()) {
        event->acceptProposedAction();
        loadDroppedFile(urls.first().toLocalFile());
    }
}

// --- clipboard watching ---

bool MainWindow::isOwnClipboardText() const {
    if (!ownClipboardText_)
        return false;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText() && data->text() == *ownClipboardText_;
}

void MainWindow::clipboardChanged() {
    if (watching_ == watchingOff || watching_ == watchingOwnWrite)
        return;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasText())
        return;
    // The notification of the program's own write may come after the write has returned.
    if (isOwnClipboardText())
        return;
    ownClipboardText_.reset();
    if (command(fromClipboard)->isEnabled())
        QMetaObject::invokeMethod(this, &MainWindow::clipboardChangeQueued, Qt::QueuedConnection);
}

void MainWindow::clipboardChangeQueued() {
    // A pass may have started, or the program may have written the clipboard, in between.
    if (watching_ != watchingOn || loading_ || !command(fromClipboard)->isEnabled() ||
        isOwnClipboardText())
        return;
    loadFromClipboard();
}

void MainWindow::putOnClipboard(std::string_view bytes) {
    putTextOnClipboard(bytesToShownText(bytes));
}

void MainWindow::putTextOnClipboard(const QString& shown) {
    const int previous = watching_;
    watching_ = watchingOwnWrite;
    ownClipboardText_ = shown;
    QGuiApplication::clipboard()->setText(shown);
    watching_ = previous;
    // Characters, not UTF-16 units: a repair through Unicode may hold emoji.
    const qsizetype characters =
        std::count_if(shown.begin(), shown.end(), [](QChar c) { return !c.isLowSurrogate(); });
    status_->setText(text(MainText::copiedCharacters).arg(characters));
}

// --- Recode and the pass ---

void MainWindow::recode() {
    if (passActive_)
        return;
    if (settings_.saveLastScheme)
        store::writeSetting(store_, store::kLastScheme, schemeList_.selectedName());
    const int item = schemeList_.selectedNumber();
    if (item != store::kAutoSchemeNumber) {
        const std::string action =
            store_.readString(store::schemeSectionName(item), store::kSchemeActionValue,
                              std::string(store::kMissingValue));
        if (action == store::kMissingValue) {
            tell(tools::configFailureText(
                text(MainText::configReadFailed), QString::fromStdString(store_.location()),
                QString::fromStdString(schemeList_.selectedName()), settings_.language));
            return;
        }
        setResultCommandsEnabled(false);
        const engine::LatinOptions options{settings_.wAsVe, settings_.noSj, false};
        const std::string line = detect::namedSchemeLine(sample_, action, options);
        list_->clear();
        addListLine(line);
        return;
    }
    if (sample_.hasWords()) {
        startPass();
    } else if (settings_.refineRanking) {
        // No pass for a text without words, but the refined ranking answers it.
        setResultCommandsEnabled(false);
        passStoredChains_ = detect::storedSchemeChains(
            store::passSetup(sample_, settings_, schemeList_.schemes(), {{}, maximumVariants_}));
        applyRefinedOrder();
    }
}

void MainWindow::startPass() {
    setResultCommandsEnabled(false);
    // Join the previous worker and drop what it left, so no line of it reaches this list.
    pass_.requestStop();
    pass_.wait();
    queue_.clear();
    list_->clear();
    progress_->setRange(0, detect::kSearchChainCount);
    progress_->setValue(0);

    detect::PassSetup setup =
        store::passSetup(sample_, settings_, schemeList_.schemes(), {{}, maximumVariants_});
    setup.onWorkerStart = lowerWorkerPriority;
    passStoredChains_ = detect::storedSchemeChains(setup);

    command(fromFile)->setEnabled(false);
    command(fromClipboard)->setEnabled(false);
    recode_->setEnabled(false);
    stop_->setEnabled(true);
    passStart_ = std::time(nullptr);
    passActive_ = pass_.start(std::move(setup), queue_);
    timer_.start(kTimerPeriodMs);
}

void MainWindow::stopPass() {
    pass_.requestStop();
}

void MainWindow::timerTick() {
    drainVariantQueue();
    const int accepted = pass_.acceptedCount();
    found_->setText(QString::number(accepted));
    if (accepted > 0 && minimised_)
        QApplication::alert(this);
    if (pass_.stopFlag() == 1) {
        // After a stop the worker leaves within one candidate; its last lines still count.
        pass_.wait();
        drainVariantQueue();
        timer_.stop();
        progress_->setValue(0);
        const std::time_t end = std::time(nullptr);
        time_->setText(QString::number(static_cast<long long>(end - passStart_)));
        command(fromFile)->setEnabled(true);
        command(fromClipboard)->setEnabled(true);
        recode_->setEnabled(true);
        stop_->setEnabled(false);
        passActive_ = false;
        if (settings_.refineRanking)
            applyRefinedOrder();
        if (accepted > 0 && minimised_) {
            setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
            show();
        }
        emit passFinished();
        return;
    }
    progress_->setValue(pass_.progress());
}

void MainWindow::checkForNewVersion() {
    // The check runs beside the window's work; one at a time.
    command(checkVersions)->setEnabled(false);
    update::startUpdateCheck(this, prompter_, settings_.language, {},
                             [this] { command(checkVersions)->setEnabled(true); });
}

// --- list commands ---

ListCommandState MainWindow::listCommandState() {
    ListCommandState state;
    state.sourceIsFile = sourceIsFile_;
    state.sourcePath = sourcePath_;
    state.clipboardCopy = clipboardCopy_;
    state.unicodeText = unicodeText_;
    state.sample = &sample_;
    state.wAsVe = settings_.wAsVe;
    state.noSj = settings_.noSj;
    state.separateEnglish = store::readSettings(store_).separateEnglish;
    state.variantList = list_;
    state.newFileCounter = &newFileCounter_;
    return state;
}

tools::PreviewCallbacks MainWindow::previewCallbacks() {
    tools::PreviewCallbacks callbacks;
    callbacks.putOnClipboard = [this](std::span<const std::uint8_t> bytes) {
        putOnClipboard(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    };
    callbacks.putTextOnClipboard = [this](const QString& shown) { putTextOnClipboard(shown); };
    callbacks.saveAsScheme = [this](QWidget* parent, const QString& actionText,
                                    const engine::FilterList& filters) {
        saveChainAsScheme(parent, actionText, filters);
    };
    return callbacks;
}

void MainWindow::runPreview(const tools::PreviewInputs& inputs, bool savableAsScheme) {
    tools::PreviewCallbacks callbacks = previewCallbacks();
    if (!savableAsScheme)
        callbacks.saveAsScheme = nullptr; // the preview's button is disabled
    tools::PreviewDialog::run(store_, prompter_, inputs, callbacks, this);
}

void MainWindow::runListCommand(ListCommand listCommand) {
    const int row = list_->currentRow();
    if (row < 0)
        return;
    const std::string line = listLine(row);
    std::optional<tools::PreviewInputs> inputs;
    if (isUnicodeLine(line)) {
        if (listCommand == ListCommand::saveAsScheme) {
            say(MainText::unicodeRepairNoScheme);
            return;
        }
        std::optional<UnicodeLineResult> result;
        {
            const chrome::WaitCursor wait;
            result = unicodeLineResult(line, listCommandState());
        }
        if (!result) {
            say(MainText::unicodeRepairMisfits);
            return;
        }
        // Text that came as Unicode goes to the clipboard as Unicode, every character kept.
        if (listCommand == ListCommand::toClipboard) {
            putTextOnClipboard(QString::fromStdString(result->utf8));
            return;
        }
        inputs = unicodePreviewInputs(listCommand, *result, listCommandState());
    } else {
        inputs = previewInputsFor(listCommand, line, listCommandState());
    }
    if (!inputs)
        return;
    // A repair through Unicode is no chain of filters a scheme could hold.
    runPreview(*inputs, !isUnicodeLine(line));
    // The preview can have saved a new scheme into the box.
    if (listCommand == ListCommand::viewResult || listCommand == ListCommand::saveAsScheme)
        updateSchemeButtons();
}

void MainWindow::viewSourceText() {
    runPreview(viewSourceInputs(listCommandState()));
}

void MainWindow::listSelectionChanged() {
    const int row = list_->currentRow();
    if (row < 0 || list_->selectedItems().isEmpty())
        return;
    const SelectionReaction reaction =
        selectionChanged(listLine(row), listCommandState(), settings_.showPreviewOnDoubleClick);
    setResultCommandsEnabled(reaction.enableCommands);
    if (reaction.titleTip) {
        // A refined line's tip says how sure the ranking is of it, too.
        const QString column =
            list_->item(row)->data(chrome::VariantListBox::kColumnRole).toString();
        const QString tip = bytesToShownText(*reaction.titleTip);
        list_->showTitleTip(
            column.isEmpty() ? tip : QLatin1Char('[') + column + QStringLiteral("]  ") + tip);
    }
}

void MainWindow::listRightClicked(const QPoint& point, const QPoint& onScreen) {
    QListWidgetItem* item = list_->itemAt(point);
    const bool onItem = item != nullptr && list_->visualItemRect(item).contains(point);
    const std::string line = onItem ? listLine(list_->row(item)) : std::string();
    const RightClickReaction reaction = rightClick(onItem, line);
    if (reaction.select)
        list_->setCurrentItem(item);
    if (reaction.enableCommands)
        setResultCommandsEnabled(*reaction.enableCommands);
    if (reaction.openMenu)
        // At the pointer as the event saw it: right after a window manager has restored the
        // window, the window's own idea of where it is can still be its old place.
        listMenu_->popup(onScreen);
}

void MainWindow::listDoubleClicked() {
    if (const std::optional<ListCommand> listCommand =
            doubleClickCommand(settings_.showPreviewOnDoubleClick))
        runListCommand(*listCommand);
}

void MainWindow::showAbout() {
    chrome::AboutDialog about(settings_.language, prompter_, this);
    about.exec();
}

// --- window ---

void MainWindow::changeEvent(QEvent* event) {
    // The base keeps the caption bar in step with activation, title, palette and font.
    CaptionedDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Restoring or maximising ends the caption flashing (the window manager drops the alert
    // when the window is shown).
    minimised_ = (windowState() & Qt::WindowMinimized) != 0;
}

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (centred_)
        return;
    centred_ = true;
    // The start-up messages come once the window is on screen, over it.
    if (!pendingMessages_.empty())
        QMetaObject::invokeMethod(this, &MainWindow::showPendingMessages, Qt::QueuedConnection);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void MainWindow::say(MainText message) {
    tell(text(message));
}

void MainWindow::tell(const QString& message) {
    if (deferMessages_) {
        pendingMessages_.push_back(message);
        return;
    }
    prompter_.message(this, text(MainText::caption), message);
}

void MainWindow::showPendingMessages() {
    std::vector<QString> messages;
    messages.swap(pendingMessages_);
    for (const QString& message : messages)
        prompter_.message(this, text(MainText::caption), message);
}

QString MainWindow::readFailedText(SourceKind kind, const SourceReadFailure& failure) const {
    return tools::fileFailureText(
        text(readFailedMessage(kind)), sourcePath_,
        tools::readFailureReason(failure.error, failure.reason, settings_.language),
        settings_.language);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shutDown(true);
    QDialog::done(QDialog::Rejected);
    event->accept();
}

void MainWindow::done(int result) {
    shutDown(true);
    QDialog::done(result);
}

void MainWindow::shutDown(bool tellSaveFailure) {
    if (shutDown_)
        return;
    shutDown_ = true;
    leaveClipboardViewer();
    watching_ = watchingOff;
    // Stop and join: the worker posts to this window, so it must be gone before the window.
    timer_.stop();
    pass_.requestStop();
    pass_.wait();
    queue_.clear();
    passActive_ = false;
    delete listMenu_;
    listMenu_ = nullptr;
    releaseSource();
    saveSettings(tellSaveFailure);
}

void MainWindow::saveSettings(bool tellFailure) {
    int code = 0;
    if (store_.flush(nullptr, &code) || !tellFailure || saveFailureTold_)
        return;
    saveFailureTold_ = true;
    prompter_.warning(
        this, text(MainText::caption),
        text(MainText::settingsNotSaved)
            .arg(QString::fromStdString(store_.location()), text(saveFailureReason(code))));
}

} // namespace vorlex::app
