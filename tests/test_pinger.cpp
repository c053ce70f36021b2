#include "support/TestSupport.h"
#include "update/DeviceCheck.h"
#include "update/Pinger.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSysInfo>
#include <QProcess>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using Outcome = Pinger::Outcome;
using Answer = FakePinger::Answer;
Q_DECLARE_METATYPE(IcmpPinger::Method)

class TestPinger : public QObject {
    Q_OBJECT

private slots:
    void deviceCheck_data();
    void deviceCheck();
    void realEchoToLoopback_data();
    void realEchoToLoopback();
    void realEchoInPrivateNetwork_data();
    void realEchoInPrivateNetwork();
};

void TestPinger::deviceCheck_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("pingRes");
    QTest::addColumn<int>("attempts"); // -1: as many as 5 s allow
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    QTest::newRow("always answers") << Answer([](int) { return Outcome::Reply; }) << true << 1
                                    << 2 << 0 << 1000;
    QTest::newRow("never answers") << Answer([](int) { return Outcome::NoReply; }) << false
                                   << 2 << -1 << 5000 << 5800;
    QTest::newRow("error at once") << Answer([](int) { return Outcome::Error; }) << false << 0
                                   << 1 << 0 << 1000;
    QTest::newRow("error after a reply")
        << Answer([](int n) { return n == 0 ? Outcome::Reply : Outcome::Error; }) << false << 1
        << 2 << 0 << 1000;
}

void TestPinger::deviceCheck()
{
    QFETCH(Answer, answer);
    QFETCH(bool, found);
    QFETCH(int, pingRes);
    QFETCH(int, attempts);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    FakePinger pinger;
    pinger.answer = answer;
    qint32 ping_res = -1;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(checkDevice(pinger, QStringLiteral("127.0.0.1"), ping_res), found);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(ping_res, pingRes);
    if (attempts >= 0)
        QCOMPARE(pinger.attempts, attempts);
    else
        QVERIFY(pinger.attempts >= 11 && pinger.attempts <= 13); // 400 ms + 10 ms each
    QVERIFY2(elapsed >= minMs && elapsed <= maxMs, qPrintable(QString::number(elapsed)));
    QCOMPARE(pinger.addresses.first(), QStringLiteral("127.0.0.1"));
    QCOMPARE(pinger.payloads.first(), QByteArray("127.0.0.1"));
}

void TestPinger::realEchoToLoopback_data()
{
    QTest::addColumn<IcmpPinger::Method>("method");
    QTest::newRow("automatic") << IcmpPinger::Method::Automatic;
    QTest::newRow("datagram socket") << IcmpPinger::Method::DatagramSocket;
    QTest::newRow("raw socket") << IcmpPinger::Method::RawSocket;
    QTest::newRow("ping program") << IcmpPinger::Method::PingProgram;
}

void TestPinger::realEchoToLoopback()
{
    QFETCH(IcmpPinger::Method, method);
    IcmpPinger pinger(method);
    QString error;
    const Outcome outcome = pinger.echo(QStringLiteral("127.0.0.1"), "127.0.0.1", kReplyTimeoutMs, &error);
    if (outcome == Outcome::Error && method != IcmpPinger::Method::Automatic)
        QSKIP(qPrintable(QStringLiteral("not available here: %1").arg(error)));
    QVERIFY2(outcome == Outcome::Reply, qPrintable(error));
    QCOMPARE(pinger.echo(QStringLiteral("127.0.0.300"), "x", kReplyTimeoutMs, &error), Outcome::Error);
}

void TestPinger::realEchoInPrivateNetwork_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<IcmpPinger::Method>("method");
    QTest::addColumn<QByteArray>("outcome");
    const QString ignoreEchoes = QStringLiteral("echo 1 > /proc/sys/net/ipv4/icmp_echo_ignore_all");
    const QString allowDatagram = QStringLiteral("echo '0 0' > /proc/sys/net/ipv4/ping_group_range");
    QTest::newRow("unanswered") << ignoreEchoes << IcmpPinger::Method::Automatic << QByteArray("no reply");
    QTest::newRow("unanswered, datagram socket")
        << allowDatagram + QStringLiteral(" && ") + ignoreEchoes << IcmpPinger::Method::DatagramSocket << QByteArray("no reply");
    QTest::newRow("answered, datagram socket")
        << allowDatagram << IcmpPinger::Method::DatagramSocket << QByteArray("reply");
}

void TestPinger::realEchoInPrivateNetwork()
{
    // A private network namespace set up as asked; the echo runs in it through this
    // executable's --echo mode, so no packet leaves the machine.
    QFETCH(QString, setup);
    QFETCH(IcmpPinger::Method, method);
    QFETCH(QByteArray, outcome);
    if (QSysInfo::productType() == u"windows")
        QSKIP("network namespaces are Linux's");
    QProcess child;
    child.start(QStringLiteral("unshare"),
                {QStringLiteral("-rn"), QStringLiteral("sh"), QStringLiteral("-c"),
                 QStringLiteral("ip link set lo up && %1 || exit 77; exec \"$0\" --echo 127.0.0.1 %2")
                     .arg(setup)
                     .arg(int(method)),
                 QCoreApplication::applicationFilePath()});
    QVERIFY2(child.waitForFinished(kPatienceMs), qPrintable(processReport(child)));
    if (child.exitStatus() != QProcess::NormalExit)
        QSKIP("no private network namespace here");
    const QByteArray out = child.readAllStandardOutput().trimmed();
    if (child.exitCode() != 0 || out.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no private network namespace here: %1")
                             .arg(QString::fromLocal8Bit(child.readAllStandardError()))));
    QCOMPARE(out, outcome);
}

// `--echo ADDRESS METHOD` sends one real echo and prints its outcome; the namespace test runs it.
int main(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "--echo") == 0) {
        QCoreApplication app(argc, argv);
        IcmpPinger pinger(IcmpPinger::Method(std::atoi(argv[3])));
        QString error;
        const Outcome outcome = pinger.echo(QString::fromLocal8Bit(argv[2]), argv[2], kReplyTimeoutMs, &error);
        std::puts(outcome == Outcome::Reply     ? "reply"
                  : outcome == Outcome::NoReply ? "no reply"
                                                : qPrintable(QStringLiteral("error: ") + error));
        return 0;
    }
    QApplication app(argc, argv);
    TestPinger test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_pinger.moc"
