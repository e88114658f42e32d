#include "update/update_fetch.h"

#include <QByteArray>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <memory>

namespace vorlex::update {
namespace {

// Qt reads no further ahead than this from the socket, so a huge body never piles up in memory.
constexpr qint64 kReadBufferSize = 64 * 1024;
// Error texts are cut here, as the system's error text was.
constexpr qsizetype kMaxErrorLength = 1024;

// The system's proxy settings for this manager alone: the application-wide proxy stays as it is.
class SystemProxyFactory final : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        return systemProxyForQuery(query);
    }
};

QUrl toQUrl(const HttpUrl& url) {
    QByteArray text = "http://";
    const QByteArray host = QByteArray::fromStdString(url.host);
    text += host.contains(':') ? "[" + host + "]" : host;
    text += ':' + QByteArray::number(url.port);
    text += QByteArray::fromStdString(url.path);
    // Tolerant mode percent-encodes what a request line may not carry as it is.
    return QUrl::fromEncoded(text, QUrl::TolerantMode);
}

QString cutError(QString text) {
    if (text.size() > kMaxErrorLength)
        text.truncate(kMaxErrorLength);
    return text;
}

} // namespace

QString timedOutText() {
    return QStringLiteral("The operation timed out");
}

QNetworkAccessManager* newUpdateNetworkManager() {
    auto* manager = new QNetworkAccessManager;
    manager->setProxyFactory(new SystemProxyFactory);
    return manager;
}

FetchResult fetchOnce(QNetworkAccessManager& manager, const HttpUrl& url,
                      const FetchLimits& limits) {
    QNetworkRequest request(toQUrl(url));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Accept", QByteArray(kAcceptTypes.data(), kAcceptTypes.size()));
    request.setRawHeader("User-Agent", QByteArray(kAgentName.data(), kAgentName.size()));
    // The body is read as it comes, byte for byte: no compressed transfer to unpack.
    request.setRawHeader("Accept-Encoding", "identity");

    FetchResult result;
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    reply->setReadBufferSize(kReadBufferSize);

    QEventLoop loop;
    QTimer idle;
    idle.setSingleShot(true);
    QTimer total;
    total.setSingleShot(true);
    bool timedOut = false;
    bool haveStatus = false;

    const auto readBody = [&] {
        while (!result.body.full()) {
            const QByteArray chunk = reply->read(kReadBufferSize);
            if (chunk.isEmpty())
                break;
            result.body.feed(std::string_view(chunk.constData(), chunk.size()));
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        idle.start();
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid())
            return;
        haveStatus = true;
        result.status = status.toInt();
        // Only a 200 answer's body matters.
        if (result.status != 200)
            loop.quit();
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        idle.start();
        if (!haveStatus)
            return;
        readBody();
        if (result.body.full())
            loop.quit();
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    const auto timeOut = [&] {
        timedOut = true;
        loop.quit();
    };
    QObject::connect(&idle, &QTimer::timeout, &loop, timeOut);
    QObject::connect(&total, &QTimer::timeout, &loop, timeOut);

    idle.start(limits.idle);
    total.start(limits.total);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    idle.stop();
    total.stop();
    QObject::disconnect(reply.get(), nullptr, &loop, nullptr);

    if (haveStatus && result.status == 200 && !result.body.full() && !timedOut) {
        // The last bytes may have come with the end of the answer.
        readBody();
        if (!result.body.full() && reply->error() != QNetworkReply::NoError) {
            // The connection broke inside the body: what was read may be cut anywhere.
            result.error = cutError(reply->errorString());
            reply->abort();
            return result;
        }
        result.body.finish();
    }
    if (timedOut && !(haveStatus && (result.status != 200 || result.body.full()))) {
        result.error = timedOutText();
    } else if (!haveStatus) {
        result.error = cutError(reply->errorString());
    } else {
        result.answered = true;
        if (reply->hasRawHeader("Location"))
            result.location = reply->rawHeader("Location").toStdString();
    }
    if (!reply->isFinished())
        reply->abort();
    return result;
}

} // namespace vorlex::update
