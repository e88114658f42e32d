// The update check against a real HTTP server on loopback, its messages answered through the
// queued prompter.
#include "tests/support/build_numbers.h"
#include "tests/support/queued_prompter.h"
#include "tests/update/http_test_server.h"
#include "update/update_answer.h"
#include "update/update_check.h"
#include "update/update_progress_box.h"

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <memory>

using vorlex::testing::Answer;
using vorlex::testing::HttpTestServer;
using vorlex::testing::QueuedPrompter;
using vorlex::update::UpdateCheck;
using vorlex::update::UpdateCheckOptions;
using vorlex::update::UpdateOutcome;

namespace {

constexpr int kEnglish = 1;
constexpr int kRussian = 0;

const QString kNoNewVersion = QStringLiteral("No new version.");
const QString kNewVersion =
    QStringLiteral("NEW VERSION FOUND!!!\nWould you like to see more info?");
const QString kNewVersionRu =
    QStringLiteral("НОВАЯ ВЕРСИЯ НАЙДЕНА!!!\nХотите увидеть дополнительную информацию?");

const QByteArray kOwn = QByteArray::fromStdString(vorlex::testing::ownBuild());
const QByteArray kNewer = QByteArray::fromStdString(vorlex::testing::newerBuild());
const QByteArray kOlder = QByteArray::fromStdString(vorlex::testing::olderBuild());

QByteArray ok(const QByteArray& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QByteArray redirect(int status, const QByteArray& location) {
    return "HTTP/1.1 " + QByteArray::number(status) + " Moved\r\nLocation: " + location +
           "\r\nContent-Length: 0\r\n\r\n";
}

UpdateCheckOptions optionsFor(const QString& url) {
    UpdateCheckOptions options;
    options.url = url;
    return options;
}

// The first line of a failure with the address and the reason under it.
QString failure(const QString& first, const QString& address, const QString& reason = {}) {
    QString text = first + QStringLiteral("\nAddress: ") + address;
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    return text;
}

// Counts its paintings, to show that windows are painted while the check waits.
class PaintCounter final : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Qt::white);
        ++paints;
    }
};

} // namespace

class UpdateCheckTest final : public QObject {
    Q_OBJECT

private:
    // The toolbar command without a window, waited for to its end.
    static void runCheck(QueuedPrompter& prompter, int language,
                         const UpdateCheckOptions& options) {
        bool ended = false;
        vorlex::update::startUpdateCheck(nullptr, prompter, vorlex::store::languageOf(language),
                                         options, [&ended] { ended = true; });
        QTRY_VERIFY_WITH_TIMEOUT(ended, 30000);
    }
    static void run(HttpTestServer& server, QueuedPrompter& prompter, int language = kEnglish,
                    const QByteArray& path = "/vorlex/update") {
        runCheck(prompter, language, optionsFor(server.url(QString::fromLatin1(path))));
    }
    // The check alone, without messages.
    static UpdateOutcome outcomeOf(const QString& url) {
        UpdateCheck check;
        UpdateOutcome outcome;
        bool ended = false;
        QObject::connect(&check, &UpdateCheck::finished, [&](const UpdateOutcome& o) {
            outcome = o;
            ended = true;
        });
        check.start(url);
        if (!QTest::qWaitFor([&] { return ended; }, 30000))
            outcome.kind = UpdateOutcome::Kind::cancelled;
        return outcome;
    }
    static void verifyPrompts(const QueuedPrompter& prompter) {
        QVERIFY2(prompter.problems().isEmpty(), qPrintable(prompter.problems().join('\n')));
    }

private slots:
    void initTestCase() {
        // Loopback requests must not go to a proxy of the machine running the tests.
        for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(name);
        QCoreApplication::setApplicationName(QStringLiteral("Vorlex II"));
    }

