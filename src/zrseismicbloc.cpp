#include "zrseismicbloc.h"

#include "zreventbus.h"
#include "zrlongpath.h"
#include "zrobjectheader.h"
#include "zrxmltools.h"

#include <QFileInfo>

ZRSeismicBloc::ZRSeismicBloc(const georef::BlocSpace& space, DataSize dataSize, QObject* parent)
    : ZRBloc(space, dataSize, parent)
{
}

ZRSeismicBloc::~ZRSeismicBloc() = default;

QDomElement ZRSeismicBloc::toXml(QDomDocument& document) const
{
    QDomElement element = ZRBloc::toXml(document);
    ZRXmlTools::writeInt(document, element, QStringLiteral("attribute"), m_attribute);
    return element;
}

bool ZRSeismicBloc::fromXml(const QDomElement& element)
{
    if (!ZRBloc::fromXml(element))
        return false;
    ZRXmlTools::readInt(element, QStringLiteral("attribute"), &m_attribute);
    return true;
}

std::unique_ptr<ZRSeismicBloc> ZRSeismicBloc::load(const QString& fileName)
{
    const QDomDocument globalHeader = ZRObjectHeader::readGlobalHeader(fileName);
    if (globalHeader.isNull())
        return nullptr;
    const QDomDocument objects = ZRObjectHeader::readObjectDocument(fileName);
    if (objects.isNull())
        return nullptr;
    const auto refuse = [&fileName](const QString& reason) {
        ZREventBus::sendMessage(eDrawFileError, QStringLiteral("Error when reading %1 - %2").arg(fileName, reason), true);
        return nullptr;
    };
    for (const QDomElement& object : ZRObjectHeader::objectElements(objects)) {
        const QString type = object.attribute(QStringLiteral("type"));
        if (type != QLatin1String("ZRSeismicBloc") && type != QLatin1String("ZRBloc"))
            continue;
        const QDomElement element = object.firstChildElement();
        auto volume = std::make_unique<ZRSeismicBloc>(georef::BlocSpace());
        if (element.isNull() || !volume->fromXml(element))
            break;
        volume->setFileName(fileName);
        volume->setDataOffset(ZRObjectHeader::dataOffset(globalHeader.documentElement()));
        if (volume->dataOffset() < 0)
            break;
        QString reason;
        if (!volume->checkFileLayout(QFileInfo(ZRLongPath::systemName(fileName)).size(), &reason))
            return refuse(reason);
        return volume;
    }
    return refuse(QStringLiteral("no volume in the file header"));
}
