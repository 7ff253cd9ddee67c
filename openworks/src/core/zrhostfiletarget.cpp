#include "zrhostfiletarget.h"

#include "zreventbus.h"
#include "zrexchangecontext.h"
#include "zrpathsafety.h"
#include "zrtransferreport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

bool ZRHostFileTarget::isSkipped() const
{
    return action == ZRTransferReport::Skip;
}

QString hostChildPath(const QString& folder, const QString& name, QString* error)
{
    return safeChildPath(folder, name, error);
}

ZRHostFileTarget resolveHostFileTarget(const ZRExchangeContext& context, const QString& path, QString* error)
{
    ZRHostFileTarget target;
    target.path = path;
    target.action = ZRTransferReport::Create;
    if (!QFileInfo::exists(path))
        return target;
    target.asked = true;
    if (context.ui)
        target.answer = context.ui->askFileConflict(path);
    switch (target.answer.choice) {
    case ZRExchangeUi::FileConflictAnswer::Skip:
        target.action = ZRTransferReport::Skip;
        break;
    case ZRExchangeUi::FileConflictAnswer::Overwrite:
        target.action = ZRTransferReport::Overwrite;
        break;
    case ZRExchangeUi::FileConflictAnswer::NewName: {
        const QString renamed = hostChildPath(QFileInfo(path).absolutePath(), target.answer.newFileName, error);
        if (renamed.isEmpty()) {
            target.action = ZRTransferReport::Skip;
        } else {
            target.path = renamed;
            target.action = ZRTransferReport::Rename;
        }
        break;
    }
    }
    return target;
}

bool removeForOverwrite(const ZRExchangeContext& context, ZRReportedItem& reported, const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    const bool readOnly = !info.isSymLink() && !(info.permissions() & QFileDevice::WriteOwner);
    if (context.dryRun) {
        if (readOnly)
            reported.recordMessage(QStringLiteral("%1 is read-only: removing it will fail (Impossible to remove "
                                                  "read-only objects).")
                                       .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    QString reason;
    if (readOnly) {
        reason = QString::fromLocal8Bit(std::strerror(EACCES));
    } else {
        QFile file(path);
        if (file.remove())
            return true;
        reason = file.errorString();
    }
    reported.showMessage(ZRExchangeUi::MessageKind::Warning, QStringLiteral("Error"),
                         QStringLiteral("Impossible to remove read-only objects"));
    reported.sendMessage(eDrawFileError, QStringLiteral("Error when attempting to remove file ")
                                             + QDir::toNativeSeparators(path) + QStringLiteral(". Reason: ") + reason);
    return false;
}
