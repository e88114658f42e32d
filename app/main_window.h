// The main dialog: toolbar, variant list, scheme box and the lower panel; the sources (file,
// dropped file, clipboard), the Recode command and the automatic-recoding pass.
#pragma once

#include "app/list_commands.h"
#include "app/main_window_logic.h"
#include "app/main_window_texts.h"
#include "app/source_text.h"
#include "app/variant_queue.h"
#include "chrome/captioned_dialog.h"
#include "detect/dictionary.h"
#include "detect/pass.h"
#include "detect/sample.h"
#include "engine/filters.h"
#include "store/scheme_editing.h"
#include "store/scheme_list.h"
#include "store/settings.h"
#include "store/settings_store.h"

#include <QString>
#include <QTimer>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolBar;

namespace vorlex::chrome {
class VariantListBox;
}

namespace vorlex::chrome {
class Prompter;
}

namespace vorlex::app {

using chrome::Prompter;

class MainWindow final : public chrome::CaptionedDialog {
    Q_OBJECT
public:
    /// The controls; each one's object name is its name here (see objectNameOf()).
    enum Control {
        recodeButton,
        timeField,
        stopButton,
        variantList,
        progressBar,
        foundField,
        limitEdit,
        schemeBox,
        headingField,
        timeLabel,
        secondsLabel,
        foundLabel,
        foundUnitLabel,
        limitLabel,
        limitUnitLabel,
        editSchemeButton,
        newSchemeButton,
        deleteSchemeButton,
        exitButton,
        defaultButton,
        statusLine,
    };
    /// Toolbar commands; each action's object name is its name here (see objectNameOf()).
    enum Command {
        fromFile = 32778,
        fromClipboard = 32779,
        batchConvert = 32780,
        toFile = 32781,
        toClipboard = 32782,
        viewSource = 32783,
        saveAsScheme = 32784,
        settings = 32785,
        about = 32786,
        viewResult = 32787,
        checkVersions = 32790,
    };
    /// The object name of @p control, for tests and style sheets: "variantList" and the like.
    [[nodiscard]] static QString objectNameOf(Control control);
    [[nodiscard]] static QString objectNameOf(Command command);

    /// Clipboard watching values.
    enum Watching { watchingOff = 0, watchingOn = 1, watchingOwnWrite = 2 };

