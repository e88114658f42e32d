// The About box: the program's name and version, and links to the program's and the company's
// home pages, in a small tool window.
#pragma once

#include "chrome/captioned_dialog.h"
#include "store/language.h"

#include <memory>

class QLineEdit;
class QPushButton;

namespace vorlex::chrome {

class HyperlinkLabel;
class LinkOpener;
class Prompter;

class AboutDialog final : public CaptionedDialog {
    Q_OBJECT
public:
    /// The box in @p language ; links open in the user's browser and
    /// their failures are told through @p prompter, which must outlive the box.
    AboutDialog(store::Language language, Prompter& prompter, QWidget* parent = nullptr);
    /// The same with links opened through @p opener, which must outlive the box.
    AboutDialog(store::Language language, Prompter& prompter, LinkOpener& opener,
                QWidget* parent = nullptr);
    ~AboutDialog() override;

    [[nodiscard]] HyperlinkLabel* productLink() const noexcept { return productLink_; }
    [[nodiscard]] HyperlinkLabel* companyLink() const noexcept { return companyLink_; }
    [[nodiscard]] QLineEdit* versionField() const noexcept { return version_; }
    [[nodiscard]] QPushButton* closeButton() const noexcept { return close_; }

    /// Sets the caption and the button in @p language.
    void applyTexts(store::Language language);

private:
    void build(Prompter& prompter, LinkOpener& opener);

    std::unique_ptr<LinkOpener> ownOpener_;
    HyperlinkLabel* productLink_ = nullptr;
    HyperlinkLabel* companyLink_ = nullptr;
    QLineEdit* version_ = nullptr;
    QPushButton* close_ = nullptr;
};

} // namespace vorlex::chrome
