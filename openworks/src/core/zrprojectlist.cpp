#include "zrprojectlist.h"

#include "zreventbus.h"
#include "zrxmltools.h"

#include <QDir>
#include <QDomDocument>
#include <QFileInfo>

namespace
{

QDomElement firstElementNamed(const QDomNode& node, const QString& name)
{
    for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (!child.isElement())
            continue;
        const QDomElement element = child.toElement();
        if (element.tagName() == name)
            return element;
        const QDomElement below = firstElementNamed(element, name);
        if (!below.isNull())
            return below;
    }
    return QDomElement();
}

} // namespace

QStringList readProjectList(const QString& projectListPath)
{
    QStringList paths;
    if (!QFileInfo::exists(projectListPath))
        return paths;
    QDomDocument document;
    QString errorText;
    if (!ZRXmlTools::readDocument(projectListPath, &document, &errorText)) {
        ZREventBus::sendMessage(eDrawError, errorText, false);
        return paths;
    }
    const QDomElement list = firstElementNamed(document, QFileInfo(projectListPath).baseName());
    if (list.isNull())
        return paths;
    const QDomNodeList projects = list.elementsByTagName(QStringLiteral("project"));
    for (int i = 0; i < projects.size(); ++i) {
        const QDomElement path = firstElementNamed(projects.at(i), QStringLiteral("path"));
        if (path.isNull())
            continue;
        const QString native = QDir::toNativeSeparators(path.attribute(QStringLiteral("value")));
        if (!paths.contains(native))
            paths.append(native);
    }
    return paths;
}
