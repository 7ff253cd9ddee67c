// The host link: event bus -> message manager -> file logger.

#include "filelogger.h"
#include "messagemanager.h"
#include "testenvironment.h"
#include "zreventbus.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <thread>

namespace
{

/// Keeps every message it is handed, for checks on order and content.
class RecordingLogger : public IMessageLogger
{
public:
    struct Entry
    {
        int drawType;
        std::string text;
        bool flag;
    };
    void log(int drawType, const std::string& text, bool flag) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        entries.push_back({drawType, text, flag});
    }
    std::vector<Entry> snapshot()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return entries;
    }
    std::mutex mutex;
    std::vector<Entry> entries;
};

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    while (!file.atEnd())
        lines.append(QString::fromUtf8(file.readLine()).chopped(1));
    return lines;
}

} // namespace

class TestHostLink : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void messagesFromTwoThreadsReachTheLogInOrder();
    void drawTypeFlagAndTextSurvive();
    void wireFrameLayout();
    void refusedConnectionLosesOnlyThatMessage();
    void managerRestartIsFollowed();
    void rotationKeepsTenFiles();
    void severityFilters();
    void logLocationIsCreated();

private:
    std::unique_ptr<TestEnvironment> m_environment;
};

void TestHostLink::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
}

void TestHostLink::messagesFromTwoThreadsReachTheLogInOrder()
{
    const QString location = m_environment->makeFolder("two-threads");
    constexpr int kPerThread = 5000;
    auto fileLogger = std::make_shared<logger::FileLogger>(location, "Velostrat-OpenWorks", logger::eTrace, 10, 5);
    {
        auto manager = std::make_unique<MessageManager>();
        manager->addLogger(fileLogger);
        QVERIFY(manager->startListen());
        QVERIFY(manager->getNumPort() != 0);
        auto bus = std::make_unique<ZREventBus>(manager->getNumPort());
        bus->setMutex(manager->getMutex());

        std::atomic<int> failures{0};
        auto sender = [&failures](int thread) {
            for (int i = 0; i < kPerThread; ++i) {
                const std::string text = "thread " + std::to_string(thread) + " message " + std::to_string(i);
                if (!ZREventBus::sendMessage(thread == 0 ? eDrawInformation : eDrawCallTrace, text, false))
                    ++failures;
            }
        };
        std::thread first(sender, 0);
        std::thread second(sender, 1);
        first.join();
        second.join();
        QCOMPARE(failures.load(), 0);
        // The bus goes first, as at shut-down; the manager then reads to the end.
        bus.reset();
        manager.reset();
    }

    const QStringList lines = readLines(fileLogger->currentFilePath());
    QCOMPARE(lines.size(), 2 * kPerThread);
    int next[2] = {0, 0};
    const QRegularExpression pattern(QStringLiteral(
        R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\t([03])\tthread ([01]) message (\d+)$)"));
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = pattern.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        const int thread = match.captured(2).toInt();
        QCOMPARE(match.captured(1).toInt(), thread == 0 ? 0 : 3);
        QCOMPARE(match.captured(3).toInt(), next[thread]);
        ++next[thread];
    }
    QCOMPARE(next[0], kPerThread);
    QCOMPARE(next[1], kPerThread);
}

void TestHostLink::drawTypeFlagAndTextSurvive()
{
    auto recorder = std::make_shared<RecordingLogger>();
    auto manager = std::make_unique<MessageManager>();
    manager->addLogger(recorder);
    QVERIFY(manager->startListen());
    auto bus = std::make_unique<ZREventBus>(manager->getNumPort());
    bus->setMutex(manager->getMutex());

    const QString unicode = QString::fromUtf8("Données sismiques \xE2\x86\x92 OpenWorks\xC2\xAE");
    QVERIFY(ZREventBus::sendMessage(eDrawFileError, unicode, true));
    QVERIFY(ZREventBus::sendMessage(eDrawStatus, "line one\n\tline two", false));
    QVERIFY(ZREventBus::sendMessage(eDrawError, std::string(), false));
    QVERIFY(ZREventBus::sendMessage(eDrawError, static_cast<const char*>(nullptr), false));
    bus.reset();
    manager.reset();

    const auto entries = recorder->snapshot();
    QCOMPARE(int(entries.size()), 4);
    QCOMPARE(entries[0].drawType, 2);
    QVERIFY(entries[0].flag);
    QCOMPARE(QString::fromStdString(entries[0].text), unicode);
    QCOMPARE(entries[1].drawType, 4);
    QVERIFY(!entries[1].flag);
    QCOMPARE(entries[1].text, std::string("line one\n\tline two"));
    QVERIFY(entries[2].text.empty());
    QVERIFY(entries[3].text.empty());

    // One line per message in the file, whatever the text holds.
    const QString location = m_environment->makeFolder("escape");
    logger::FileLogger fileLogger(location, "escape", logger::eTrace, 10, 5);
    fileLogger.log(4, "line one\n\tline two", false);
    const QStringList lines = readLines(fileLogger.currentFilePath());
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines[0].endsWith(QStringLiteral("\t4\tline one\\n\\tline two")));
}

