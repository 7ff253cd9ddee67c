#include "zrwelldbdialoganswerer.h"

#include <QMessageBox>
#include <QPushButton>

ZRWellDbDialogAnswerer::ZRWellDbDialogAnswerer(QWidget* parent)
    : m_parent(parent)
{
}

QString ZRWellDbDialogAnswerer::structureUpdateText(const QString& projectName)
{
    return QStringLiteral("<b>") + projectName.toHtmlEscaped() + QStringLiteral("</b><br><br>")
           + QStringLiteral("The Velostrat well database structure has been upgraded, consequently the project well "
                            "database requires an update.")
           + QStringLiteral("<br><br>")
           + QStringLiteral("Once updated, the wells may no longer be usable with older Velostrat versions.")
           + QStringLiteral("<br>") + QStringLiteral("By skipping the update, the well data will not be loaded.");
}

bool ZRWellDbDialogAnswerer::askStructureUpdate(const QString& projectName)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(QStringLiteral("Velostrat Well database update"));
    box.setIcon(QMessageBox::Question);
    box.setTextFormat(Qt::RichText);
    box.setText(structureUpdateText(projectName));
    QPushButton* update = box.addButton(QStringLiteral("Update"), QMessageBox::AcceptRole);
    QPushButton* skip = box.addButton(QStringLiteral("Skip"), QMessageBox::RejectRole);
    box.setDefaultButton(update);
    box.setEscapeButton(skip);
    box.exec();
    return box.clickedButton() == update;
}

void ZRWellDbDialogAnswerer::showWarning(const QString& title, const QString& text)
{
    QMessageBox::warning(m_parent, title, text);
}

void ZRWellDbDialogAnswerer::install(QWidget* parent)
{
    ZRWellDbAnswerer::setDefaultAnswerer(std::make_shared<ZRWellDbDialogAnswerer>(parent));
}
