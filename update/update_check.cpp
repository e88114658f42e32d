#include "update/update_check.h"

#include "chrome/prompter.h"
#include "chrome/wait_cursor.h"
#include "engine/cp1251.h"
#include "update/update_texts.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QPointer>
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

UpdateOutcome networkError(const FetchResult& result) {
    UpdateOutcome outcome = outcomeOf(UpdateOutcome::Kind::networkError);
    outcome.errorText = result.error;
    return outcome;
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

UpdateOutcome checkForUpdate(const QString& url, const FetchLimits& limits) {
    const UrlSplit split = splitUrl(url.toStdString());
    if (split.kind != UrlSplit::Kind::http)
        return outcomeOf(UpdateOutcome::Kind::badUrl);

    const std::unique_ptr<QNetworkAccessManager> manager(newUpdateNetworkManager());
    const FetchResult first = fetchOnce(*manager, split.url, limits);
    if (!first.answered)
        return networkError(first);
    const UpdateAnswer answer =
        decideUpdateAnswer(first.status, first.location, first.body, Exchange::first);
    if (answer.kind != UpdateAnswer::Kind::redirect)
        return outcomeOf(answer);

    const FetchResult second = fetchOnce(*manager, answer.redirectTo, limits);
    if (!second.answered)
        return networkError(second);
    return outcomeOf(
        decideUpdateAnswer(second.status, second.location, second.body, Exchange::afterRedirect));
}

void showUpdateOutcome(QWidget* parent, chrome::Prompter& prompter, store::Language language,
                       const UpdateOutcome& outcome) {
    const QString caption = QCoreApplication::applicationName();
    const auto fail = [&](UpdateText id) {
        prompter.warning(parent, caption, updateText(id, store::Language::english));
    };
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
        prompter.warning(parent, caption,
                         updateText(UpdateText::serverError, store::Language::english) +
                             QString::number(outcome.status));
        return;
    case UpdateOutcome::Kind::networkError:
        prompter.warning(parent, caption, outcome.errorText);
        return;
    case UpdateOutcome::Kind::noNewVersion:
        prompter.message(parent, caption, updateText(UpdateText::noNewVersion, language));
        return;
    case UpdateOutcome::Kind::newVersion:
        if (prompter.ask(parent, caption, updateText(UpdateText::newVersionFound, language),
                         chrome::QuestionIcon::question) == chrome::Answer::yes)
            prompter.message(parent, caption, outcome.news);
        return;
    }
}

void runUpdateCheck(QWidget* parent, chrome::Prompter& prompter, store::Language language,
                    const UpdateCheckOptions& options) {
    const QPointer<QWidget> guard(parent);
    UpdateOutcome outcome;
    {
        const chrome::WaitCursor waitCursor;
        outcome = checkForUpdate(options.url, options.limits);
    }
    showUpdateOutcome(guard.data(), prompter, language, outcome);
}

} // namespace vorlex::update