void TestHostLink::wireFrameLayout()
{
    // A raw server stands for the manager: the frame must be length (LE, two
    // header bytes plus text), draw type, flag, UTF-8 text.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    ZREventBus bus(server.serverPort());
    std::thread sender([] { ZREventBus::sendMessage(eDrawCallTrace, QStringLiteral("é"), true); });
    QVERIFY(server.waitForNewConnection(5000));
    QTcpSocket* socket = server.nextPendingConnection();
    sender.join();
    QByteArray bytes;
    while (bytes.size() < 8 && socket->waitForReadyRead(5000))
        bytes += socket->readAll();
    const QByteArray expected("\x04\x00\x00\x00\x03\x01\xC3\xA9", 8);
    QCOMPARE(bytes, expected);
}

void TestHostLink::refusedConnectionLosesOnlyThatMessage()
{
    // A port nobody listens on (taken, then freed).
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    ZREventBus bus(port);
    QVERIFY(!ZREventBus::sendMessage(eDrawInformation, "lost", false));

    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, port));
    bool sent = false;
    std::thread sender([&sent] { sent = ZREventBus::sendMessage(eDrawInformation, "kept", false); });
    QVERIFY(server.waitForNewConnection(5000));
    QTcpSocket* socket = server.nextPendingConnection();
    sender.join();
    QVERIFY(sent);
    QByteArray bytes;
    while (bytes.size() < 10 && socket->waitForReadyRead(5000))
        bytes += socket->readAll();
    QCOMPARE(bytes.mid(6), QByteArray("kept"));
}

void TestHostLink::managerRestartIsFollowed()
{
    auto recorder = std::make_shared<RecordingLogger>();
    quint16 port = 0;
    {
        MessageManager first;
        first.addLogger(recorder);
        QVERIFY(first.startListen());
        port = first.getNumPort();
        ZREventBus bus(port);
        QVERIFY(ZREventBus::sendMessage(eDrawInformation, "to the first manager", false));
    }
    // Sends after the bus is gone are dropped, not queued.
    QVERIFY(!ZREventBus::sendMessage(eDrawInformation, "nobody", false));
    QCOMPARE(int(recorder->snapshot().size()), 1);

    MessageManager second;
    second.addLogger(recorder);
    QVERIFY(second.startListen());
    {
        ZREventBus bus(second.getNumPort());
        QVERIFY(ZREventBus::sendMessage(eDrawInformation, "to the second manager", false));
    }
    QTRY_COMPARE(int(recorder->snapshot().size()), 2);
    QCOMPARE(recorder->snapshot()[1].text, std::string("to the second manager"));
}

void TestHostLink::rotationKeepsTenFiles()
{
    const QString location = m_environment->makeFolder("rotation");
    logger::FileLogger fileLogger(location, "Velostrat-OpenWorks", logger::eTrace, 10, 1);
    // About 14 MiB of numbered lines through a 1 MiB limit.
    const std::string padding(200, 'x');
    constexpr int kMessages = 70000;
    for (int i = 0; i < kMessages; ++i)
        fileLogger.log(0, std::to_string(i) + " " + padding, false);

    const QStringList files = QDir(location).entryList(QDir::Files, QDir::Name);
    QCOMPARE(files.size(), 10);
    QVERIFY(files.contains("Velostrat-OpenWorks.log"));
    for (int index = 1; index <= 9; ++index)
        QVERIFY2(files.contains(QStringLiteral("Velostrat-OpenWorks.%1.log").arg(index)), qPrintable(files.join(",")));

    // From the oldest kept file to the current one the numbers run on without a gap,
    // and the last message is in the current file.
    int expected = -1;
    for (int index = 9; index >= 0; --index) {
        const QString path = index == 0 ? fileLogger.currentFilePath() : fileLogger.rotatedFilePath(index);
        QVERIFY(QFileInfo(path).size() <= 1024 * 1024);
        for (const QString& line : readLines(path)) {
            const int number = line.section('\t', 2).section(' ', 0, 0).toInt();
            if (expected == -1)
                expected = number;
            QCOMPARE(number, expected);
            ++expected;
        }
    }
    QCOMPARE(expected, kMessages);
}

void TestHostLink::severityFilters()
{
    const QString location = m_environment->makeFolder("severity");
    logger::FileLogger fileLogger(location, "errors", logger::eError, 10, 5);
    fileLogger.log(0, "information", false);
    fileLogger.log(3, "trace", false);
    fileLogger.log(1, "error", false);
    fileLogger.log(2, "file error", false);
    const QStringList lines = readLines(fileLogger.currentFilePath());
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].endsWith("\t1\terror"));
    QVERIFY(lines[1].endsWith("\t2\tfile error"));
}

void TestHostLink::logLocationIsCreated()
{
    const QString location = m_environment->root() + "/not/yet/there";
    logger::FileLogger fileLogger(location, "Velostrat-OpenWorks", logger::eTrace, 10, 5);
    fileLogger.log(0, "first", false);
    QVERIFY(QFile::exists(location + "/Velostrat-OpenWorks.log"));
}

QTEST_GUILESS_MAIN(TestHostLink)
#include "tst_hostlink.moc"
