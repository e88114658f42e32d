// Every question the program puts to the user goes through this interface, so that tests can
// answer it; QtPrompter shows the real boxes.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace vorlex::app {

class Prompter {
public:
    virtual ~Prompter() = default;
    /// A plain message box with an OK button and no icon.
    virtual void message(QWidget* parent, const QString& caption, const QString& text) = 0;
    /// An open-file dialog; the chosen file's full path, or nothing when cancelled.
    virtual std::optional<QString> openFile(QWidget* parent, const QString& title) = 0;
};

/// QMessageBox and QFileDialog.
class QtPrompter final : public Prompter {
public:
    void message(QWidget* parent, const QString& caption, const QString& text) override;
    std::optional<QString> openFile(QWidget* parent, const QString& title) override;
};

} // namespace vorlex::app
