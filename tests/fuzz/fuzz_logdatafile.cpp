// Fuzz target of the readers of the well database's data files: the input is
// one file, read as a log data file ("LOGDATA_<id>") and as a marker list
// ("MARKERLIST_<id>"). What reads must write back and read again to the same
// values, bit for bit; anything else must be refused with an error text.

#include "fuzzinput.h"
#include "zrlogdatafile.h"

#include <cstdlib>
#include <cstring>

namespace
{
bool sameValues(const IZRDataLog& a, const IZRDataLog& b)
{
    if (a.kind() != b.kind() || a.size() != b.size())
        return false;
    switch (a.kind()) {
    case IZRDataLog::RealKind: {
        const QVector<double>& x = static_cast<const ZRDataLogReal&>(a).values();
        const QVector<double>& y = static_cast<const ZRDataLogReal&>(b).values();
        return std::memcmp(x.constData(), y.constData(), size_t(x.size()) * sizeof(double)) == 0;
    }
    case IZRDataLog::IntegerKind:
        return static_cast<const ZRDataLogInt&>(a).values() == static_cast<const ZRDataLogInt&>(b).values();
    case IZRDataLog::TextKind:
        return static_cast<const ZRDataLogText&>(a).values() == static_cast<const ZRDataLogText&>(b).values();
    }
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::initializeOnce();
    const QString input = fuzz::writeInput(QStringLiteral("LOGDATA_1"), data, size);

    QString error;
    const std::unique_ptr<IZRDataLog> log = ZRLogDataFile::read(input, &error);
    if (!log && error.isEmpty())
        std::abort(); // a refusal always says why
    if (log) {
        (void)log->byteSize();
        const QString copy = fuzz::scratchFolder() + QStringLiteral("/LOGDATA_2");
        if (!ZRLogDataFile::write(copy, *log, &error))
            std::abort();
        // Read back, once into memory handed over for reuse.
        QVector<double> reusable(int(size % 64), 1.0);
        const std::unique_ptr<IZRDataLog> again = ZRLogDataFile::read(copy, &error, &reusable);
        if (!again || !sameValues(*log, *again))
            std::abort();
    }

    QVector<ZRMarkerListEntry> markers;
    if (!ZRLogDataFile::readMarkerList(input, markers, &error)) {
        if (error.isEmpty() || !markers.isEmpty())
            std::abort();
    } else {
        const QString copy = fuzz::scratchFolder() + QStringLiteral("/MARKERLIST_2");
        QVector<ZRMarkerListEntry> again;
        if (!ZRLogDataFile::writeMarkerList(copy, markers, &error) || !ZRLogDataFile::readMarkerList(copy, again, &error)
            || again.size() != markers.size())
            std::abort();
    }
    return 0;
}
