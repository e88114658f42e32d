// A prompter that tests answer in advance: each expected message box, question or picker is
// queued with its answer, in order; anything else is recorded as a failure.
#pragma once

#include "chrome/prompter.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <optional>

namespace vorlex::testing {

using chrome::Answer;
using chrome::QuestionIcon;

class QueuedPrompter final : public chrome::Prompter {
public:
    /// Expect a plain message box with exactly this text.
    void expectMessage(const QString& text) { push(Kind::message, text); }
    /// Expect a plain message box about a file: @p first exactly as its first line, a second
    /// line that ends with @p path, and a third line (the reason) that is not empty.
    void expectFileFailure(const QString& first, const QString& path) {
        Expected& e = push(Kind::message, first);
        e.match = Match::fileFailure;
        e.path = path;
    }
    /// Expect a question with @p first exactly as its first line and a reason below it.
    void expectQuestionWithReason(const QString& first, Answer answer) {
        Expected& e = push(Kind::question, first);
        e.match = Match::withReason;
        e.answer = answer;
    }
    /// Expect an exclamation box with exactly this text.
    void expectWarning(const QString& text) { push(Kind::warning, text); }
    /// Expect a question with exactly this text, answered with @p answer.
    void expectQuestion(const QString& text, Answer answer) {
        Expected& e = push(Kind::question, text);
        e.answer = answer;
    }
    /// Expect an open-file dialog with this title; answer with @p path (nothing: cancel).
    void expectOpenFile(const QString& title, std::optional<QString> path) {
        Expected& e = push(Kind::openFile, title);
        e.path = std::move(path);
    }
    /// Expect a multiple-selection open dialog with this title (nothing: cancel).
    void expectOpenFiles(const QString& title, std::optional<QStringList> paths) {
        Expected& e = push(Kind::openFiles, title);
        e.paths = std::move(paths);
    }
    /// Expect a Save-as dialog; answer with @p path (nothing: cancel). Its proposed name is
    /// kept in lastProposedPath(), its title in lastSaveTitle().
    void expectSaveFile(std::optional<QString> path) {
        Expected& e = push(Kind::saveFile, QString());
        e.path = std::move(path);
    }
    /// Expect a folder picker with this caption (nothing: cancel); its start folder is kept in
    /// lastStartFolder().
    void expectFolder(const QString& caption, std::optional<QString> folder) {
        Expected& e = push(Kind::folder, caption);
        e.path = std::move(folder);
    }
    /// Expect a font dialog (nothing: cancel); the font it started on is kept in
    /// lastInitialFont().
    void expectFont(std::optional<QFont> font) {
        Expected& e = push(Kind::font, QString());
        e.font = std::move(font);
    }

    void message(QWidget* parent, const QString& caption, const QString& text) override {
        lastCaption_ = caption;
        lastMessageParent_ = parent;
        lastMessageParentVisible_ = parent != nullptr && parent->isVisible();
        take(Kind::message, text);
    }
    void warning(QWidget*, const QString& caption, const QString& text) override {
        lastCaption_ = caption;
        take(Kind::warning, text);
    }
    Answer ask(QWidget*, const QString& caption, const QString& text, QuestionIcon icon,
               bool withCancel) override {
        lastCaption_ = caption;
        lastIcon_ = icon;
        lastWithCancel_ = withCancel;
        const std::optional<Expected> e = take(Kind::question, text);
        return e ? e->answer : Answer::no;
    }
    std::optional<QString> openFile(QWidget*, const QString& title) override {
        const std::optional<Expected> e = take(Kind::openFile, title);
        return e ? e->path : std::nullopt;
    }
    std::optional<QStringList> openFiles(QWidget*, const QString& title,
                                         const QString& filter) override {
        lastFilter_ = filter;
        const std::optional<Expected> e = take(Kind::openFiles, title);
        return e ? e->paths : std::nullopt;
    }
    std::optional<QString> saveFile(QWidget*, const QString& proposedPath,
                                    const QString& title) override {
        lastProposedPath_ = proposedPath;
        lastSaveTitle_ = title;
        const std::optional<Expected> e = take(Kind::saveFile, QString());
        return e ? e->path : std::nullopt;
    }
    std::optional<QString> chooseFolder(QWidget*, const QString& caption,
                                        const QString& startFolder) override {
        lastStartFolder_ = startFolder;
        const std::optional<Expected> e = take(Kind::folder, caption);
        return e ? e->path : std::nullopt;
    }
    std::optional<QFont> chooseFont(QWidget*, const QFont& initial) override {
        lastInitialFont_ = initial;
        const std::optional<Expected> e = take(Kind::font, QString());
        return e ? e->font : std::nullopt;
    }

