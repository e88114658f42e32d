// Every question the program puts to the user goes through this interface, so that tests can
// answer it; QtPrompter shows the real boxes and pickers.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace vorlex::chrome {

/// The icon of a Yes/No question.
enum class QuestionIcon { question, stop };

/// The button a question was answered with.
enum class Answer { yes, no, cancel };

class Prompter {
public:
    virtual ~Prompter() = default;
    /// A plain message box with an OK button and no icon.
    virtual void message(QWidget* parent, const QString& caption, const QString& text) = 0;
    /// A message box with an OK button and the exclamation icon (network and link failures).
    virtual void warning(QWidget* parent, const QString& caption, const QString& text) = 0;
    /// A Yes/No question (Yes/No/Cancel with @p withCancel), No being the default button.
    /// Closing the box counts as No, or as Cancel when there is one.
    virtual Answer ask(QWidget* parent, const QString& caption, const QString& text,
                       QuestionIcon icon, bool withCancel = false) = 0;
    /// An open-file dialog; the chosen file's full path, or nothing when cancelled.
    virtual std::optional<QString> openFile(QWidget* parent, const QString& title) = 0;
    /// An open-file dialog with multiple selection and a filter in the form
    /// "Text Files (*.txt *.eml);;All Files (*)"; nothing when cancelled.
    virtual std::optional<QStringList> openFiles(QWidget* parent, const QString& title,
                                                 const QString& filter) = 0;
    /// A Save-as dialog titled @p title proposing @p proposedPath, asking before overwriting;
    /// nothing when cancelled.
    virtual std::optional<QString> saveFile(QWidget* parent, const QString& proposedPath,
                                            const QString& title) = 0;
    /// A folder picker with @p caption that starts in @p startFolder; nothing when cancelled.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& caption,
                                                const QString& startFolder) = 0;
    /// A font dialog starting on @p initial; nothing when cancelled.
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) = 0;
};

/// QMessageBox, QFileDialog and QFontDialog.
class QtPrompter final : public Prompter {
public:
    void message(QWidget* parent, const QString& caption, const QString& text) override;
    void warning(QWidget* parent, const QString& caption, const QString& text) override;
    Answer ask(QWidget* parent, const QString& caption, const QString& text, QuestionIcon icon,
               bool withCancel) override;
    std::optional<QString> openFile(QWidget* parent, const QString& title) override;
    std::optional<QStringList> openFiles(QWidget* parent, const QString& title,
                                         const QString& filter) override;
    std::optional<QString> saveFile(QWidget* parent, const QString& proposedPath,
                                    const QString& title) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& caption,
                                        const QString& startFolder) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
};

} // namespace vorlex::chrome
