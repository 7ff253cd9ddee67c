#pragma once

#include <QDialog>
#include <QDir>
#include <QFileInfo>

class QLabel;
class QLineEdit;
class QPushButton;

/// Asks what to do when an import's target file exists: type a new name, overwrite
/// the file, or skip the object. exec() gives 1 after OK or "Overwrite Existing
/// File", 0 after Skip or closing the window.
class ZROpenworksFileExistsDialog : public QDialog
{
    Q_OBJECT
public:
    /// The parent is not used: the dialog is a top-level window.
    explicit ZROpenworksFileExistsDialog(const QFileInfo& existingFile, QWidget* parent = nullptr);

    bool isOverwrite() const { return m_overwrite; }
    QString newFileName() const;

    QLineEdit* nameEdit() const { return m_nameEdit; }
    QLabel* messageLabel() const { return m_messageLabel; }
    QLabel* errorLabel() const { return m_errorLabel; }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* overwriteButton() const { return m_overwriteButton; }
    QPushButton* skipButton() const { return m_skipButton; }

private slots:
    void checkName(const QString& text);

private:
    QFileInfo m_existingFile;
    QString m_baseName;
    QDir m_folder;
    bool m_overwrite = false;
    QLabel* m_iconLabel = nullptr;
    QLabel* m_messageLabel = nullptr;
    QLabel* m_errorLabel = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_overwriteButton = nullptr;
    QPushButton* m_skipButton = nullptr;
};
