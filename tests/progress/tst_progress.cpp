// The progress-bar manager, headless and with its progress windows.

#include "iconxpmhandler.h"
#include "testenvironment.h"
#include "zrprogressbar.h"
#include "zrprogressbarfactory.h"
#include "zrprogressbarmgr.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <thread>

class TestProgress : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void idsAreUniqueWhileOpen();
    void cancelIsStickyUntilClose();
    void subBarsFollowTheirTopLevelAndAreCapped();
    void unknownIdsChangeNothing();
    void closingTopLevelClosesItsSubBars();
    void guardClosesOnEveryPath();

    void windowShowsTitleAndMainBar();
    void nonCancellableBarHasDisabledCancel();
    void subProgressExpandsInfoAndIsCapped();
    void cancelKeepsWindowOpen();
    void titleBarCloseCancelsAndCloses();
    void ownerCloseClosesWithoutCancel();
    void infoButtonToggles();
    void workerThreadsDriveSubBars();

private:
    ZRProgressBar* windowOf(int id) const;

    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<ZRProgressBarFactory> m_factory;
};

void TestProgress::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    iconHandler = new IconXPMHandler;
    m_factory = std::make_unique<ZRProgressBarFactory>();
}

void TestProgress::cleanup()
{
    zrProgressBarMgr->setProgressBarFactory(nullptr);
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
}

ZRProgressBar* TestProgress::windowOf(int id) const
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<ZRProgressBar*>(widget);
        if (window && window->topLevelId() == id && window->isVisible())
            return window;
    }
    return nullptr;
}

void TestProgress::idsAreUniqueWhileOpen()
{
    QSet<int> ids;
    QList<int> open;
    for (int i = 0; i < 20; ++i) {
        const int id = zrProgressBarMgr->createProgressBar(10, "bar", open.isEmpty() ? -1 : open.first(), true, false);
        QVERIFY(id != -1);
        QVERIFY(!ids.contains(id));
        ids.insert(id);
        open.append(id);
    }
    zrProgressBarMgr->closeProgressBar(open.first());
    QCOMPARE(zrProgressBarMgr->openCount(), 0);
}

void TestProgress::cancelIsStickyUntilClose()
{
    const int id = zrProgressBarMgr->createProgressBar(3, "sticky", -1, true, false);
    QVERIFY(!zrProgressBarMgr->isProgressBarCancelled(id));
    zrProgressBarMgr->cancelProgressBar(id);
    for (int i = 0; i < 3; ++i) {
        zrProgressBarMgr->incrementProgressBar(id, 1);
        QVERIFY(zrProgressBarMgr->isProgressBarCancelled(id));
    }
    zrProgressBarMgr->initializeProgressBar(id, 5, "restarted", false);
    QVERIFY(zrProgressBarMgr->isProgressBarCancelled(id));
    zrProgressBarMgr->closeProgressBar(id);
    QVERIFY(!zrProgressBarMgr->isProgressBarCancelled(id));

    const int next = zrProgressBarMgr->createProgressBar(3, "fresh", -1, true, false);
    QVERIFY(!zrProgressBarMgr->isProgressBarCancelled(next));
    zrProgressBarMgr->closeProgressBar(next);
}

void TestProgress::subBarsFollowTheirTopLevelAndAreCapped()
{
    const int top = zrProgressBarMgr->createProgressBar(2, "top", -1, true, false);
    const int sub = zrProgressBarMgr->createProgressBar(4, "sub", top, false, false);
    const int subSub = zrProgressBarMgr->createProgressBar(1, "sub of sub", sub, true, false);
    for (int i = 0; i < 7; ++i)
        zrProgressBarMgr->incrementProgressBar(sub, 1);
    QCOMPARE(zrProgressBarMgr->value(sub), 4);
    zrProgressBarMgr->incrementProgressBar(top, 1);
    QCOMPARE(zrProgressBarMgr->value(top), 1);

    zrProgressBarMgr->cancelProgressBar(top);
    QVERIFY(zrProgressBarMgr->isProgressBarCancelled(sub));
    QVERIFY(zrProgressBarMgr->isProgressBarCancelled(subSub));
    zrProgressBarMgr->closeProgressBar(top);
}

void TestProgress::unknownIdsChangeNothing()
{
    const int id = zrProgressBarMgr->createProgressBar(5, "known", -1, true, false);
    zrProgressBarMgr->incrementProgressBar(id + 1000, 1);
    zrProgressBarMgr->cancelProgressBar(id + 1000);
    zrProgressBarMgr->closeProgressBar(id + 1000);
    QCOMPARE(zrProgressBarMgr->createProgressBar(1, "orphan", id + 1000, true, false), -1);
    QCOMPARE(zrProgressBarMgr->openCount(), 1);
    QCOMPARE(zrProgressBarMgr->value(id), 0);
    QVERIFY(!zrProgressBarMgr->isProgressBarCancelled(id));
    zrProgressBarMgr->closeProgressBar(id);
}

