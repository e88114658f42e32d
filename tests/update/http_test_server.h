// A small HTTP server on loopback for the update check's tests: each path gets a scripted raw
// answer, silence, or an endless stream; every request it receives is kept for inspection.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <functional>

namespace vorlex::testing {

class HttpTestServer : public QObject {
public:
    struct Request {
        QByteArray requestLine;
        QList<QByteArray> headerLines; ///< as received, without their line ends
        /// The values of every header line named @p name (compared without regard to case).
        QList<QByteArray> values(const QByteArray& name) const {
            QList<QByteArray> found;
            for (const QByteArray& line : headerLines) {
                const qsizetype colon = line.indexOf(':');
                if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
                    found.push_back(line.mid(colon + 1).trimmed());
            }
            return found;
        }
    };

    HttpTestServer() {
        connect(&server_, &QTcpServer::newConnection, this, &HttpTestServer::accept);
        server_.listen(QHostAddress::LocalHost);
    }

    [[nodiscard]] quint16 port() const { return server_.serverPort(); }
    [[nodiscard]] QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
    }

    /// Answers GET @p path with @p raw, status line and headers included, then closes.
    void answer(const QByteArray& path, const QByteArray& raw) { answers_[path] = raw; }
    /// Answers GET @p path with status 200 and @p body.
    void answerBody(const QByteArray& path, const QByteArray& body) {
        answer(path, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                         QByteArray::number(body.size()) + "\r\n\r\n" + body);
    }
    /// Reads the request for @p path and never answers.
    void stayQuiet(const QByteArray& path) { quiet_.push_back(path); }
    /// Answers @p path with @p raw only once @p ready returns true (asked every few
    /// milliseconds), so a test can look at the client while it waits.
    void answerWhen(const QByteArray& path, const QByteArray& raw, std::function<bool()> ready) {
        answer(path, raw);
        ready_[path] = std::move(ready);
    }
    /// Answers @p path with @p head and then one body byte (a space) every @p intervalMs
    /// milliseconds, for ever.
    void trickle(const QByteArray& path, const QByteArray& head, int intervalMs) {
        trickles_[path] = Trickle{head, intervalMs};
    }
    /// Answers @p path with @p head and then body bytes from @p next (called with the offset) as
    /// fast as the client takes them, up to @p length bytes, @p chunk bytes a time.
    void stream(const QByteArray& path, const QByteArray& head, qint64 length,
                std::function<QByteArray(qint64 offset, qint64 size)> next, qint64 chunk) {
        streams_[path] = Stream{head, length, std::move(next), chunk};
    }
    /// Called for every request as it arrives, before it is answered.
    void onRequest(std::function<void(const Request&)> hook) { hook_ = std::move(hook); }

    [[nodiscard]] const QList<Request>& requests() const { return requests_; }
    /// Body bytes handed to the connection of the stream, so far.
    [[nodiscard]] qint64 streamed() const { return streamed_; }

private:
    struct Stream {
        QByteArray head;
        qint64 length = 0;
        std::function<QByteArray(qint64, qint64)> next;
        qint64 chunk = 0;
    };

    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                buffers_.remove(socket);
                socket->deleteLater();
            });
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        }
    }

    void readRequest(QTcpSocket* socket) {
        QByteArray& buffer = buffers_[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        QList<QByteArray> lines = buffer.left(end).split('\n');
        buffer.clear();
        Request request;
        for (QByteArray& line : lines)
            if (line.endsWith('\r'))
                line.chop(1);
        request.requestLine = lines.takeFirst();
        request.headerLines = lines;
        requests_.push_back(request);
        if (hook_)
            hook_(request);

        const QList<QByteArray> parts = request.requestLine.split(' ');
        const QByteArray path = parts.size() > 1 ? parts.at(1) : QByteArray();
        if (quiet_.contains(path))
            return;
        if (streams_.contains(path)) {
            startStream(socket, streams_.value(path));
            return;
        }
        if (trickles_.contains(path)) {
            const Trickle trickle = trickles_.value(path);
            socket->write(trickle.head);
            auto* timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [socket] { socket->write(" "); });
            timer->start(trickle.intervalMs);
            return;
        }
        const QByteArray raw =
            answers_.value(path, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
        if (const std::function<bool()> ready = ready_.value(path); ready && !ready()) {
            auto* timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [socket, timer, raw, ready] {
                if (!ready())
                    return;
                timer->stop();
                socket->write(raw);
                socket->disconnectFromHost();
            });
            timer->start(5);
            return;
        }
        socket->write(raw);
        socket->disconnectFromHost();
    }

    void startStream(QTcpSocket* socket, const Stream& stream) {
        socket->write(stream.head);
        streamed_ = 0;
        const auto more = [this, socket, stream] {
            // Keep a little queued, no more, so what was sent tells what the client took.
            while (socket->bytesToWrite() < stream.chunk && streamed_ < stream.length) {
                const qint64 size = std::min(stream.chunk, stream.length - streamed_);
                socket->write(stream.next(streamed_, size));
                streamed_ += size;
            }
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
    }

    struct Trickle {
        QByteArray head;
        int intervalMs = 0;
    };

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> buffers_; ///< request bytes not yet complete
    QHash<QByteArray, QByteArray> answers_;
    QHash<QByteArray, std::function<bool()>> ready_;
    QHash<QByteArray, Trickle> trickles_;
    QList<QByteArray> quiet_;
    QHash<QByteArray, Stream> streams_;
    std::function<void(const Request&)> hook_;
    QList<Request> requests_;
    qint64 streamed_ = 0;
};

} // namespace vorlex::testing
