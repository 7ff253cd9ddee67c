#include "zropenworkswellerrorsdialog.h"

#include "iconxpmhandler.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

ZROpenworksWellErrorsDialog::ZROpenworksWellErrorsDialog(const WellProblemList& problems, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Well Transfer - Problems"));
    if (iconHandler)
        setWindowIcon(iconHandler->pixmap(QStringLiteral("openworks24")));

    auto* label = new QLabel(QStringLiteral("<b>Some problems were encountered during the transfer.</b>"), this);
    label->setWordWrap(true);

    m_tree = new QTreeWidget(this);
    m_tree->setColumnCount(1);
    m_tree->setHeaderLabels({QStringLiteral("Problems")});
    m_tree->setSortingEnabled(false);
    for (const auto& problem : problems) {
        auto* wellItem = new QTreeWidgetItem(m_tree, {problem.first});
        for (const QString& message : problem.second)
            new QTreeWidgetItem(wellItem, {message});
        wellItem->setExpanded(true);
    }

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_tree);
    layout->addWidget(m_okButton, 1, Qt::AlignRight);
    setMinimumSize(500, 300);
}