    /// Runs the whole start-up; @p commandLineFile becomes the first source.
    MainWindow(store::SettingsStore& store, Prompter& prompter,
               const std::optional<QString>& commandLineFile, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Commands.
    void recode();
    void stopPass();
    void loadFromFile();
    void loadFromClipboard();
    void loadDroppedFile(const QString& path);
    void applyInterfaceTexts();
    /// Puts 8-bit text on the clipboard as Windows-1251 without reloading it as a source.
    void putOnClipboard(std::string_view bytes);
    /// Puts Unicode text on the clipboard without reloading it as a source.
    void putTextOnClipboard(const QString& text);
    /// Asks the update server whether a newer version exists.
    void checkForNewVersion();
    /// A command on the selected variant line (toolbar, popup menu or double-click).
    void runListCommand(ListCommand command);
    void viewSourceText();
    void showAbout();
    /// Settings: runs the settings dialog and applies what it stored.
    void openSettings();
    /// New scheme (create) and Edit scheme (edit): the scheme editor, then the box is refilled.
    void editScheme(store::EditorMode mode);
    void deleteScheme();

    // State, for the commands of the list and for tests.
    [[nodiscard]] store::Language language() const noexcept { return settings_.language; }
    [[nodiscard]] const store::Settings& settingsInUse() const noexcept { return settings_; }
    [[nodiscard]] int clipboardWatching() const noexcept { return watching_; }
    [[nodiscard]] int maximumVariants() const noexcept { return maximumVariants_; }
    [[nodiscard]] bool passRunning() const noexcept { return passActive_; }
    [[nodiscard]] const store::SchemeList& schemeList() const noexcept { return schemeList_; }
    [[nodiscard]] bool isMinimisedState() const noexcept { return minimised_; }
    [[nodiscard]] bool sourceIsFile() const noexcept { return sourceIsFile_; }
    [[nodiscard]] const QString& sourcePath() const noexcept { return sourcePath_; }
    [[nodiscard]] const detect::Sample& sample() const noexcept { return sample_; }
    [[nodiscard]] QAction* command(Command id) const;
    [[nodiscard]] QMenu* listMenu() const noexcept { return listMenu_; }
    /// The raw Windows-1251 line of list item @p row.
    [[nodiscard]] std::string listLine(int row) const;
    /// The status line under the panel: what the last output did ("Copied 12 characters").
    [[nodiscard]] QString statusText() const;

    void done(int result) override;
    /// Escape never closes the window.
    void reject() override {}

signals:
    /// The timer noticed the end of a pass and the window is idle again.
    void passFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    /// The window opens centred on the screen.
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    void buildToolbar();
    void connectControls();
    /// Refills the scheme list from a catalogue scan.
    void fillSchemeList();
    /// Shows the scheme list in the scheme box.
    void showSchemeList();
    void restoreLastScheme();
    void updateSchemeButtons();
    void applyListFont();
    void setResultCommandsEnabled(bool enabled);
    void resetSourceFields();
    void setLimitField(int value);
    void showPlaceholder();
    void addListLine(const std::string& line);
    void insertListLine(int row, const std::string& line);

    void loadSource(SourceKind kind, const QString& path);
    bool analyseSource();
    void releaseSource();

    void startPass();
    void timerTick();
    void limitChanged(const QString& text);
    void schemeChosen(int index);
    void clipboardChanged();
    void clipboardChangeQueued();
    [[nodiscard]] bool isOwnClipboardText() const;
    /// Applies the list operations the worker has queued, in order.
    void drainVariantQueue();
    void listSelectionChanged();
    void listRightClicked(const QPoint& point, const QPoint& onScreen);
    void listDoubleClicked();
    [[nodiscard]] ListCommandState listCommandState();
    [[nodiscard]] tools::PreviewCallbacks previewCallbacks();
    void runPreview(const tools::PreviewInputs& inputs, bool savableAsScheme = true);
    void saveChainAsScheme(QWidget* parent, const QString& actionText,
                           const engine::FilterList& filters);
    void joinClipboardViewer();
    void leaveClipboardViewer();
    /// Replaces the list with the refined ranking of the pass that just ended.
    void applyRefinedOrder();
    /// Ends the pass and clipboard watching and saves the settings; a failed save is told when
    /// @p tellSaveFailure is set (not from the destructor).
    void shutDown(bool tellSaveFailure);
    /// Saves the settings; tells the first failure of the window's life.
    void saveSettings(bool tellFailure);
    void say(MainText text);
    /// A plain message box over the window; while the command-line file loads in the
    /// constructor it waits until the window is on screen.
    void tell(const QString& message);
    void showPendingMessages();
    /// The message of a file source that could not be read: its text, the file and the reason.
    [[nodiscard]] QString readFailedText(SourceKind kind, const SourceReadFailure& failure) const;
    [[nodiscard]] QString text(MainText id) const { return mainText(id, settings_.language); }

    store::SettingsStore& store_;
    Prompter& prompter_;
    store::Settings settings_;
    store::SchemeList schemeList_;
    detect::Dictionary dictionary_;

    // Controls.
    QToolBar* toolbar_ = nullptr;
    std::map<int, QAction*> commands_;
    chrome::VariantListBox* list_ = nullptr;
    QLabel* heading_ = nullptr;
    QPushButton* recode_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* newScheme_ = nullptr;
    QPushButton* editScheme_ = nullptr;
    QComboBox* schemes_ = nullptr;
    QPushButton* deleteScheme_ = nullptr;
    QLabel* foundLabel_ = nullptr;
    QLabel* found_ = nullptr;
    QLabel* foundUnit_ = nullptr;
    QPushButton* exit_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QLabel* time_ = nullptr;
    QLabel* seconds_ = nullptr;
    QLabel* limitLabel_ = nullptr;
    QLineEdit* limit_ = nullptr;
    QLabel* limitUnit_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QGroupBox* panel_ = nullptr;
    QLabel* status_ = nullptr;
    QMenu* listMenu_ = nullptr;

    // Source state.
    bool sourceIsFile_ = false;
    QString sourcePath_;
    /// Shared with a preview, so loading a new source never frees a document it still reads.
    /// Also the 8-bit form of a file that arrived as Unicode.
    std::shared_ptr<const std::string> clipboardCopy_;
    /// The source as it arrived (UTF-8) when it arrived as Unicode; null otherwise.
    std::shared_ptr<const std::string> unicodeText_;
    int newFileCounter_ = 0; ///< in the proposed names of files made from the clipboard
    detect::Sample sample_;

    int maximumVariants_ = detect::kDefaultVariants;
    bool settingLimit_ = false;
    bool showingSchemes_ = false;
    bool loading_ = false; ///< a source is being loaded (message boxes run their own loop)
    int watching_ = watchingOff;
    bool viewerJoined_ = false;
    std::optional<QString> ownClipboardText_;
    bool minimised_ = false;
    bool centred_ = false;
    /// Messages of the start-up load, shown once the window is (see tell()).
    bool deferMessages_ = false;
    std::vector<QString> pendingMessages_;
    SourceReadFailure lastReadFailure_;

    // The pass. The queue outlives the pass, which joins its worker when destroyed.
    VariantQueue queue_;
    detect::RecodingPass pass_;
    std::vector<engine::FilterList> passStoredChains_; ///< for the refined ranking
    bool passActive_ = false;
    std::time_t passStart_ = 0;
    QTimer timer_;
    bool shutDown_ = false;
    bool saveFailureTold_ = false;
};

} // namespace vorlex::app