    /// Failures so far plus every expected prompt that never came; empty when all went right.
    [[nodiscard]] QStringList problems() const {
        QStringList all = failures_;
        for (const Expected& e : queue_)
            all.push_back(
                QStringLiteral("prompt never shown: %1 %2").arg(kindName(e.kind), e.text));
        return all;
    }
    void clear() {
        queue_.clear();
        failures_.clear();
    }
    [[nodiscard]] bool idle() const noexcept { return queue_.empty(); }

    [[nodiscard]] const QString& lastCaption() const noexcept { return lastCaption_; }
    [[nodiscard]] QuestionIcon lastIcon() const noexcept { return lastIcon_; }
    [[nodiscard]] bool lastWithCancel() const noexcept { return lastWithCancel_; }
    [[nodiscard]] const QString& lastFilter() const noexcept { return lastFilter_; }
    [[nodiscard]] const QString& lastProposedPath() const noexcept { return lastProposedPath_; }
    [[nodiscard]] const QString& lastSaveTitle() const noexcept { return lastSaveTitle_; }
    /// The owner of the last plain message box, and whether it was on screen at that moment.
    [[nodiscard]] const QWidget* lastMessageParent() const noexcept { return lastMessageParent_; }
    [[nodiscard]] bool lastMessageParentVisible() const noexcept {
        return lastMessageParentVisible_;
    }
    [[nodiscard]] const QString& lastStartFolder() const noexcept { return lastStartFolder_; }
    [[nodiscard]] const QFont& lastInitialFont() const noexcept { return lastInitialFont_; }

private:
    enum class Kind { message, warning, question, openFile, openFiles, saveFile, folder, font };
    enum class Match { exact, fileFailure, withReason };
    struct Expected {
        Kind kind = Kind::message;
        Match match = Match::exact;
        QString text;
        Answer answer = Answer::no;
        std::optional<QString> path;
        std::optional<QStringList> paths;
        std::optional<QFont> font;
    };
    static QString kindName(Kind kind) {
        static const char* const names[] = {"message",    "warning",   "question", "open file",
                                            "open files", "save file", "folder",   "font"};
        return QString::fromLatin1(names[static_cast<int>(kind)]);
    }
    Expected& push(Kind kind, const QString& text) {
        Expected& e = queue_.emplace_back();
        e.kind = kind;
        e.text = text;
        return e;
    }
    static bool matches(const Expected& e, const QString& text) {
        const QStringList lines = text.split(QLatin1Char('\n'));
        switch (e.match) {
        case Match::exact:
            return text == e.text;
        case Match::fileFailure:
            return lines.size() == 3 && lines[0] == e.text && e.path &&
                   lines[1].endsWith(*e.path) && lines[1].size() > e.path->size() &&
                   !lines[2].trimmed().isEmpty();
        case Match::withReason:
            return lines.size() == 2 && lines[0] == e.text && !lines[1].trimmed().isEmpty();
        }
        return false;
    }
    std::optional<Expected> take(Kind kind, const QString& text) {
        if (queue_.empty() || queue_.front().kind != kind || !matches(queue_.front(), text)) {
            failures_.push_back(QStringLiteral("unexpected %1: %2").arg(kindName(kind), text));
            return std::nullopt;
        }
        Expected e = queue_.front();
        queue_.pop_front();
        return e;
    }

    std::deque<Expected> queue_;
    QStringList failures_;
    QString lastCaption_;
    QuestionIcon lastIcon_ = QuestionIcon::question;
    bool lastWithCancel_ = false;
    QString lastFilter_;
    QString lastProposedPath_;
    QString lastSaveTitle_;
    const QWidget* lastMessageParent_ = nullptr;
    bool lastMessageParentVisible_ = false;
    QString lastStartFolder_;
    QFont lastInitialFont_;
};

} // namespace vorlex::testing
