// Fault-stick files of the faults library stand-in: the whole reader, the
// stick reader and the domain reader of ZRFaultApiFunctions on any input.

#include "fuzzinput.h"
#include "zrfaultapifunctions.h"
#include "zrfaultstickfile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::initializeOnce();
    const QString path = fuzz::writeInput(QStringLiteral("sticks"), data, size);
    ZRFaultStickFile::Content content;
    QString error;
    const bool read = ZRFaultStickFile::read(path, &content, &error);
    const auto sticks = ZRFaultApiFunctions::readFaultStickPolyLine(path, false);
    // The two readers agree, and what is read fits the file it came from.
    if (read != bool(sticks) || (sticks && *sticks != content.sticks)
        || (read && content.sticks.totalSize() * ZRFaultStickFile::PointBytes > size))
        std::abort();
    ZRFaultStickFile::Header header;
    const bool headerRead = ZRFaultStickFile::readHeader(path, &header, &error);
    if (read && (!headerRead || ZRFaultApiFunctions::isFaultStickDomainInTime(path, false) != content.isTime))
        std::abort();
    return 0;
}
