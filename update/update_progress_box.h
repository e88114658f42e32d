// The small box that shows while the update check waits: what is asked, a busy bar and Cancel.
// It is not modal: the window under it keeps working.
#pragma once

#include "chrome/captioned_dialog.h"
#include "store/language.h"

#include <QString>

class QPushButton;

namespace vorlex::update {

class UpdateProgressBox final : public chrome::CaptionedDialog {
    Q_OBJECT
public:
    /// A box for a check of @p address, its texts in @p language. Cancel, Escape and the close
    /// box reject it.
    UpdateProgressBox(store::Language language, const QString& address, QWidget* parent = nullptr);

    [[nodiscard]] QPushButton* cancelButton() const noexcept { return cancel_; }

private:
    QPushButton* cancel_ = nullptr;
};

} // namespace vorlex::update
