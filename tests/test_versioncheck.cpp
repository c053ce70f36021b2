#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/Constants.h"
#include "i18n/VersionCheck.h"
#include "support/LocalHttpServer.h"
#include "support/Processes.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <QTest>

class TestVersionCheck : public QObject {
    Q_OBJECT

private slots:
    void libcurlIsLoadedByTheFirstRequest(); // first: no request may have run before it
    void answerTable_data();
    void answerTable();
    void convVersion_data();
    void convVersion();
    void serverAnswers_data();
    void serverAnswers();
    void slowAnswerTimesOut();
    void hostileServers_data();
    void hostileServers();
    void connectionRefused();
    void requestAsTheServerSeesIt();
    void cancelEndsTheRequest();
    void timerTickShowsOrHidesTheLink();
    void timerChecksNeverOverlap();
};

namespace {
VersionCheckRequest requestTo(const LocalHttpServer &server)
{
    VersionCheckRequest request;
    request.url = server.base() + QStringLiteral("/home/download/GetversionSW.asp?nomesw=KV40812");
    return request;
}

void writeInternetFlags(TestWorkspace &ws)
{
    ws.writeFile(QStringLiteral("Zentrel.xml"),
                 "<C><lastinternet><enable_internet>1</enable_internet><enable_update>1</enable_update></lastinternet></C>");
}
} // namespace

namespace {
// Whether this process has libcurl mapped; nothing when the system cannot tell.
std::optional<bool> curlIsLoaded()
{
    return isLibraryLoaded("libcurl");
}
} // namespace

// The windows are built without libcurl; the first check loads it.
void TestVersionCheck::libcurlIsLoadedByTheFirstRequest()
{
    if (!curlIsLoaded())
        QSKIP("the process's mapped libraries cannot be read here");
    TestWorkspace ws;
    writeInternetFlags(ws);
    auto main = Create_Windows(ws.state, ws.services);
    QVERIFY(main->Timer_Update->isActive());
    QCOMPARE(curlIsLoaded(), false);

    LocalHttpServer server;
    LocalHttpServer::Reply reply;
    reply.body = "VER. 1.300";
    server.setReply(reply);
    QVERIFY(Check_Version(requestTo(server)));
    QCOMPARE(curlIsLoaded(), true);
}

void TestVersionCheck::answerTable_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("newer");
    QTest::newRow("newer") << "VER. 1.300" << true;
    QTest::newRow("equal") << "VER. 1.200" << false;
    QTest::newRow("older") << "VER. 1.100" << false;
    QTest::newRow("zero") << "VER. 0.000" << false;
    QTest::newRow("zero small letters, line break") << "ver. 0.000\r\n" << false;
    QTest::newRow("too short") << "VER. 2.0" << false;
    QTest::newRow("five digits") << "VER. 1.2345" << true;
    QTest::newRow("comma") << "VER. 1,300" << true;
    QTest::newRow("blank inside") << "VER. 1.3 0" << false;
    QTest::newRow("no blank") << "1.300" << true;
    QTest::newRow("word") << "VERSION" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blanks and controls around") << "\t VER. 1.300 \r\n" << true;
    QTest::newRow("html error page") << "<html><body>Not found</body></html>" << false;
}

void TestVersionCheck::answerTable()
{
    QFETCH(QString, body);
    QFETCH(bool, newer);
    QCOMPARE(isNewerVersion(body), newer);
}

void TestVersionCheck::convVersion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("own version") << "1.200" << 1200;
    QTest::newRow("after first blank") << "VER. 1.300" << 1300;
    QTest::newRow("tail ignored") << "VER. 1.2345" << 1234;
    QTest::newRow("second character skipped") << "VER. 1x300" << 1300;
    QTest::newRow("four characters only") << "VER. 2.0" << -1;
    QTest::newRow("letters") << "VERSION" << -1;
    QTest::newRow("inner blank") << "VER. 1.3 0" << -1;
    QTest::newRow("hex is no version") << "VER. $.FFF" << -1;
}

void TestVersionCheck::convVersion()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(Conv_Version(text), value);
}

