// Qt's own diagnostics while the process objects live: they reach the host's
// event bus and the log as information (draw type 0), named as Qt's, never as
// the data link's errors (draw type 1).

#include "datalinkprocess.h"
#include "testenvironment.h"

#include <QApplication>
#include <QFile>
#include <QtTest>

#include <memory>

class TestQtMessages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void forwardedAsInformation_data();
    void forwardedAsInformation();
    void previousHandlerComesBack();

private:
    QString readLog() const;

    std::unique_ptr<TestEnvironment> m_environment;
    QString m_logs;
};

namespace
{
QStringList g_seenByPrevious;
void previousHandler(QtMsgType, const QMessageLogContext&, const QString& text)
{
    g_seenByPrevious << text;
}
} // namespace

void TestQtMessages::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
    m_logs = m_environment->makeFolder("logs");
}

QString TestQtMessages::readLog() const
{
    QFile log(m_logs + "/Velostrat-OpenWorks.log");
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(log.readAll());
}

void TestQtMessages::forwardedAsInformation_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("line");
    QTest::newRow("warning") << int(QtWarningMsg) << "\t0\tQt warning: QWidget::setTabOrder: probe %1";
    QTest::newRow("critical") << int(QtCriticalMsg) << "\t0\tQt critical: critical probe %1";
    QTest::newRow("info") << int(QtInfoMsg) << "\t0\tQt info: info probe %1";
}

void TestQtMessages::forwardedAsInformation()
{
    QFETCH(int, type);
    QFETCH(QString, line);
    static int serial = 0;
    const QString expected = line.arg(++serial);
    const QString text = expected.section('\t', 2).section(": ", 1);

    qInstallMessageHandler(previousHandler);
    {
        DataLinkProcess process(*qApp, 0, 0, m_logs);
        switch (QtMsgType(type)) {
        case QtWarningMsg:
            qWarning("%s", qPrintable(text));
            break;
        case QtCriticalMsg:
            qCritical("%s", qPrintable(text));
            break;
        default:
            qInfo("%s", qPrintable(text));
            break;
        }
        QTRY_VERIFY_WITH_TIMEOUT(readLog().contains(expected), 10000);
    }
    const QString log = readLog();
    QVERIFY2(!log.contains("\t1\tQt "), qPrintable(log));
    QVERIFY(!g_seenByPrevious.contains(text));
    qInstallMessageHandler(nullptr);
}

void TestQtMessages::previousHandlerComesBack()
{
    g_seenByPrevious.clear();
    qInstallMessageHandler(previousHandler);
    {
        DataLinkProcess process(*qApp, 0, 0, m_logs);
    }
    qWarning("after the process objects");
    QCOMPARE(g_seenByPrevious, QStringList{QStringLiteral("after the process objects")});
    qInstallMessageHandler(nullptr);
}

QTEST_MAIN(TestQtMessages)
#include "tst_qtmessages.moc"
