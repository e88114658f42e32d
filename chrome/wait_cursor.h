// The wait cursor for the length of a scope, restored however the scope ends. Without a GUI
// application (a console test) it does nothing.
#pragma once

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace vorlex::chrome {

class WaitCursor {
public:
    WaitCursor() : shown_(hasGui()) {
        if (shown_)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor() {
        if (shown_)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    /// The ordinary pointer while a question is on the screen, under a WaitCursor.
    class Lifted {
    public:
        Lifted() : shown_(hasGui()) {
            if (shown_)
                QGuiApplication::restoreOverrideCursor();
        }
        ~Lifted() {
            if (shown_)
                QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        }
        Lifted(const Lifted&) = delete;
        Lifted& operator=(const Lifted&) = delete;

    private:
        bool shown_;
    };

private:
    static bool hasGui() {
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    }
    bool shown_;
};

} // namespace vorlex::chrome
