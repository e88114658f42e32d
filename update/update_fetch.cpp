#include "update/update_fetch.h"

#include <QByteArray>
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

FetchFailure failureOf(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return FetchFailure::refused;
    case QNetworkReply::HostNotFoundError:
        return FetchFailure::hostNotFound;
    default:
        return FetchFailure::other;
    }
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

Fetch::Fetch(QNetworkAccessManager& manager, const HttpUrl& url, const FetchLimits& limits,
             Done done, QObject* parent)
    : QObject(parent), done_(std::move(done)) {
    QNetworkRequest request(toQUrl(url));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Accept", QByteArray(kAcceptTypes.data(), kAcceptTypes.size()));
    request.setRawHeader("User-Agent", QByteArray(kAgentName.data(), kAgentName.size()));
    // The body is read as it comes, byte for byte: no compressed transfer to unpack.
    request.setRawHeader("Accept-Encoding", "identity");

    reply_.reset(manager.get(request));
    reply_->setReadBufferSize(kReadBufferSize);
    idle_.setSingleShot(true);
    total_.setSingleShot(true);
    connect(reply_.get(), &QNetworkReply::metaDataChanged, this, &Fetch::metaDataChanged);
    connect(reply_.get(), &QNetworkReply::readyRead, this, &Fetch::readyRead);
    connect(reply_.get(), &QNetworkReply::finished, this, &Fetch::end);
    connect(&idle_, &QTimer::timeout, this, [this] { timeOut(FetchFailure::noAnswer); });
    connect(&total_, &QTimer::timeout, this, [this] { timeOut(FetchFailure::tooSlow); });
    idle_.start(limits.idle);
    total_.start(limits.total);
}

Fetch::~Fetch() {
    disconnect(reply_.get(), nullptr, this, nullptr);
    if (!reply_->isFinished())
        reply_->abort();
}

void Fetch::metaDataChanged() {
    idle_.start();
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    haveStatus_ = true;
    result_.status = status.toInt();
    // Only a 200 answer's body matters.
    if (result_.status != 200)
        end();
}

void Fetch::readyRead() {
    idle_.start();
    if (!haveStatus_)
        return;
    readBody();
    if (result_.body.full())
        end();
}

void Fetch::readBody() {
    while (!result_.body.full()) {
        const QByteArray chunk = reply_->read(kReadBufferSize);
        if (chunk.isEmpty())
            break;
        result_.body.feed(std::string_view(chunk.constData(), chunk.size()));
    }
}

void Fetch::timeOut(FetchFailure failure) {
    timedOut_ = failure;
    end();
}

void Fetch::end() {
    if (ended_)
        return;
    ended_ = true;
    idle_.stop();
    total_.stop();
    disconnect(reply_.get(), nullptr, this, nullptr);
    const bool timedOut = timedOut_ != FetchFailure::none;

    bool brokenBody = false;
    if (haveStatus_ && result_.status == 200 && !result_.body.full() && !timedOut) {
        // The last bytes may have come with the end of the answer.
        readBody();
        // A connection broken inside the body: what was read may be cut anywhere.
        brokenBody = !result_.body.full() && reply_->error() != QNetworkReply::NoError;
        if (!brokenBody)
            result_.body.finish();
    }
    if (brokenBody) {
        result_.error = cutError(reply_->errorString());
        result_.failure = FetchFailure::other;
    } else if (timedOut && !(haveStatus_ && (result_.status != 200 || result_.body.full()))) {
        result_.error = timedOutText();
        result_.failure = timedOut_;
    } else if (!haveStatus_) {
        result_.error = cutError(reply_->errorString());
        result_.failure = failureOf(reply_->error());
    } else {
        result_.answered = true;
        if (reply_->hasRawHeader("Location"))
            result_.location = reply_->rawHeader("Location").toStdString();
    }
    // From the event loop (a reply must not be aborted inside its own signals), with copies:
    // the answer may destroy this Fetch.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!reply_->isFinished())
                reply_->abort();
            const Done done = done_;
            const FetchResult result = result_;
            done(result);
        },
        Qt::QueuedConnection);
}

} // namespace vorlex::update
