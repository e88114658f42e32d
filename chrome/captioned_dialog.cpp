#include "chrome/captioned_dialog.h"

#include "chrome/caption_bar.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <QWindowStateChangeEvent>

namespace vorlex::chrome {
namespace {

int screenDepth(const QWidget* parent) {
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 32;
}

} // namespace

CaptionedDialog::CaptionedDialog(CaptionVariant variant, QWidget* parent)
    : QDialog(parent), variant_(variant), body_(new QWidget(this)) {
    body_->setObjectName(QStringLiteral("body"));
    Qt::WindowFlags flags = windowFlags();
    switch (variant) {
    case CaptionVariant::main:
        flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
        break;
    case CaptionVariant::dialog:
        flags =
            Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        break;
    case CaptionVariant::tool:
        flags = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    }
    if (drawsOwnCaption(screenDepth(parent))) {
        // A tool window is a plain dialog here: its small caption is our own.
        if (variant == CaptionVariant::tool)
            flags = (flags & ~Qt::WindowType_Mask) | Qt::Dialog;
        flags |= Qt::FramelessWindowHint;
        bar_ = new CaptionBar(variant, this);
        body_->move(0, bar_->barHeight());
        // The bar's close box is the window's: close() sends the close event a window manager
        // would, so a window that refuses to be rejected still decides for itself.
        connect(bar_, &CaptionBar::closeClicked, this, &QWidget::close);
        connect(bar_, &CaptionBar::minimiseClicked, this, &QWidget::showMinimized);
    }
    setWindowFlags(flags);
}

void CaptionedDialog::setBodySize(QSize size) {
    const int top = bar_ ? bar_->barHeight() : 0;
    if (bar_)
        bar_->setWidth(size.width());
    body_->setGeometry(0, top, size.width(), size.height());
    setFixedSize(size.width(), size.height() + top);
}

void CaptionedDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        keepPlaceAfterRestore(static_cast<QWindowStateChangeEvent*>(event)->oldState());
    if (!bar_)
        return;
    switch (event->type()) {
    case QEvent::ActivationChange:
        bar_->setActive(isActiveWindow());
        break;
    case QEvent::WindowTitleChange:
    case QEvent::PaletteChange:
    case QEvent::FontChange:
        bar_->update();
        break;
    default:
        break;
    }
}

void CaptionedDialog::keepPlaceAfterRestore(Qt::WindowStates oldState) {
    // Some window managers (openbox) report a minimised window at the screen's corner, and
    // the report that it is back in place may never come. Qt then maps the window's points to
    // the wrong place on the screen and centres its dialogs over the corner. The widget still
    // knows where it was shown; saying so again puts the window where it already is and brings
    // the window manager's answer with the true place.
    QWindow* handle = windowHandle();
    if (!handle || !(oldState & Qt::WindowMinimized) || (windowState() & Qt::WindowMinimized))
        return;
    if (handle->position() != pos())
        handle->setPosition(pos());
}

} // namespace vorlex::chrome
