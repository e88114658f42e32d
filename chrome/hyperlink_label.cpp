#include "chrome/hyperlink_label.h"

#include "chrome/link_opener.h"
#include "chrome/prompter.h"

#include <QApplication>
#include <QMouseEvent>

namespace vorlex::chrome {

QString linkFailureCaption() {
    return QStringLiteral("Vorlex II");
}

HyperlinkLabel::HyperlinkLabel(LinkOpener& opener, Prompter& prompter, QWidget* parent)
    : QLabel(parent), opener_(opener), prompter_(prompter) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::ArrowCursor);
    applyLook();
}

void HyperlinkLabel::setUrl(const QString& url) {
    url_ = url;
    setToolTip(url_);
    if (text().isEmpty())
        setText(url_);
}

QString HyperlinkLabel::url() const {
    return url_.isEmpty() ? text() : url_;
}

void HyperlinkLabel::setColours(const QColor& link, const QColor& visited) {
    link_ = link;
    visitedColour_ = visited;
    applyLook();
}

void HyperlinkLabel::setVisited(bool visited) {
    visited_ = visited;
    applyLook();
}

void HyperlinkLabel::setUnderline(bool underline) {
    underline_ = underline;
    applyLook();
}

void HyperlinkLabel::applyLook() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, currentColour());
    setPalette(colours);
    QFont shown = font();
    shown.setUnderline(underline_);
    setFont(shown);
    update();
}

void HyperlinkLabel::openLink() {
    const LinkOpenResult result = opener_.open(url());
    if (result.opened) {
        setVisited(true);
        emit opened();
        return;
    }
    QApplication::beep();
    prompter_.warning(window(), linkFailureCaption(), linkFailureText(result.error));
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        openLink();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace vorlex::chrome