void TestProgress::closingTopLevelClosesItsSubBars()
{
    const int top = zrProgressBarMgr->createProgressBar(2, "top", -1, true, false);
    const int sub = zrProgressBarMgr->createProgressBar(4, "sub", top, true, false);
    const int other = zrProgressBarMgr->createProgressBar(4, "other", -1, true, false);
    zrProgressBarMgr->closeProgressBar(top);
    QVERIFY(!zrProgressBarMgr->isOpen(sub));
    QVERIFY(zrProgressBarMgr->isOpen(other));
    zrProgressBarMgr->closeProgressBar(other);
}

void TestProgress::guardClosesOnEveryPath()
{
    int seen = -1;
    auto work = [&seen](bool failEarly) {
        ZRProgressBarGuard guard(4, "guarded");
        seen = guard.id();
        if (failEarly)
            return false;
        guard.increment();
        return true;
    };
    QVERIFY(!work(true));
    QVERIFY(!zrProgressBarMgr->isOpen(seen));
    QVERIFY(work(false));
    QVERIFY(!zrProgressBarMgr->isOpen(seen));
}

void TestProgress::windowShowsTitleAndMainBar()
{
    zrProgressBarMgr->setProgressBarFactory(m_factory.get());
    const int id = zrProgressBarMgr->createProgressBar(7, "Importing surveys", -1, true, false);
    ZRProgressBar* window = windowOf(id);
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Process running..."));
    QCOMPARE(window->titleLabel()->text(), QStringLiteral("<b>Importing surveys</b>"));
    QCOMPARE(window->windowModality(), Qt::ApplicationModal);
    QCOMPARE(window->mainBar()->maximum(), 7);
    QCOMPARE(window->mainBar()->value(), 0);
    QVERIFY(window->cancelButton()->isEnabled());
    QVERIFY(!window->tree()->isVisible());
    zrProgressBarMgr->incrementProgressBar(id, 1);
    zrProgressBarMgr->incrementProgressBar(id, 1);
    QCOMPARE(window->mainBar()->value(), 2);
    zrProgressBarMgr->initializeProgressBar(id, 3, "Second pass", false);
    QCOMPARE(window->mainBar()->maximum(), 3);
    QCOMPARE(window->mainBar()->value(), 0);
    QCOMPARE(window->titleLabel()->text(), QStringLiteral("<b>Second pass</b>"));
    QPointer<ZRProgressBar> watched(window);
    zrProgressBarMgr->closeProgressBar(id);
    QTRY_VERIFY(watched.isNull());
}

void TestProgress::nonCancellableBarHasDisabledCancel()
{
    zrProgressBarMgr->setProgressBarFactory(m_factory.get());
    const int id = zrProgressBarMgr->createProgressBar(2, "Saving", -1, false, false);
    ZRProgressBar* window = windowOf(id);
    QVERIFY(window);
    QVERIFY(!window->cancelButton()->isEnabled());
    zrProgressBarMgr->closeProgressBar(id);
}

void TestProgress::subProgressExpandsInfoAndIsCapped()
{
    zrProgressBarMgr->setProgressBarFactory(m_factory.get());
    const int id = zrProgressBarMgr->createProgressBar(2, "Wells", -1, true, false);
    ZRProgressBar* window = windowOf(id);
    QVERIFY(window);
    QCOMPARE(window->infoButton()->text(), QStringLiteral("More Info"));

    const int sub = zrProgressBarMgr->createProgressBar(3, "Logs", id, true, false);
    QVERIFY(window->infoButton()->isChecked());
    QCOMPARE(window->infoButton()->text(), QStringLiteral("Hide Info"));
    QCOMPARE(window->infoButton()->arrowType(), Qt::DownArrow);
    QVERIFY(window->tree()->isVisible());
    QTreeWidgetItem* item = window->itemOf(sub);
    QVERIFY(item);
    QCOMPARE(item->text(0), QStringLiteral("Logs"));
    QCOMPARE(window->tree()->topLevelItemCount(), 1);

    const int nested = zrProgressBarMgr->createProgressBar(1, "Curve", sub, true, false);
    QCOMPARE(window->itemOf(nested)->parent(), item);

    for (int i = 0; i < 5; ++i)
        zrProgressBarMgr->incrementProgressBar(sub, 1);
    QCOMPARE(item->data(1, ZRProgressBar::ValueRole).toInt(), 3);

    zrProgressBarMgr->closeProgressBar(sub);
    QVERIFY(!window->itemOf(sub));
    QVERIFY(!window->itemOf(nested));
    QCOMPARE(window->tree()->topLevelItemCount(), 0);
    zrProgressBarMgr->closeProgressBar(id);
}

