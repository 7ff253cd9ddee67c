#include "zrprojectscanner.h"

#include "zreventbus.h"
#include "zrprogressbarmgr.h"
#include "zrxmltools.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

namespace
{
const QString kDescriptorName = QStringLiteral("descriptor.xml");
const QString kProjectElement = QStringLiteral("project");
const QString kPathElement = QStringLiteral("path");

QString normalizedPath(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

bool holdsProject(const QDir& folder)
{
    return QFileInfo(folder.filePath(kDescriptorName)).isFile();
}

/// Depth-first walk of folder in name order; false when the bar was cancelled.
bool walk(const QDir& folder, const ZRProgressBarGuard& bar, QStringList& found)
{
    if (bar.isCancelled())
        return false;
    if (holdsProject(folder))
        found.append(normalizedPath(folder.absolutePath()));
    const QStringList children =
        folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden, QDir::Name);
    for (const QString& child : children) {
        if (!walk(QDir(folder.filePath(child)), bar, found))
            return false;
    }
    return true;
}

/// The paths a project-list document already holds (native separators).
QSet<QString> listedPaths(const QDomElement& list)
{
    QSet<QString> paths;
    const QDomNodeList projects = list.elementsByTagName(kProjectElement);
    for (int i = 0; i < projects.count(); ++i) {
        const QDomElement path = projects.at(i).toElement().elementsByTagName(kPathElement).at(0).toElement();
        if (!path.isNull())
            paths.insert(QDir::toNativeSeparators(path.attribute(QStringLiteral("value"))));
    }
    return paths;
}
} // namespace

QStringList ZRProjectScanner::findProjects(const QString& folder, int progressParent, bool* cancelled)
{
    QStringList found;
    if (cancelled)
        *cancelled = false;
    const QDir top(folder);
    if (folder.isEmpty() || !top.exists())
        return found;

    const QStringList children =
        top.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden, QDir::Name);
    ZRProgressBarGuard bar(children.size() + 1, QStringLiteral("Scanning Projects"), progressParent);
    if (holdsProject(top))
        found.append(normalizedPath(top.absolutePath()));
    bar.increment();
    for (const QString& child : children) {
        if (!walk(QDir(top.filePath(child)), bar, found)) {
            if (cancelled)
                *cancelled = true;
            break;
        }
        bar.increment();
    }
    return found;
}

bool ZRProjectScanner::addToProjectList(const QString& projectListPath, const QStringList& paths, QStringList* added,
                                        QString* errorText)
{
    auto fail = [errorText](const QString& text) {
        if (errorText)
            *errorText = text;
        return false;
    };
    if (added)
        added->clear();
    if (projectListPath.isEmpty())
        return fail(QStringLiteral("No project list file given."));

    const QFileInfo info(projectListPath);
    const QString listName = info.baseName();
    QDomDocument document;
    if (info.exists()) {
        QFile file(projectListPath);
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("Unable to open file %1: %2").arg(projectListPath, file.errorString()));
        const QByteArray content = file.readAll();
        QString parseError;
        if (!content.trimmed().isEmpty() && !ZRXmlTools::parseFileContent(content, projectListPath, &document, &parseError))
            return fail(parseError);
    }

    QDomElement list = document.elementsByTagName(listName).at(0).toElement();
    if (list.isNull()) {
        if (document.documentElement().isNull()) {
            document.appendChild(
                document.createProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
            list = document.createElement(listName);
            document.appendChild(list);
        } else {
            list = document.createElement(listName);
            document.documentElement().appendChild(list);
        }
    }

    QSet<QString> known = listedPaths(list);
    QStringList newPaths;
    for (const QString& path : paths) {
        const QString native = QDir::toNativeSeparators(path);
        if (native.isEmpty() || known.contains(native))
            continue;
        known.insert(native);
        newPaths.append(native);
        QDomElement project = document.createElement(kProjectElement);
        QDomElement pathElement = document.createElement(kPathElement);
        pathElement.setAttribute(QStringLiteral("value"), native);
        project.appendChild(pathElement);
        list.appendChild(project);
    }
    if (newPaths.isEmpty() && info.exists())
        return true;

    if (!info.absoluteDir().exists() && !QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("Unable to create the folder of %1.").arg(projectListPath));
    QSaveFile file(projectListPath);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Unable to open file %1: %2").arg(projectListPath, file.errorString()));
    file.write(ZRXmlTools::toBytes(document, 2));
    if (!file.commit())
        return fail(QStringLiteral("Unable to write file %1: %2").arg(projectListPath, file.errorString()));
    if (added)
        *added = newPaths;
    return true;
}

ZRProjectScanner::Result ZRProjectScanner::scanDirectory(const QString& folder, const QString& projectListPath,
                                                         int progressParent)
{
    Result result;
    result.found = findProjects(folder, progressParent, &result.cancelled);
    result.listWritten = addToProjectList(projectListPath, result.found, &result.added, &result.errorText);
    if (!result.listWritten) {
        ZREventBus::sendMessage(eDrawFileError, result.errorText, false);
        return result;
    }
    ZREventBus::sendMessage(eDrawInformation,
                            QStringLiteral("%1 Velostrat project(s) found in %2, %3 added to the project list.")
                                .arg(result.found.size())
                                .arg(QDir::toNativeSeparators(folder))
                                .arg(result.added.size()),
                            false);
    return result;
}
