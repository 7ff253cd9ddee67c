// The well transfer problems dialog: its parts, the tree of wells and their
// messages in the given order, and its way out, also as the window's user
// interface shows it (a modal dialog answered by a timer).

#include "iconxpmhandler.h"
#include "zrdialogexchangeui.h"
#include "zropenworkswellerrorsdialog.h"

#include <QApplication>
#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

namespace
{

/// The tree as "well: message | message" lines (an expanded flag per well).
QStringList treeLines(const QTreeWidget* tree, bool* allExpanded)
{
    QStringList lines;
    *allExpanded = true;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* well = tree->topLevelItem(i);
        QStringList messages;
        for (int c = 0; c < well->childCount(); ++c) {
            messages.append(well->child(c)->text(0));
            if (well->child(c)->childCount() != 0)
                messages.append(QStringLiteral("(nested)"));
        }
        lines.append(well->text(0) + QStringLiteral(": ") + messages.join(QStringLiteral(" | ")));
        *allExpanded = *allExpanded && well->isExpanded();
    }
    return lines;
}

const WellProblemList kProblems = {
    {QStringLiteral("NS-30"), {QStringLiteral("No Log Curves found"), QStringLiteral("No Position Log found")}},
    {QStringLiteral("FT-01"), {}},
    {QStringLiteral("AB-02"), {QStringLiteral("A well with this name already exists in the current Velostrat project")}},
    {QStringLiteral("AB-02"), {QStringLiteral("second entry of the same label")}}};

const QStringList kLines = {
    QStringLiteral("NS-30: No Log Curves found | No Position Log found"), QStringLiteral("FT-01: "),
    QStringLiteral("AB-02: A well with this name already exists in the current Velostrat project"),
    QStringLiteral("AB-02: second entry of the same label")};

} // namespace

class TestWellErrorsDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void parts();
    void wellsInTheGivenOrder();
    void okAcceptsAndClosingEnds();
    void shownByTheWindowsUserInterface();
};

void TestWellErrorsDialog::initTestCase()
{
    if (!iconHandler)
        iconHandler = new IconXPMHandler;
}

void TestWellErrorsDialog::parts()
{
    ZROpenworksWellErrorsDialog dialog(kProblems, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Well Transfer - Problems"));
    QVERIFY(!dialog.windowIcon().isNull());
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels[0]->text(), QStringLiteral("<b>Some problems were encountered during the transfer.</b>"));
    QVERIFY(labels[0]->wordWrap());
    QCOMPARE(dialog.tree()->columnCount(), 1);
    QCOMPARE(dialog.tree()->headerItem()->text(0), QStringLiteral("Problems"));
    QCOMPARE(dialog.okButton()->text(), QStringLiteral("OK"));
    QCOMPARE(dialog.minimumSize(), QSize(500, 300));
    // Label, tree, then the OK button at the right.
    auto* layout = qobject_cast<QBoxLayout*>(dialog.layout());
    QVERIFY(layout);
    QCOMPARE(layout->count(), 3);
    QCOMPARE(layout->itemAt(0)->widget(), static_cast<QWidget*>(labels[0]));
    QCOMPARE(layout->itemAt(1)->widget(), static_cast<QWidget*>(dialog.tree()));
    QCOMPARE(layout->itemAt(2)->widget(), static_cast<QWidget*>(dialog.okButton()));
    QCOMPARE(layout->itemAt(2)->alignment(), Qt::AlignRight);
    QCOMPARE(layout->stretch(2), 1);
}

void TestWellErrorsDialog::wellsInTheGivenOrder()
{
    ZROpenworksWellErrorsDialog dialog(kProblems, nullptr);
    dialog.show();
    bool expanded = false;
    QCOMPARE(treeLines(dialog.tree(), &expanded), kLines);
    QVERIFY(expanded);
    QVERIFY(!dialog.tree()->isSortingEnabled());
    // A well with no message is a well without children.
    QCOMPARE(dialog.tree()->topLevelItem(1)->childCount(), 0);
    ZROpenworksWellErrorsDialog empty(WellProblemList(), nullptr);
    QCOMPARE(empty.tree()->topLevelItemCount(), 0);
}

void TestWellErrorsDialog::okAcceptsAndClosingEnds()
{
    {
        ZROpenworksWellErrorsDialog dialog(kProblems, nullptr);
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.okButton()->click(); });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    }
    {
        ZROpenworksWellErrorsDialog dialog(kProblems, nullptr);
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.close(); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }
}

void TestWellErrorsDialog::shownByTheWindowsUserInterface()
{
    QWidget parent;
    parent.show();
    ZRDialogExchangeUi ui(&parent);
    QStringList seen;
    QString title;
    bool expanded = false;
    QWidget* dialogParent = nullptr;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<ZROpenworksWellErrorsDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = treeLines(dialog->tree(), &expanded);
        title = dialog->windowTitle();
        dialogParent = dialog->parentWidget();
        dialog->okButton()->click();
    });
    answerer.start(10);
    ui.showWellProblems(kProblems);
    answerer.stop();
    QCOMPARE(seen, kLines);
    QVERIFY(expanded);
    QCOMPARE(title, QStringLiteral("Well Transfer - Problems"));
    QCOMPARE(dialogParent, &parent);
}

QTEST_MAIN(TestWellErrorsDialog)
#include "tst_wellerrorsdialog.moc"
