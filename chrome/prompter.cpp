#include "chrome/prompter.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace vorlex::chrome {

void QtPrompter::message(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void QtPrompter::warning(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

Answer QtPrompter::ask(QWidget* parent, const QString& caption, const QString& text,
                       QuestionIcon icon, bool withCancel) {
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    QMessageBox box(icon == QuestionIcon::stop ? QMessageBox::Critical : QMessageBox::Question,
                    caption, text, buttons, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::yes;
    case QMessageBox::Cancel:
        return Answer::cancel;
    default:
        return Answer::no;
    }
}

std::optional<QString> QtPrompter::openFile(QWidget* parent, const QString& title) {
    // No filter, no initial name, no default extension; the read-only box does not exist here.
    const QString path = QFileDialog::getOpenFileName(parent, title);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QStringList> QtPrompter::openFiles(QWidget* parent, const QString& title,
                                                 const QString& filter) {
    const QStringList paths = QFileDialog::getOpenFileNames(parent, title, QString(), filter);
    if (paths.isEmpty())
        return std::nullopt;
    return paths;
}

std::optional<QString> QtPrompter::saveFile(QWidget* parent, const QString& proposedPath,
                                            const QString& title) {
    // The dialog itself asks before an existing file is overwritten.
    const QString path = QFileDialog::getSaveFileName(parent, title, proposedPath);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtPrompter::chooseFolder(QWidget* parent, const QString& caption,
                                                const QString& startFolder) {
    const QString path = QFileDialog::getExistingDirectory(parent, caption, startFolder);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QFont> QtPrompter::chooseFont(QWidget* parent, const QFont& initial) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok)
        return std::nullopt;
    return font;
}

} // namespace vorlex::chrome
