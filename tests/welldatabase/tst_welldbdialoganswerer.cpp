// The real dialogs of the well database: the update question answers with the
// button the user presses; the warning shows its title and text.

#include "testenvironment.h"
#include "zrwelldbdialoganswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace
{
/// Presses the button of that text on the next message box shown, recording the box's title and text.
void pressOnNextBox(const QString& buttonText, QString* title, QString* text)
{
    QTimer::singleShot(0, [=] {
        QMessageBox* box = nullptr;
        const bool shown = QTest::qWaitFor([&] {
            box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            return box != nullptr;
        });
        if (!shown || !box)
            return;
        *title = box->windowTitle();
        *text = box->text();
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == buttonText) {
                button->click();
                return;
            }
        }
        box->close();
    });
}
} // namespace

class TestWellDbDialogAnswerer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void updateQuestion_data();
    void updateQuestion();
    void warning();
    void installBecomesDefault();

private:
    std::unique_ptr<TestEnvironment> m_environment;
};

void TestWellDbDialogAnswerer::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
}

void TestWellDbDialogAnswerer::updateQuestion_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("answer");
    QTest::newRow("Update") << "Update" << true;
    QTest::newRow("Skip") << "Skip" << false;
}

void TestWellDbDialogAnswerer::updateQuestion()
{
    QFETCH(QString, button);
    QFETCH(bool, answer);
    ZRWellDbDialogAnswerer answerer;
    QString title;
    QString text;
    pressOnNextBox(button, &title, &text);
    QCOMPARE(answerer.askStructureUpdate(QStringLiteral("North <Sea>")), answer);
    QCOMPARE(title, QStringLiteral("Velostrat Well database update"));
    QVERIFY2(text.startsWith(QStringLiteral("<b>North &lt;Sea&gt;</b>")), qPrintable(text));
    for (const QString& sentence :
         {QStringLiteral("The Velostrat well database structure has been upgraded, consequently the project well "
                         "database requires an update."),
          QStringLiteral("Once updated, the wells may no longer be usable with older Velostrat versions."),
          QStringLiteral("By skipping the update, the well data will not be loaded.")})
        QVERIFY2(text.contains(sentence), qPrintable(sentence));
}

void TestWellDbDialogAnswerer::warning()
{
    ZRWellDbDialogAnswerer answerer;
    QString title;
    QString text;
    pressOnNextBox(QStringLiteral("OK"), &title, &text);
    answerer.showWarning(QStringLiteral("Sql drivers unavailable"), QStringLiteral("Database driver is missing. "));
    QCOMPARE(title, QStringLiteral("Sql drivers unavailable"));
    QCOMPARE(text, QStringLiteral("Database driver is missing. "));
}

void TestWellDbDialogAnswerer::installBecomesDefault()
{
    ZRWellDbDialogAnswerer::install();
    QVERIFY(std::dynamic_pointer_cast<ZRWellDbDialogAnswerer>(ZRWellDbAnswerer::defaultAnswerer()));
    ZRWellDbAnswerer::setDefaultAnswerer(nullptr);
    QVERIFY(std::dynamic_pointer_cast<ZRWellDbHeadlessAnswerer>(ZRWellDbAnswerer::defaultAnswerer()));
}

QTEST_MAIN(TestWellDbDialogAnswerer)
#include "tst_welldbdialoganswerer.moc"