    // The request itself: one GET of the path with the agent name and Accept header once each.
    void newerBuildSendsTheRequestAndShowsTheNewsOnYes() {
        HttpTestServer server;
        server.answer("/vorlex/update", ok(kNewer + "\r\nVersion 1.0.3.2\r\nFaster.\r\n"));
        QueuedPrompter prompter;
        prompter.expectQuestion(kNewVersion, Answer::yes);
        prompter.expectMessage(QStringLiteral("Version 1.0.3.2\r\nFaster.\r\n"));
        run(server, prompter);
        verifyPrompts(prompter);
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Vorlex II"));
        QCOMPARE(prompter.lastIcon(), vorlex::testing::QuestionIcon::question);

        QCOMPARE(server.requests().size(), 1);
        const HttpTestServer::Request& request = server.requests().front();
        QCOMPARE(request.requestLine, QByteArray("GET /vorlex/update HTTP/1.1"));
        QCOMPARE(request.values("User-Agent"), QList<QByteArray>{"VORLEX_Update_Checker"});
        QCOMPARE(request.values("Accept"), QList<QByteArray>{"text/*"});
        QCOMPARE(request.values("Host"),
                 QList<QByteArray>{"127.0.0.1:" + QByteArray::number(server.port())});
        QVERIFY(request.values("Authorization").isEmpty());
    }

