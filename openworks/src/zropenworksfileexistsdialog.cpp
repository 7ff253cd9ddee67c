#include "zropenworksfileexistsdialog.h"

#include "iconxpmhandler.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

ZROpenworksFileExistsDialog::ZROpenworksFileExistsDialog(const QFileInfo& existingFile, QWidget*)
    : QDialog(nullptr)
    , m_existingFile(existingFile)
    , m_baseName(existingFile.baseName())
    , m_folder(existingFile.absoluteDir())
{
    setWindowTitle(QStringLiteral("File Conflict"));
    if (iconHandler)
        setWindowIcon(iconHandler->pixmap(QStringLiteral("openworks24")));

    m_iconLabel = new QLabel(this);
    const QIcon information = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    const QList<QSize> sizes = information.availableSizes();
    m_iconLabel->setPixmap(information.pixmap(sizes.isEmpty() ? QSize(32, 32) : sizes.first()));

    m_messageLabel = new QLabel(
        QStringLiteral("A file named <b> %1 </b> already exists in the selected project.\nPlease enter a new file "
                       "name, overwrite, or skip.")
            .arg(m_baseName),
        this);
    m_messageLabel->setWordWrap(true);

    m_errorLabel = new QLabel(this);
    QPalette red = m_errorLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_errorLabel->setPalette(red);

    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setPlaceholderText(QStringLiteral("Enter file name"));

    m_skipButton = new QPushButton(QStringLiteral("Skip"), this);
    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setEnabled(false);
    m_overwriteButton = new QPushButton(QStringLiteral("Overwrite Existing File"), this);
    m_overwriteButton->setStyleSheet(QStringLiteral("QPushButton { font: bold }"));
    // Enter presses OK (when a usable name enables it), never Skip or Overwrite.
    m_skipButton->setAutoDefault(false);
    m_overwriteButton->setAutoDefault(false);
    m_okButton->setAutoDefault(false);
    m_okButton->setDefault(true);

    connect(m_nameEdit, &QLineEdit::textChanged, this, &ZROpenworksFileExistsDialog::checkName);
    connect(m_skipButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_overwriteButton, &QPushButton::clicked, this, [this] {
        m_overwrite = true;
        accept();
    });
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(12);
    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(m_iconLabel, 0, Qt::AlignLeft);
    top->addWidget(m_messageLabel, 1);
    layout->addLayout(top);
    layout->addWidget(m_nameEdit);
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(6);
    bottom->addWidget(m_errorLabel);
    bottom->addStretch();
    bottom->addWidget(m_okButton);
    bottom->addWidget(m_overwriteButton);
    bottom->addWidget(m_skipButton);
    layout->addLayout(bottom);

    resize(QSize(550, 150).expandedTo(minimumSizeHint()));
}

QString ZROpenworksFileExistsDialog::newFileName() const
{
    return m_nameEdit->text();
}

void ZROpenworksFileExistsDialog::checkName(const QString& text)
{
    if (text.isEmpty()) {
        m_errorLabel->clear();
        m_okButton->setEnabled(false);
        return;
    }
    const QString candidate = m_folder.absolutePath() + QDir::separator() + text;
    if (QFileInfo::exists(candidate)) {
        m_errorLabel->setText(QStringLiteral("File %1 already exists").arg(text));
        m_okButton->setEnabled(false);
    } else {
        m_errorLabel->clear();
        m_okButton->setEnabled(true);
    }
}
