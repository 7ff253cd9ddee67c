#include "zrfaultapifunctions.h"

#include "zreventbus.h"
#include "zrfaultstickfile.h"

bool ZRFaultApiFunctions::write3DFaultStick(const QString& path, const QStringList& names,
                                            core::MultiArray<core::vec3>& sticks, bool isTime, const georef::Crs& crs)
{
    return ZRFaultStickFile::write(path, names, sticks, isTime, crs, nullptr);
}

std::unique_ptr<core::MultiArray<core::vec3>> ZRFaultApiFunctions::readFaultStickPolyLine(const QString& path,
                                                                                         bool reportErrors)
{
    ZRFaultStickFile::Content content;
    QString error;
    if (!ZRFaultStickFile::read(path, &content, &error)) {
        if (reportErrors)
            ZREventBus::sendMessage(eDrawFileError, error, false);
        return nullptr;
    }
    return std::make_unique<core::MultiArray<core::vec3>>(std::move(content.sticks));
}

bool ZRFaultApiFunctions::isFaultStickDomainInTime(const QString& path, bool reportErrors)
{
    ZRFaultStickFile::Header header;
    QString error;
    if (!ZRFaultStickFile::readHeader(path, &header, &error)) {
        if (reportErrors)
            ZREventBus::sendMessage(eDrawFileError, error, false);
        return false;
    }
    return header.domain == QLatin1String("TIME");
}
