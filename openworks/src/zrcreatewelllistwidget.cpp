#include "zrcreatewelllistwidget.h"

#include "owguards.h"
#include "owwelllists.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

ZRCreateWellListWidget::ZRCreateWellListWidget(QWidget* covered)
    : vsWidgets::OverlayWidget(covered)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setPosition(Top);
    setAnimationDuration(300);
    setAlphaValue(170);

    m_titleLabel = new QLabel(QStringLiteral("Create Well List"), this);
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() + 2);
    m_titleLabel->setFont(titleFont);
    m_titleLabel->setStyleSheet(QStringLiteral("color: white"));
    m_closeButton = new QToolButton(this);
    m_closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_closeButton->setStyleSheet(QStringLiteral("border: none; color: white"));
    m_closeButton->setCursor(Qt::PointingHandCursor);
    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::close);
    auto* title = new QHBoxLayout;
    title->addWidget(m_titleLabel, 1);
    title->addWidget(m_closeButton, 0, Qt::AlignRight | Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(title);

    QStringList interpreters;
    const int status = owwelllists::activeProjectInterpreters(&interpreters);
    if (status != 0) {
        QMessageBox::information(covered, QStringLiteral("Error"),
                                 QStringLiteral("Unable to query list of interpreters from OpenWorks® database"));
        layout->addStretch(1);
        return;
    }
    buildForm(interpreters);
}

void ZRCreateWellListWidget::buildForm(const QStringList& interpreters)
{
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setPlaceholderText(QStringLiteral("Enter new Well List name..."));
    m_interpreterCombo = new QComboBox(this);
    m_interpreterCombo->addItem(QStringLiteral("-- Select Interpreter --"));
    // The prompt cannot be chosen.
    if (auto* items = qobject_cast<QStandardItemModel*>(m_interpreterCombo->model()))
        items->item(0)->setFlags(items->item(0)->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
    m_interpreterCombo->addItems(interpreters);
    m_createButton = new QPushButton(QStringLiteral("Create"), this);
    m_createButton->setEnabled(false);
    m_assignToAll = new QCheckBox(QStringLiteral("Assign to all new wells"), this);
    m_assignToAll->setStyleSheet(QStringLiteral("color: white"));

    auto* nameLabel = new QLabel(QStringLiteral("Name:"), this);
    auto* interpreterLabel = new QLabel(QStringLiteral("Interpreter:"), this);
    for (QLabel* label : {nameLabel, interpreterLabel}) {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setStyleSheet(QStringLiteral("color: white"));
    }
    auto* form = new QGridLayout;
    form->addWidget(nameLabel, 0, 0);
    form->addWidget(m_nameEdit, 0, 1);
    form->addWidget(interpreterLabel, 1, 0);
    form->addWidget(m_interpreterCombo, 1, 1);
    form->addWidget(m_createButton, 2, 0);
    form->addWidget(m_assignToAll, 2, 1);
    layout->addLayout(form);
    layout->addStretch(1);

    connect(m_nameEdit, &QLineEdit::textChanged, this, &ZRCreateWellListWidget::updateCreateButton);
    connect(m_interpreterCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ZRCreateWellListWidget::updateCreateButton);
    connect(m_createButton, &QPushButton::clicked, this, &ZRCreateWellListWidget::create);
}

bool ZRCreateWellListWidget::assignToAll() const
{
    return m_assignToAll && m_assignToAll->isChecked();
}

void ZRCreateWellListWidget::updateCreateButton()
{
    m_createButton->setEnabled(!m_nameEdit->text().isEmpty() && m_interpreterCombo->currentIndex() > 0);
}

void ZRCreateWellListWidget::create()
{
    const QString name = owwelllists::listNameFor(m_nameEdit->text());
    const QString interpreter = m_interpreterCombo->currentText();
    const int status = owwelllists::createWellList(name, interpreter);
    if (status != 0) {
        QMessageBox::information(this, QStringLiteral("Well List Creation Error"), owErrorText(status));
        return;
    }
    m_createdName = name;
    m_createdInterpreter = interpreter;
    emit wellListCreated();
    close();
}