void TestVersionCheck::serverAnswers_data()
{
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("contentLength");
    QTest::addColumn<bool>("newer");
    const QByteArray big = "VER. 9.999" + QByteArray(1024 * 1024, ' ');
    QByteArray exactLimit = "VER. 1.300";
    exactLimit.append(QByteArray(64 * 1024 - exactLimit.size(), ' '));
    QTest::newRow("200 newer") << QByteArray("200 OK") << QByteArray("VER. 1.300") << true << true;
    QTest::newRow("200 equal") << QByteArray("200 OK") << QByteArray("VER. 1.200") << true << false;
    QTest::newRow("200 zero") << QByteArray("200 OK") << QByteArray("ver. 0.000\r\n") << true << false;
    QTest::newRow("200 empty") << QByteArray("200 OK") << QByteArray() << true << false;
    QTest::newRow("200 not a version") << QByteArray("200 OK") << QByteArray("<html>Welcome</html>") << true << false;
    QTest::newRow("203 other success") << QByteArray("203 Non-Authoritative") << QByteArray("VER. 1.300") << true << true;
    QTest::newRow("404 with a version") << QByteArray("404 Not Found") << QByteArray("VER. 9.999") << true << false;
    QTest::newRow("500") << QByteArray("500 Internal Server Error") << QByteArray("VER. 9.999") << true << false;
    // Only the first 64 KiB of a long answer are read, and they count.
    QTest::newRow("1 MB, length announced") << QByteArray("200 OK") << big << true << true;
    QTest::newRow("1 MB, until close") << QByteArray("200 OK") << big << false << true;
    QTest::newRow("version, then a long page") << QByteArray("200 OK")
                                               << "VER. 1.300\r\n<html>" + QByteArray(200 * 1024, 'x') + "</html>"
                                               << true << true;
    QTest::newRow("version only past 64 KiB") << QByteArray("200 OK") << QByteArray(64 * 1024, ' ') + "VER. 1.300"
                                              << true << false;
    QTest::newRow("404 with a long version page") << QByteArray("404 Not Found") << big << true << false;
    QTest::newRow("exactly 64 KiB") << QByteArray("200 OK") << exactLimit << false << true;
    QTest::newRow("10 MB") << QByteArray("200 OK") << QByteArray(10 * 1024 * 1024, 'V') << true << false;
    QTest::newRow("non-ASCII after the version") << QByteArray("200 OK") << QByteArray("VER. 1.300\xFF\xFE\x80") << true << true;
    QTest::newRow("non-ASCII digits") << QByteArray("200 OK") << QByteArray("VER. \xD9\xA1.\xD9\xA3\xD9\xA0\xD9\xA0") << true << false;
    QTest::newRow("controls around") << QByteArray("200 OK") << QByteArray("\0\x01VER. 1.300\0", 13) << true << true;
    QTest::newRow("binary") << QByteArray("200 OK") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << true << false;
}

void TestVersionCheck::serverAnswers()
{
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, contentLength);
    QFETCH(bool, newer);
    LocalHttpServer server;
    LocalHttpServer::Reply reply;
    reply.status = status;
    reply.body = body;
    reply.contentLength = contentLength;
    server.setReply(reply);
    VersionCheckRequest request = requestTo(server);
    QCOMPARE(Check_Version(request), newer);
    QCOMPARE(server.requests().size(), 1);
}

// A redirection is an answer like any other non-2xx: it is not followed.
void TestVersionCheck::requestAsTheServerSeesIt()
{
    LocalHttpServer server;
    qputenv("KV40812_WEB_BASE", server.base().toUtf8());
    LocalHttpServer::Reply reply;
    reply.status = "301 Moved Permanently";
    reply.extraHeaders = "Location: " + server.base().toUtf8() + "/elsewhere\r\n";
    reply.body = "VER. 9.999";
    server.setReply(reply);

    QVERIFY(!Check_Version());
    const QList<QByteArray> requests = server.requests();
    QCOMPARE(requests.size(), 1);
    QList<QByteArray> lines = requests.first().trimmed().split('\n');
    for (QByteArray &line : lines)
        line = line.trimmed();
    QCOMPARE(lines.takeFirst(), QByteArray("GET /home/download/GetversionSW.asp?nomesw=KV40812 HTTP/1.0"));
    std::sort(lines.begin(), lines.end());
    const QByteArray host = "Host: " + server.base().mid(7).toUtf8();
    QCOMPARE(lines, (QList<QByteArray>{
                        "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8",
                        host,
                        "User-Agent: Mozilla/3.0 (compatible; Indy Library)",
                    }));
}

void TestVersionCheck::slowAnswerTimesOut()
{
    LocalHttpServer server;
    LocalHttpServer::Reply reply;
    reply.body = "VER. 1.300";
    reply.delayMs = 3000;
    server.setReply(reply);
    VersionCheckRequest request = requestTo(server);
    request.totalTimeoutMs = 1000;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!Check_Version(request));
    QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
}

// A server that drips its answer or drops the connection costs at most the time-out.
void TestVersionCheck::hostileServers_data()
{
    QTest::addColumn<int>("dripMs");
    QTest::addColumn<bool>("reset");
    QTest::newRow("one byte a second") << 1000 << false;
    QTest::newRow("connection reset") << 0 << true;
}