void TestProgress::cancelKeepsWindowOpen()
{
    zrProgressBarMgr->setProgressBarFactory(m_factory.get());
    const int id = zrProgressBarMgr->createProgressBar(5, "Cancel me", -1, true, false);
    ZRProgressBar* window = windowOf(id);
    QVERIFY(window);
    QTest::mouseClick(window->cancelButton(), Qt::LeftButton);
    QVERIFY(zrProgressBarMgr->isProgressBarCancelled(id));
    QCoreApplication::processEvents();
    QVERIFY(window->isVisible());
    QPointer<ZRProgressBar> watched(window);
    zrProgressBarMgr->closeProgressBar(id);
    QTRY_VERIFY(watched.isNull());
}

void TestProgress::titleBarCloseCancelsAndCloses()
{
    zrProgressBarMgr->setProgressBarFactory(m_factory.get());
    const int id = zrProgressBarMgr->createProgressBar(5, "Close me", -1, true, false);
    const int sub = zrProgressBarMgr->createProgressBar(5, "Sub", id, true, false);
    QPointer<ZRProgressBar> window(windowOf(id));
    QVERIFY(window);
    // What the title bar's close button does: a close that the owner did not ask for.
    QVERIFY(window->QWidget::close());
    QTRY_VERIFY(window.isNull());
    QVERIFY(zrProgressBarMgr->isProgressBarCancelled(id));
    QVERIFY(zrProgressBarMgr->isProgressBarCancelled(sub));
    // The owner still drives and closes its bar; nothing reaches the gone window.
    zrProgressBarMgr->incrementProgressBar(sub, 1);
    zrProgressBarMgr->incrementProgressBar(id, 1);
    zrProgressBarMgr->closeProgressBar(id);
    QVERIFY(!zrProgressBarMgr->isOpen(id));
}

void TestProgress::ownerCloseClosesWithoutCancel()
{
    zrProgressBarMgr->setProgressBarFactory(m_factory.get());
    const int id = zrProgressBarMgr->createProgressBar(1, "Done", -1, true, false);
    QPointer<ZRProgressBar> window(windowOf(id));
    QVERIFY(window);
    zrProgressBarMgr->incrementProgressBar(id, 1);
    QVERIFY(!zrProgressBarMgr->isProgressBarCancelled(id));
    zrProgressBarMgr->closeProgressBar(id);
    QTRY_VERIFY(window.isNull());
}

void TestProgress::infoButtonToggles()
{
    zrProgressBarMgr->setProgressBarFactory(m_factory.get());
    const int id = zrProgressBarMgr->createProgressBar(1, "Toggle", -1, true, false);
    ZRProgressBar* window = windowOf(id);
    QVERIFY(window);
    QTest::mouseClick(window->infoButton(), Qt::LeftButton);
    QVERIFY(window->tree()->isVisible());
    QCOMPARE(window->infoButton()->text(), QStringLiteral("Hide Info"));
    QTest::mouseClick(window->infoButton(), Qt::LeftButton);
    QVERIFY(!window->tree()->isVisible());
    QCOMPARE(window->infoButton()->text(), QStringLiteral("More Info"));
    QCOMPARE(window->infoButton()->arrowType(), Qt::RightArrow);
    zrProgressBarMgr->closeProgressBar(id);
}

void TestProgress::workerThreadsDriveSubBars()
{
    zrProgressBarMgr->setProgressBarFactory(m_factory.get());
    const int id = zrProgressBarMgr->createProgressBar(2, "Reading", -1, true, false);
    ZRProgressBar* window = windowOf(id);
    QVERIFY(window);
    int subs[2] = {-1, -1};
    auto work = [id, &subs](int index) {
        subs[index] = zrProgressBarMgr->createProgressBar(100, QStringLiteral("Loader %1").arg(index), id, true, false);
        for (int i = 0; i < 150; ++i)
            zrProgressBarMgr->incrementProgressBar(subs[index], 1);
        zrProgressBarMgr->incrementProgressBar(id, 1);
    };
    std::thread first(work, 0);
    std::thread second(work, 1);
    first.join();
    second.join();
    QVERIFY(subs[0] != subs[1]);
    QCOMPARE(zrProgressBarMgr->value(subs[0]), 100);
    QCOMPARE(zrProgressBarMgr->value(id), 2);
    // The window catches up on its own thread.
    QTRY_VERIFY(window->itemOf(subs[0]) && window->itemOf(subs[1]));
    QTRY_COMPARE(window->itemOf(subs[1])->data(1, ZRProgressBar::ValueRole).toInt(), 100);
    QCOMPARE(window->mainBar()->value(), 2);
    zrProgressBarMgr->closeProgressBar(id);
}

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
