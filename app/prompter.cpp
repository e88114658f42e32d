#include "app/prompter.h"

#include <QFileDialog>
#include <QMessageBox>

namespace vorlex::app {

void QtPrompter::message(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> QtPrompter::openFile(QWidget* parent, const QString& title) {
    // No filter, no initial name, no default extension; the read-only box does not exist here.
    const QString path = QFileDialog::getOpenFileName(parent, title);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace vorlex::app
