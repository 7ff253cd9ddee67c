// An object file whose header container is the input: global header, data
// offset, object document and its "remote" attribute.

#include "fuzzinput.h"
#include "zrobjectheader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::initializeOnce();
    const QString fileName = fuzz::writeInput(QStringLiteral("object.bin"), data, size);
    const QDomDocument global = ZRObjectHeader::readGlobalHeader(fileName);
    if (!global.isNull())
        ZRObjectHeader::dataOffset(global.documentElement());
    ZRObjectHeader::dataOffset(fileName);
    const QDomDocument objects = ZRObjectHeader::readObjectDocument(fileName);
    for (const QDomElement& object : ZRObjectHeader::objectElements(objects))
        object.attribute(QStringLiteral("type"));
    ZRObjectHeader::remoteOf(fileName);
    return 0;
}