    void versionAnswers_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("same build")
            << QByteArray(kOwn + "\nnothing new\n") << kEnglish << kNoNewVersion;
        QTest::newRow("older build") << kOlder << kEnglish << kNoNewVersion;
        QTest::newRow("not a number")
            << QByteArray("<html>1032</html>\n") << kEnglish << kNoNewVersion;
        QTest::newRow("empty body") << QByteArray() << kEnglish << kNoNewVersion;
        QTest::newRow("negative") << QByteArray("-1\n") << kEnglish << kNoNewVersion;
        QTest::newRow("Russian") << QByteArray(kOwn + "\n") << kRussian
                                 << QStringLiteral("Нет новой версии.");
        QTest::newRow("language 5 is English") << QByteArray(kOwn + "\n") << 5 << kNoNewVersion;
    }
    void versionAnswers() {
        QFETCH(QByteArray, body);
        QFETCH(int, language);
        QFETCH(QString, message);
        HttpTestServer server;
        server.answer("/vorlex/update", ok(body));
        QueuedPrompter prompter;
        prompter.expectMessage(message);
        run(server, prompter, language);
        verifyPrompts(prompter);
    }

    void newerBuildInRussianAnsweredNoShowsNothingMore() {
        HttpTestServer server;
        server.answer("/vorlex/update", ok("  1100 build\nnews\n"));
        QueuedPrompter prompter;
        prompter.expectQuestion(kNewVersionRu, Answer::no);
        run(server, prompter, kRussian);
        verifyPrompts(prompter);
    }

    void onlyFiftyOneLinesAreRead() {
        QByteArray body = kNewer + "\n";
        QByteArray news;
        for (int i = 2; i <= 70; ++i) {
            const QByteArray line = "news line " + QByteArray::number(i) + "\n";
            body += line;
            if (i <= 51)
                news += line;
        }
        HttpTestServer server;
        server.answer("/vorlex/update", ok(body));
        QueuedPrompter prompter;
        prompter.expectQuestion(kNewVersion, Answer::yes);
        prompter.expectMessage(QString::fromLatin1(news));
        run(server, prompter);
        verifyPrompts(prompter);
    }

    void newsInWindows1251AreDecoded() {
        HttpTestServer server;
        // "Новая версия" in Windows-1251: not valid UTF-8.
        server.answer("/vorlex/update",
                      ok(kNewer + "\n\xcd\xee\xe2\xe0\xff \xe2\xe5\xf0\xf1\xe8\xff\n"));
        QueuedPrompter prompter;
        prompter.expectQuestion(kNewVersion, Answer::yes);
        prompter.expectMessage(QStringLiteral("Новая версия\n"));
        run(server, prompter);
        verifyPrompts(prompter);

        server.answer("/vorlex/update", ok(kNewer + "\nНовая версия\n"));
        prompter.expectQuestion(kNewVersion, Answer::yes);
        prompter.expectMessage(QStringLiteral("Новая версия\n"));
        run(server, prompter);
        verifyPrompts(prompter);
    }

    void statusErrors_data() {
        QTest::addColumn<QByteArray>("statusLine");
        QTest::addColumn<QString>("warning");
        QTest::newRow("401") << QByteArray("401 Unauthorized") << QStringLiteral("Access denied");
        QTest::newRow("404") << QByteArray("404 Not Found")
                             << QStringLiteral("Error on server. Status code is 404");
        QTest::newRow("500") << QByteArray("500 Internal Server Error")
                             << QStringLiteral("Error on server. Status code is 500");
        QTest::newRow("307 is not followed")
            << QByteArray("307 Temporary Redirect")
            << QStringLiteral("Error on server. Status code is 307");
    }
    void statusErrors() {
        QFETCH(QByteArray, statusLine);
        QFETCH(QString, warning);
        HttpTestServer server;
        server.answer("/vorlex/update", "HTTP/1.1 " + statusLine +
                                            "\r\nWWW-Authenticate: Basic realm=\"x\"\r\nLocation: "
                                            "http://127.0.0.1:1/\r\nContent-Length: " +
                                            QByteArray::number(kNewer.size() + 1) + "\r\n\r\n" +
                                            kNewer + "\n");
        QueuedPrompter prompter;
        prompter.expectWarning(warning + QStringLiteral("\nАдрес: ") +
                               server.url(QStringLiteral("/vorlex/update")));
        run(server, prompter, kRussian);
        verifyPrompts(prompter);
        QCOMPARE(server.requests().size(), 1);
    }

    void oneRedirectIsFollowed() {
        HttpTestServer server;
        server.answer("/vorlex/update",
                      redirect(302, server.url("/mirror/update?from=1").toLatin1()));
        server.answer("/mirror/update?from=1", ok(kNewer + "\nfrom the mirror\n"));
        QueuedPrompter prompter;
        prompter.expectQuestion(kNewVersion, Answer::yes);
        prompter.expectMessage(QStringLiteral("from the mirror\n"));
        run(server, prompter);
        verifyPrompts(prompter);
        QCOMPARE(server.requests().size(), 2);
        const HttpTestServer::Request& second = server.requests().at(1);
        QCOMPARE(second.requestLine, QByteArray("GET /mirror/update?from=1 HTTP/1.1"));
        QCOMPARE(second.values("User-Agent"), QList<QByteArray>{"VORLEX_Update_Checker"});
        QCOMPARE(second.values("Accept"), QList<QByteArray>{"text/*"});
    }

    void secondRedirectIsNotFollowed() {
        HttpTestServer server;
        server.answer("/vorlex/update", redirect(301, server.url("/b").toLatin1()));
        server.answer("/b", redirect(303, server.url("/c").toLatin1()));
        server.answer("/c", ok(kNewer + "\n"));
        QueuedPrompter prompter;
        // The address is the redirect's target.
        prompter.expectWarning(
            failure(QStringLiteral("Error on server. Status code is 303"), server.url("/b")));
        run(server, prompter);
        verifyPrompts(prompter);
        QCOMPARE(server.requests().size(), 2);

        // After a redirect even 401 is only a status.
        server.answer("/b", "HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n");
        prompter.expectWarning(
            failure(QStringLiteral("Error on server. Status code is 401"), server.url("/b")));
        run(server, prompter);
        verifyPrompts(prompter);
    }

    // The address named is the redirect's target, or the update URL where there is none.
    void unusableRedirects_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("address");
        QTest::newRow("no Location")
            << QByteArray("HTTP/1.1 302 Found\r\nContent-Location: http://127.0.0.1:1/\r\n"
                          "Content-Length: 0\r\n\r\n")
            << QStringLiteral("Site redirects with no new location") << QString();
        QTest::newRow("https") << redirect(301, "https://127.0.0.1/vorlex/update")
                               << QStringLiteral(
                                      "The redirected URL does not reference a HTTP resource.")
                               << QStringLiteral("https://127.0.0.1/vorlex/update");
        QTest::newRow("ftp") << redirect(303, "ftp://127.0.0.1/update")
                             << QStringLiteral(
                                    "The redirected URL does not reference a HTTP resource.")
                             << QStringLiteral("ftp://127.0.0.1/update");
        QTest::newRow("relative") << redirect(302, "/elsewhere")
                                  << QStringLiteral("The redirected URL could not be parsed.")
                                  << QStringLiteral("/elsewhere");
        QTest::newRow("bad port") << redirect(302, "http://127.0.0.1:99999/")
                                  << QStringLiteral("The redirected URL could not be parsed.")
                                  << QStringLiteral("http://127.0.0.1:99999/");
    }
    void unusableRedirects() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, warning);
        QFETCH(QString, address);
        HttpTestServer server;
        server.answer("/vorlex/update", answer);
        QueuedPrompter prompter;
        prompter.expectWarning(
            failure(warning, address.isEmpty() ? server.url("/vorlex/update") : address));
        run(server, prompter);
        verifyPrompts(prompter);
        QCOMPARE(server.requests().size(), 1);
    }

    void updateUrlMustBeHttp() {
        QueuedPrompter prompter;
        const QString first = QStringLiteral("Error: can only use URLs beginning with http://");
        for (const char* url : {"https://127.0.0.1/vorlex/update", "127.0.0.1/vorlex/update"}) {
            prompter.expectWarning(first + QStringLiteral("\nАдрес: ") + QString::fromLatin1(url));
            runCheck(prompter, kRussian, optionsFor(QString::fromLatin1(url)));
        }
        prompter.expectWarning(first);
        runCheck(prompter, kRussian, optionsFor(QString()));
        verifyPrompts(prompter);
    }

    void environmentReplacesTheUrl() {
        qputenv("VORLEX_UPDATE_URL", "http://mirror.test:8080/v.txt");
        QCOMPARE(vorlex::update::updateUrl(), QStringLiteral("http://mirror.test:8080/v.txt"));
        QCOMPARE(UpdateCheckOptions().url, QStringLiteral("http://mirror.test:8080/v.txt"));
        qputenv("VORLEX_UPDATE_URL", "");
        QCOMPARE(vorlex::update::updateUrl(),
                 QString::fromLatin1(vorlex::update::kDefaultUpdateUrl.data()));
        qunsetenv("VORLEX_UPDATE_URL");
        QVERIFY(vorlex::update::updateUrl().endsWith(QStringLiteral("/vorlex/update")));
    }

    // 64 MB with a 5000-character line: the check reads its 51 lines and drops the connection;
    // the server never gets to send most of it.
    void hugeBodyIsNotReadWhole() {
        const QByteArray start = kNewer + "\n" + QByteArray(5000, 'x') + "\n";
        const QByteArray repeated = "abcd\n";
        const qint64 length = 64LL * 1024 * 1024;
        HttpTestServer server;
        server.stream(
            "/vorlex/update",
            "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(length) + "\r\n\r\n", length,
            [&](qint64 offset, qint64 size) {
                QByteArray bytes;
                bytes.reserve(size);
                for (qint64 i = offset; i < offset + size; ++i)
                    bytes += i < start.size() ? start.at(i)
                                              : repeated.at((i - start.size()) % repeated.size());
                return bytes;
            },
            64 * 1024);
        QueuedPrompter prompter;
        prompter.expectQuestion(kNewVersion, Answer::yes);
        // The long line takes five reads (4 x 1023 + 909), then 45 reads of "abcd\n".
        prompter.expectMessage(
            QString::fromLatin1(QByteArray(5000, 'x') + "\n" + repeated.repeated(45)));
        run(server, prompter);
        verifyPrompts(prompter);
        QVERIFY2(server.streamed() < length / 4, qPrintable(QString::number(server.streamed())));
    }

    void silentServerTimesOut() {
        HttpTestServer server;
        server.stayQuiet("/vorlex/update");
        UpdateCheckOptions options = optionsFor(server.url(QStringLiteral("/vorlex/update")));
        options.limits.idle = std::chrono::milliseconds(200);
        QueuedPrompter prompter;
        prompter.expectWarning(failure(QStringLiteral("The operation timed out"), options.url,
                                       QStringLiteral("No answer for 0.2 s.")));
        runCheck(prompter, kEnglish, options);
        verifyPrompts(prompter);
        QCOMPARE(server.requests().size(), 1);
    }

    void tricklingServerHitsTheTotalLimit() {
        HttpTestServer server;
        server.trickle("/vorlex/update",
                       "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + kNewer, 10);
        UpdateCheckOptions options = optionsFor(server.url(QStringLiteral("/vorlex/update")));
        options.limits.idle = std::chrono::milliseconds(20000);
        options.limits.total = std::chrono::milliseconds(300);
        QueuedPrompter prompter;
        prompter.expectWarning(QStringLiteral("The operation timed out\nАдрес: ") + options.url +
                               QStringLiteral("\nОтвет шёл дольше 0.3 с."));
        runCheck(prompter, kRussian, options);
        verifyPrompts(prompter);
    }

    void bodyCutShortIsANetworkError() {
        HttpTestServer server;
        server.answer("/vorlex/update",
                      "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + kNewer + "\nab");
        const UpdateOutcome outcome = outcomeOf(server.url(QStringLiteral("/vorlex/update")));
        QCOMPARE(outcome.kind, UpdateOutcome::Kind::networkError);
        QVERIFY(!outcome.errorText.isEmpty());
    }

    void refusedConnection() {
        quint16 port = 0;
        {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            port = closed.serverPort();
        }
        const QString url = QStringLiteral("http://127.0.0.1:%1/vorlex/update").arg(port);
        QueuedPrompter prompter;
        prompter.expectWarning(QStringLiteral("Connection refused\nАдрес: ") + url +
                               QStringLiteral("\nПо этому адресу соединения не принимаются."));
        runCheck(prompter, kRussian, optionsFor(url));
        prompter.expectWarning(failure(QStringLiteral("Connection refused"), url,
                                       QStringLiteral("Nothing accepts connections there.")));
        runCheck(prompter, kEnglish, optionsFor(url));
        verifyPrompts(prompter);
    }

    void unresolvableHost() {
        const QString url = QStringLiteral("http://vorlex.invalid/vorlex/update");
        const UpdateOutcome outcome = outcomeOf(url);
        QCOMPARE(outcome.kind, UpdateOutcome::Kind::networkError);
        QVERIFY2(outcome.errorText.contains(QStringLiteral("vorlex.invalid")),
                 qPrintable(outcome.errorText));
        QueuedPrompter prompter;
        prompter.expectWarning(
            failure(outcome.errorText, url, QStringLiteral("The server's name is unknown.")));
        runCheck(prompter, kEnglish, optionsFor(url));
        verifyPrompts(prompter);
    }

    // While the check waits on a server that never answers, the window under the progress box
    // repaints and takes clicks, and Cancel ends the wait at once: a timer of 100 ms started
    // when the request arrives must fire and its click must end the check long before the
    // 15 s idle limit.
    void theWindowWorksAndCancelEndsTheWait() {
        PaintCounter window;
        window.resize(300, 200);
        auto* elsewhere = new QPushButton(QStringLiteral("elsewhere"), &window);
        int elsewhereClicks = 0;
        connect(elsewhere, &QPushButton::clicked, [&] { ++elsewhereClicks; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        HttpTestServer server;
        server.stayQuiet("/vorlex/update");
        int paintsAtRequest = -1;
        int paintsAtCancel = -1;
        bool boxShown = false;
        QTimer cancelSoon;
        cancelSoon.setSingleShot(true);
        server.onRequest([&](const HttpTestServer::Request&) {
            paintsAtRequest = window.paints;
            window.update();
            cancelSoon.start(100);
        });
        connect(&cancelSoon, &QTimer::timeout, [&] {
            paintsAtCancel = window.paints;
            QTest::mouseClick(elsewhere, Qt::LeftButton);
            auto* box = window.findChild<vorlex::update::UpdateProgressBox*>();
            boxShown = box != nullptr && box->isVisible();
            if (box != nullptr)
                QTest::mouseClick(box->cancelButton(), Qt::LeftButton);
        });

        QueuedPrompter prompter; // nothing is told after Cancel
        bool ended = false;
        const UpdateCheck* check = vorlex::update::startUpdateCheck(
            &window, prompter, vorlex::store::Language::english,
            optionsFor(server.url(QStringLiteral("/vorlex/update"))), [&] { ended = true; });
        QVERIFY(check->running());
        QTRY_VERIFY_WITH_TIMEOUT(ended, 5000);
        verifyPrompts(prompter);
        QVERIFY(boxShown);
        QVERIFY2(paintsAtCancel > paintsAtRequest, qPrintable(QString::number(paintsAtCancel)));
        QCOMPARE(elsewhereClicks, 1);
        QTRY_VERIFY(window.findChild<vorlex::update::UpdateProgressBox*>() == nullptr);
    }
};

QTEST_MAIN(UpdateCheckTest)
#include "update_check_test.moc"
