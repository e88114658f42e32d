#include "update/update_check.h"

#include "chrome/prompter.h"
#include "engine/cp1251.h"
#include "update/update_progress_box.h"
#include "update/update_texts.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QStringDecoder>
#include <QWidget>
#include <memory>

namespace vorlex::update {
namespace {

UpdateOutcome outcomeOf(UpdateOutcome::Kind kind, int status = 0) {
    UpdateOutcome outcome;
    outcome.kind = kind;
    outcome.status = status;
    return outcome;
}

UpdateOutcome outcomeOf(const UpdateAnswer& answer) {
    switch (answer.kind) {
    case UpdateAnswer::Kind::accessDenied:
        return outcomeOf(UpdateOutcome::Kind::accessDenied, answer.status);
    case UpdateAnswer::Kind::redirectWithoutLocation:
        return outcomeOf(UpdateOutcome::Kind::redirectWithoutLocation, answer.status);
    case UpdateAnswer::Kind::redirectUnparsable:
        return outcomeOf(UpdateOutcome::Kind::redirectUnparsable, answer.status);
    case UpdateAnswer::Kind::redirectNotHttp:
        return outcomeOf(UpdateOutcome::Kind::redirectNotHttp, answer.status);
    case UpdateAnswer::Kind::noNewVersion:
        return outcomeOf(UpdateOutcome::Kind::noNewVersion, answer.status);
    case UpdateAnswer::Kind::newVersion: {
        UpdateOutcome outcome = outcomeOf(UpdateOutcome::Kind::newVersion, answer.status);
        outcome.news = newsText(answer.news);
        return outcome;
    }
    case UpdateAnswer::Kind::redirect: // a second redirect is not followed
    case UpdateAnswer::Kind::serverError:
        break;
    }
    return outcomeOf(UpdateOutcome::Kind::serverError, answer.status);
}

UpdateOutcome networkError(const FetchResult& result, const FetchLimits& limits) {
    UpdateOutcome outcome = outcomeOf(UpdateOutcome::Kind::networkError);
    outcome.errorText = result.error;
    outcome.failure = result.failure;
    if (result.failure == FetchFailure::noAnswer)
        outcome.limit = limits.idle;
    else if (result.failure == FetchFailure::tooSlow)
        outcome.limit = limits.total;
    return outcome;
}

// Addresses in messages are cut here: a URL from the environment or a server may be any length.
constexpr qsizetype kMaxAddressShown = 300;

// A redirect's target as the user should read it: its first line, cut to a sane length.
QString locationText(const std::optional<std::string>& location) {
    if (!location)
        return {};
    QString text = QString::fromLatin1(*location).section(QLatin1Char('\n'), 0, 0);
    if (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text.left(kMaxAddressShown);
}

QString seconds(std::chrono::milliseconds limit) {
    return QString::number(static_cast<double>(limit.count()) / 1000.0, 'g', 4);
}

// The failure's first line, then the address and the reason in the interface language.
QString failureText(const QString& first, const UpdateOutcome& outcome, store::Language language) {
    QString text = first;
    if (!outcome.address.isEmpty())
        text += QLatin1Char('\n') + updateText(UpdateText::address, language) + outcome.address;
    switch (outcome.failure) {
    case FetchFailure::refused:
        text += QLatin1Char('\n') + updateText(UpdateText::refused, language);
        break;
    case FetchFailure::hostNotFound:
        text += QLatin1Char('\n') + updateText(UpdateText::hostNotFound, language);
        break;
    case FetchFailure::noAnswer:
        text += QLatin1Char('\n') +
                updateText(UpdateText::noAnswer, language).arg(seconds(outcome.limit));
        break;
    case FetchFailure::tooSlow:
        text += QLatin1Char('\n') +
                updateText(UpdateText::tooSlow, language).arg(seconds(outcome.limit));
        break;
    case FetchFailure::none:
    case FetchFailure::other:
        break;
    }
    return text;
}

} // namespace

QString updateUrl() {
    const QString fromEnvironment = qEnvironmentVariable("VORLEX_UPDATE_URL");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QString::fromLatin1(kDefaultUpdateUrl.data(),
                               static_cast<qsizetype>(kDefaultUpdateUrl.size()));
}

QString newsText(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromStdString(engine::win1251ToUtf8(std::string_view(bytes)));
}

UpdateCheck::UpdateCheck(QObject* parent) : QObject(parent) {}

UpdateCheck::~UpdateCheck() = default;

void UpdateCheck::start(const QString& url, const FetchLimits& limits) {
    fetch_.reset();
    ++generation_;
    running_ = true;
    url_ = url;
    redirectAddress_.clear();
    limits_ = limits;
    const UrlSplit split = splitUrl(url.toStdString());
    if (split.kind != UrlSplit::Kind::http) {
        QMetaObject::invokeMethod(
            this,
            [this, generation = generation_] {
                if (generation != generation_ || !running_)
                    return;
                UpdateOutcome outcome = outcomeOf(UpdateOutcome::Kind::badUrl);
                outcome.address = url_.left(kMaxAddressShown);
                finish(std::move(outcome));
            },
            Qt::QueuedConnection);
        return;
    }
    // Each check its own connections, as nothing persists between checks.
    manager_.reset(newUpdateNetworkManager());
    fetch_ = std::make_unique<Fetch>(*manager_, split.url, limits_,
                                     [this](const FetchResult& result) { firstAnswered(result); });
}

void UpdateCheck::cancel() {
    if (!running_)
        return;
    fetch_.reset();
    finish(outcomeOf(UpdateOutcome::Kind::cancelled));
}

void UpdateCheck::firstAnswered(const FetchResult& result) {
    if (!result.answered) {
        UpdateOutcome outcome = networkError(result, limits_);
        outcome.address = url_.left(kMaxAddressShown);
        finish(std::move(outcome));
        return;
    }
    const UpdateAnswer answer =
        decideUpdateAnswer(result.status, result.location, result.body, Exchange::first);
    if (answer.kind != UpdateAnswer::Kind::redirect) {
        UpdateOutcome outcome = outcomeOf(answer);
        const bool toTarget = answer.kind == UpdateAnswer::Kind::redirectUnparsable ||
                              answer.kind == UpdateAnswer::Kind::redirectNotHttp;
        outcome.address = toTarget ? locationText(result.location) : url_.left(kMaxAddressShown);
        finish(std::move(outcome));
        return;
    }
    redirectAddress_ = locationText(result.location);
    // The first exchange is over: this replaces (and ends) its Fetch.
    fetch_ = std::make_unique<Fetch>(*manager_, answer.redirectTo, limits_,
                                     [this](const FetchResult& second) { secondAnswered(second); });
}

void UpdateCheck::secondAnswered(const FetchResult& result) {
    UpdateOutcome outcome =
        result.answered ? outcomeOf(decideUpdateAnswer(result.status, result.location, result.body,
                                                       Exchange::afterRedirect))
                        : networkError(result, limits_);
    outcome.address = redirectAddress_;
    finish(std::move(outcome));
}

void UpdateCheck::finish(UpdateOutcome outcome) {
    // Called from a Fetch's answer, which allows its Fetch to go here.
    fetch_.reset();
    running_ = false;
    emit finished(outcome);
}

void showUpdateOutcome(QWidget* parent, chrome::Prompter& prompter, store::Language language,
                       const UpdateOutcome& outcome) {
    const QString caption = QCoreApplication::applicationName();
    const auto warn = [&](const QString& first) {
        prompter.warning(parent, caption, failureText(first, outcome, language));
    };
    const auto fail = [&](UpdateText id) { warn(updateText(id, store::Language::english)); };
    switch (outcome.kind) {
    case UpdateOutcome::Kind::badUrl:
        fail(UpdateText::badUrl);
        return;
    case UpdateOutcome::Kind::accessDenied:
        fail(UpdateText::accessDenied);
        return;
    case UpdateOutcome::Kind::redirectWithoutLocation:
        fail(UpdateText::redirectWithoutLocation);
        return;
    case UpdateOutcome::Kind::redirectUnparsable:
        fail(UpdateText::redirectUnparsable);
        return;
    case UpdateOutcome::Kind::redirectNotHttp:
        fail(UpdateText::redirectNotHttp);
        return;
    case UpdateOutcome::Kind::serverError:
        warn(updateText(UpdateText::serverError, store::Language::english) +
             QString::number(outcome.status));
        return;
    case UpdateOutcome::Kind::networkError:
        warn(outcome.errorText);
        return;
    case UpdateOutcome::Kind::noNewVersion:
        prompter.message(parent, caption, updateText(UpdateText::noNewVersion, language));
        return;
    case UpdateOutcome::Kind::newVersion:
        if (prompter.ask(parent, caption, updateText(UpdateText::newVersionFound, language),
                         chrome::QuestionIcon::question) == chrome::Answer::yes)
            prompter.message(parent, caption, outcome.news);
        return;
    case UpdateOutcome::Kind::cancelled:
        return;
    }
}

UpdateCheck* startUpdateCheck(QWidget* parent, chrome::Prompter& prompter, store::Language language,
                              const UpdateCheckOptions& options, std::function<void()> ended) {
    auto* check = new UpdateCheck(parent);
    auto* box = new UpdateProgressBox(language, options.url, parent);
    QObject::connect(box, &QDialog::rejected, check, &UpdateCheck::cancel);
    QObject::connect(check, &UpdateCheck::finished, check,
                     [parent, &prompter, language, check, box,
                      ended = std::move(ended)](const UpdateOutcome& outcome) {
                         QObject::disconnect(box, nullptr, check, nullptr);
                         box->hide();
                         box->deleteLater();
                         check->deleteLater();
                         showUpdateOutcome(parent, prompter, language, outcome);
                         if (ended)
                             ended();
                     });
    box->show();
    check->start(options.url, options.limits);
    return check;
}

} // namespace vorlex::update