void TestVersionCheck::hostileServers()
{
    QFETCH(int, dripMs);
    QFETCH(bool, reset);
    LocalHttpServer server;
    LocalHttpServer::Reply reply;
    reply.body = "VER. 9.999";
    reply.dripMs = dripMs;
    reply.reset = reset;
    server.setReply(reply);
    VersionCheckRequest request = requestTo(server);
    request.totalTimeoutMs = 2000;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!Check_Version(request));
    QVERIFY2(clock.elapsed() < 3500, qPrintable(QString::number(clock.elapsed())));
}

void TestVersionCheck::connectionRefused()
{
    VersionCheckRequest request;
    request.url = QStringLiteral("http://127.0.0.1:%1/home/download/GetversionSW.asp?nomesw=KV40812")
                      .arg(LocalHttpServer::closedPort());
    QCOMPARE(fetchVersionAnswer(request), QString());
    QVERIFY(!Check_Version(request));
}

void TestVersionCheck::cancelEndsTheRequest()
{
    LocalHttpServer server;
    LocalHttpServer::Reply reply;
    reply.body = "VER. 1.300";
    reply.delayMs = 10000;
    server.setReply(reply);
    VersionCheckRequest request = requestTo(server);
    QElapsedTimer clock;
    clock.start();
    QFuture<bool> future = startVersionCheck(request);
    QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 1, kPatienceMs);
    request.cancelled->store(true);
    future.waitForFinished();
    QVERIFY(!future.result());
    QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
}

namespace {
LocalHttpServer::Reply answer(const QByteArray &body, int delayMs = 0)
{
    LocalHttpServer::Reply reply;
    reply.body = body;
    reply.delayMs = delayMs;
    return reply;
}
} // namespace

void TestVersionCheck::timerTickShowsOrHidesTheLink()
{
    LocalHttpServer server;
    qputenv("KV40812_WEB_BASE", server.base().toUtf8());
    server.setReply(answer("VER. 1.300", 300));
    TestWorkspace ws;
    writeInternetFlags(ws);
    auto main = Create_Windows(ws.state, ws.services);
    auto *link = main->findChild<QLabel *>(QStringLiteral("LL_Update"));
    QVERIFY(link && link->isHidden());
    QCOMPARE(main->Timer_Update->interval(), 60000);
    QVERIFY(main->Timer_Update->isActive());

    main->Timer_UpdateTimer();
    QVERIFY(!main->Timer_Update->isActive()); // stopped while the check runs
    QTRY_VERIFY_WITH_TIMEOUT(!link->isHidden(), kPatienceMs);
    QCOMPARE(link->text(), QStringLiteral("<a href=\"%1\">New Version Available. Click Here for more Details</a>")
                               .arg(downloadPageUrl()));
    QVERIFY(main->Timer_Update->isActive());
    QCOMPARE(main->Timer_Update->interval(), 7200000);

    emit link->linkActivated(downloadPageUrl());
    QCOMPARE(ws.openedUrls, QList<QUrl>{QUrl(downloadPageUrl())});

    server.setReply(answer("VER. 1.200"));
    main->Timer_UpdateTimer();
    QTRY_VERIFY_WITH_TIMEOUT(link->isHidden(), kPatienceMs);
    QTRY_VERIFY_WITH_TIMEOUT(main->Timer_Update->isActive(), kPatienceMs);
    QCOMPARE(main->Timer_Update->interval(), 7200000);
    QCOMPARE(server.requests().size(), 2);
}

void TestVersionCheck::timerChecksNeverOverlap()
{
    LocalHttpServer server;
    qputenv("KV40812_WEB_BASE", server.base().toUtf8());
    server.setReply(answer("VER. 1.300", 800));
    TestWorkspace ws;
    writeInternetFlags(ws);
    auto main = Create_Windows(ws.state, ws.services);

    main->Timer_UpdateTimer();
    main->Timer_UpdateTimer();
    main->applyTimerRule(); // a confirmed options window while the check runs
    QVERIFY(!main->Timer_Update->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 1, kPatienceMs);
    // The flags were cleared while the check ran: the timer stays off afterwards.
    ws.state.Enable_Update = false;
    auto *link = main->findChild<QLabel *>(QStringLiteral("LL_Update"));
    QTRY_VERIFY_WITH_TIMEOUT(!link->isHidden(), kPatienceMs);
    QVERIFY(!main->Timer_Update->isActive());
    QCOMPARE(server.requests().size(), 1);

    ws.state.Enable_Update = true;
    main->applyTimerRule();
    QVERIFY(main->Timer_Update->isActive());
    QCOMPARE(main->Timer_Update->interval(), 7200000);
}

QTEST_MAIN(TestVersionCheck)
#include "test_versioncheck.moc"
