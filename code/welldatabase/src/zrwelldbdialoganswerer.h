#pragma once

#include "zrwelldbanswerer.h"

class QWidget;

/// The real dialogs of the well database: the "Velostrat Well database update"
/// question with its "Update" and "Skip" buttons, and warning message boxes.
class ZRWellDbDialogAnswerer : public ZRWellDbAnswerer
{
public:
    /// parent: the window the boxes are centred on (may be null; not owned).
    explicit ZRWellDbDialogAnswerer(QWidget* parent = nullptr);

    bool askStructureUpdate(const QString& projectName) override;
    void showWarning(const QString& title, const QString& text) override;

    /// Installs a dialog answerer as the process-wide default.
    static void install(QWidget* parent = nullptr);

    /// The rich text of the update question for projectName.
    static QString structureUpdateText(const QString& projectName);

private:
    QWidget* m_parent;
};
