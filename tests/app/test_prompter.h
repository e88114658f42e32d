// A prompter that tests answer in advance: each expected message box or file dialog is queued
// with its answer; anything else is recorded as a failure.
#pragma once

#include "app/prompter.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

namespace vorlex::app::testing {

class QueuedPrompter final : public Prompter {
public:
    /// Expect a message box with exactly this text.
    void expectMessage(const QString& text) { queue_.push_back({Kind::message, text, {}, true}); }
    /// Expect an open-file dialog with this title; answer with @p path (nothing: cancel).
    void expectOpenFile(const QString& title, std::optional<QString> path) {
        queue_.push_back({Kind::openFile, title, path.value_or(QString()), !path.has_value()});
    }

    void message(QWidget*, const QString&, const QString& text) override {
        if (queue_.empty() || queue_.front().kind != Kind::message || queue_.front().text != text) {
            failures_.push_back(QStringLiteral("unexpected message: ") + text);
            return;
        }
        queue_.pop_front();
    }

    std::optional<QString> openFile(QWidget*, const QString& title) override {
        if (queue_.empty() || queue_.front().kind != Kind::openFile ||
            queue_.front().text != title) {
            failures_.push_back(QStringLiteral("unexpected file dialog: ") + title);
            return std::nullopt;
        }
        const Expected answer = queue_.front();
        queue_.pop_front();
        if (answer.cancel)
            return std::nullopt;
        return answer.answer;
    }

    /// Failures so far plus every expected prompt that never came; empty when all went right.
    [[nodiscard]] QStringList problems() const {
        QStringList all = failures_;
        for (const Expected& e : queue_)
            all.push_back(QStringLiteral("prompt never shown: ") + e.text);
        return all;
    }
    void clear() {
        queue_.clear();
        failures_.clear();
    }

private:
    enum class Kind { message, openFile };
    struct Expected {
        Kind kind;
        QString text;
        QString answer;
        bool cancel;
    };
    std::deque<Expected> queue_;
    QStringList failures_;
};

} // namespace vorlex::app::testing
