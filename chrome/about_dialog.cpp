#include "chrome/about_dialog.h"

#include "chrome/about_dialog_texts.h"
#include "chrome/dialog_units.h"
#include "chrome/hyperlink_label.h"
#include "chrome/link_opener.h"

#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace vorlex::chrome {
namespace {

QLabel* makeIcon(QWidget* parent, const QRect& box, const QString& resource) {
    auto* label = new QLabel(parent);
    label->setGeometry(box);
    // An icon control shows the icon at its top-left corner in its own size.
    const int side = std::min({box.width(), box.height(), 32});
    label->setPixmap(QIcon(resource).pixmap(side, side));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

AboutDialog::AboutDialog(store::Language language, Prompter& prompter, QWidget* parent)
    : CaptionedDialog(CaptionVariant::tool, parent),
      ownOpener_(std::make_unique<SystemLinkOpener>()) {
    build(prompter, *ownOpener_);
    applyTexts(language);
}

AboutDialog::AboutDialog(store::Language language, Prompter& prompter, LinkOpener& opener,
                         QWidget* parent)
    : CaptionedDialog(CaptionVariant::tool, parent) {
    build(prompter, opener);
    applyTexts(language);
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::build(Prompter& prompter, LinkOpener& opener) {
    setObjectName(QStringLiteral("aboutDialog"));
    setModal(true);
    setFont(dialogFont());
    const DialogUnits du(dialogFont());
    setBodySize(QSize(du.x(186), du.y(95)));

    auto* companyFrame = new QGroupBox(body());
    companyFrame->setGeometry(du.rect(2, 0, 181, 25));
    makeIcon(body(), du.rect(2, 4, 21, 20), QStringLiteral(":/res/vorlex_logo_blue.svg"));

    companyLink_ = new HyperlinkLabel(opener, prompter, body());
    companyLink_->setObjectName(QStringLiteral("companyLink"));
    companyLink_->setGeometry(du.rect(25, 6, 136, 15));
    companyLink_->setAlignment(Qt::AlignCenter);
    companyLink_->setText(aboutText(AboutText::companyNotice, store::Language::english));
    companyLink_->setUrl(companyHomePage());
    companyLink_->setColours(QColor(20, 20, 50), QColor(40, 40, 100));
    companyLink_->setUnderline(true);
    companyLink_->setLinkCursor(Qt::PointingHandCursor);

    auto* productFrame = new QGroupBox(body());
    productFrame->setGeometry(du.rect(2, 27, 181, 44));
    makeIcon(body(), du.rect(3, 41, 21, 20), QStringLiteral(":/res/vorlex_logo.svg"));

    auto* name = new QLabel(aboutText(AboutText::productName, store::Language::english), body());
    name->setGeometry(du.rect(25, 42, 136, 8));
    name->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    version_ = new QLineEdit(body());
    version_->setObjectName(QStringLiteral("versionField"));
    version_->setGeometry(du.rect(25, 53, 136, 12));
    version_->setReadOnly(true);
    version_->setAlignment(Qt::AlignCenter);
    version_->setText(aboutText(AboutText::version, store::Language::english));

    productLink_ = new HyperlinkLabel(opener, prompter, body());
    productLink_->setObjectName(QStringLiteral("productLink"));
    productLink_->setGeometry(du.rect(14, 77, 110, 14));
    productLink_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    productLink_->setText(aboutText(AboutText::productLink, store::Language::english));
    productLink_->setUrl(programHomePage());
    productLink_->setColours(productLink_->linkColour(), QColor(255, 0, 0));
    productLink_->setUnderline(true);
    productLink_->setLinkCursor(Qt::PointingHandCursor);

    close_ = new QPushButton(body());
    close_->setObjectName(QStringLiteral("closeButton"));
    close_->setGeometry(du.rect(140, 77, 43, 14));
    close_->setDefault(true);
    close_->setAutoDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    close_->setFocus();
}

void AboutDialog::applyTexts(store::Language language) {
    setWindowTitle(aboutText(AboutText::caption, language));
    close_->setText(aboutText(AboutText::closeButton, language));
}

} // namespace vorlex::chrome
