#include "zrbloc.h"

#include "zreventbus.h"
#include "zrframetransposer.h"
#include "zrlongpath.h"
#include "zrobjectheader.h"
#include "zrprogressbarmgr.h"
#include "zrxmltools.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

namespace
{

const char* const kDataSizeNames[] = {"FLOAT_SIZE", "SHORT_SIZE",          "BYTE_SIZE",      "INT_SIZE",
                                      "RGB_SIZE",   "UNSIGNED_SHORT_SIZE", "SIGNEDCHAR_SIZE"};
const int kBytesPerSample[] = {4, 2, 1, 4, 4, 2, 1};
constexpr int kDataSizeCount = 7;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

/// Writes all of `size` bytes at `offset`; errno tells the failure.
bool writeFully(int descriptor, const char* data, std::size_t size, qint64 offset)
{
    while (size > 0) {
        const ssize_t written = ::pwrite(descriptor, data, size, off_t(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        data += written;
        size -= std::size_t(written);
        offset += written;
    }
    return true;
}

/// Reads all of `size` bytes at `offset`; a short file sets errno to 0.
bool readFully(int descriptor, char* data, std::size_t size, qint64 offset)
{
    while (size > 0) {
        const ssize_t got = ::pread(descriptor, data, size, off_t(offset));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0) {
            errno = 0;
            return false;
        }
        data += got;
        size -= std::size_t(got);
        offset += got;
    }
    return true;
}

template <typename T>
void convertFrame(const char* raw, float* image, int dimx, int dimy, bool transposed)
{
    const T* samples = reinterpret_cast<const T*>(raw);
    const std::size_t width = std::size_t(dimx);
    const std::size_t height = std::size_t(dimy);
    if (transposed) {
        for (std::size_t i = 0; i < width; ++i)
            for (std::size_t j = 0; j < height; ++j)
                image[j * width + i] = float(samples[i * height + j]);
    } else {
        const std::size_t count = width * height;
        for (std::size_t n = 0; n < count; ++n)
            image[n] = float(samples[n]);
    }
}

struct Range
{
    double minimum = std::numeric_limits<double>::max();
    double maximum = -std::numeric_limits<double>::max();
    bool counted = false;

    void add(double value)
    {
        if (value < minimum)
            minimum = value;
        if (value > maximum)
            maximum = value;
        counted = true;
    }
};

template <typename T>
void scanFrame(const char* raw, std::size_t count, bool skipMissing, Range* range)
{
    const T* samples = reinterpret_cast<const T*>(raw);
    for (std::size_t n = 0; n < count; ++n) {
        const T value = samples[n];
        if (skipMissing && double(value) == ZRBloc::NoValue)
            continue;
        range->add(double(value));
    }
}

void scanFloats(const char* raw, std::size_t count, Range* range)
{
    const float* samples = reinterpret_cast<const float*>(raw);
    for (std::size_t n = 0; n < count; ++n) {
        const float value = samples[n];
        if (value == float(ZRBloc::NoValue) || std::isnan(value))
            continue;
        range->add(double(value));
    }
}

} // namespace

ZRBloc::ZRBloc(const georef::BlocSpace& space, DataSize dataSize, QObject* parent)
    : QObject(parent), georef::BlocSpace(space), m_dataSize(dataSize)
{
}

ZRBloc::~ZRBloc()
{
    closeReadDescriptor();
}

QString ZRBloc::dataSizeName(int dataSize)
{
    if (dataSize < 0 || dataSize >= kDataSizeCount)
        return QString();
    return QString::fromLatin1(kDataSizeNames[dataSize]);
}

int ZRBloc::dataSizeFromName(const QString& name)
{
    for (int type = 0; type < kDataSizeCount; ++type)
        if (name == QLatin1String(kDataSizeNames[type]))
            return type;
    return -1;
}

int ZRBloc::bytesPerSample(int dataSize)
{
    if (dataSize < 0 || dataSize >= kDataSizeCount)
        return 0;
    return kBytesPerSample[dataSize];
}

int ZRBloc::bytesPerSample() const
{
    return bytesPerSample(m_dataSize);
}

qint64 ZRBloc::frameBytes() const
{
    if (dimx() < 0 || dimy() < 0)
        return -1;
    const qint64 samples = qint64(dimx()) * qint64(dimy());
    if (samples > MaximumFrameSamples)
        return -1;
    return qint64(bytesPerSample()) * samples;
}

bool ZRBloc::checkFileLayout(qint64 fileLength, QString* reason) const
{
    const auto refuse = [reason](const QString& text) {
        if (reason)
            *reason = text;
        return false;
    };
    if (dimx() < 0 || dimy() < 0 || dimz() < 0)
        return refuse(QStringLiteral("invalid volume size %1 x %2 x %3").arg(dimx()).arg(dimy()).arg(dimz()));
    const qint64 bytes = frameBytes();
    if (bytes < 0)
        return refuse(QStringLiteral("frames of %1 x %2 samples are larger than the largest frame accepted (%3 samples)")
                          .arg(dimx())
                          .arg(dimy())
                          .arg(MaximumFrameSamples));
    if (m_dataOffset < ZRObjectHeader::GlobalHeaderSize || m_dataOffset > fileLength)
        return refuse(QStringLiteral("data offset %1 lies outside the file (%2 bytes)").arg(m_dataOffset).arg(fileLength));
    // Both factors are below 2^31, so the product cannot overflow.
    const qint64 sampleBytes = bytes * qint64(dimz());
    if (sampleBytes > fileLength - m_dataOffset)
        return refuse(QStringLiteral("the header describes %1 bytes of samples from offset %2 but the file holds %3 bytes")
                          .arg(sampleBytes)
                          .arg(m_dataOffset)
                          .arg(fileLength));
    return true;
}

void ZRBloc::setFileName(const QString& fileName)
{
    if (fileName != m_fileName)
        closeReadDescriptor();
    m_fileName = fileName;
}

void ZRBloc::setValueRange(double minimum, double maximum)
{
    m_minValueBlock = minimum;
    m_maxValueBlock = maximum;
}

void ZRBloc::resize(int dimx, int dimy, int dimz)
{
    georef::BlocSpace::resize(dimx, dimy, dimz);
}

void ZRBloc::writeVolumeChildren(QDomDocument& document, QDomElement& element) const
{
    writeSizes(document, element);
    ZRXmlTools::writeText(document, element, QStringLiteral("dataSize"), dataSizeName(m_dataSize));
    ZRXmlTools::writeInt(document, element, QStringLiteral("Version"), m_version);
    ZRXmlTools::writeBool(document, element, QStringLiteral("WithTransposition"), m_withTransposition);
    writeMatrices(document, element);
    ZRXmlTools::writeDouble(document, element, QStringLiteral("SRDValue"), SRDValue());
    ZRXmlTools::writeDouble(document, element, QStringLiteral("minValueBlock"), m_minValueBlock);
    ZRXmlTools::writeDouble(document, element, QStringLiteral("maxValueBlock"), m_maxValueBlock);
    writeInitialValue(document, element);
    writeUnits(document, element);
}

QDomElement ZRBloc::toXml(QDomDocument& document) const
{
    QDomElement element = document.createElement(typeName());
    writeVolumeChildren(document, element);
    return element;
}

bool ZRBloc::fromXml(const QDomElement& element)
{
    if (!georef::BlocSpace::fromXml(element))
        return false;
    const int type = dataSizeFromName(ZRXmlTools::readValue(element, QStringLiteral("dataSize")));
    if (type >= 0)
        m_dataSize = DataSize(type);
    if (!ZRXmlTools::readInt(element, QStringLiteral("Version"), &m_version))
        m_version = 0;
    if (!ZRXmlTools::readBool(element, QStringLiteral("WithTransposition"), &m_withTransposition))
        m_withTransposition = false;
    if (!ZRXmlTools::readDouble(element, QStringLiteral("minValueBlock"), &m_minValueBlock))
        m_minValueBlock = NoValue;
    if (!ZRXmlTools::readDouble(element, QStringLiteral("maxValueBlock"), &m_maxValueBlock))
        m_maxValueBlock = NoValue;
    return true;
}

bool ZRBloc::saveHeader()
{
    closeReadDescriptor();
    if (!ZRObjectHeader::writeObjectHeader(m_fileName, QList<const ZRObjectSerialization*>{this}, ReservedSize))
        return false;
    m_dataOffset = ZRObjectHeader::dataOffset(m_fileName);
    return m_dataOffset >= 0;
}

int ZRBloc::openForWriting(const QString& fileName)
{
    const int descriptor = ::open(ZRLongPath::systemBytes(fileName).constData(), O_RDWR | O_CLOEXEC);
    if (descriptor < 0) {
        ZREventBus::sendMessage(eDrawFileError,
                                QStringLiteral("Error when opening ") + ZRLongPath::prefixedName(fileName)
                                    + QStringLiteral(" : ") + systemError(errno),
                                true);
        return -1;
    }
    return descriptor;
}

void ZRBloc::closeFile(int descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
}

bool ZRBloc::writeFrame(int descriptor, qint64 dataOffset, int k, const void* buffer)
{
    if (descriptor == -1)
        return false;
    if (k < 0 || k >= dimz() || !buffer) {
        ZREventBus::sendMessage(eDrawError,
                                QStringLiteral("Error attempting to write large frame : %1/%2").arg(k).arg(dimz()), true);
        m_minValueBlock = NoValue;
        m_maxValueBlock = NoValue;
        return false;
    }
    const qint64 bytes = frameBytes();
    if (bytes < 0) {
        ZREventBus::sendMessage(eDrawError,
                                QStringLiteral("Error attempting to write large frame : %1/%2").arg(k).arg(dimz()), true);
        return false;
    }
    const qint64 offset = dataOffset + qint64(k) * bytes;
    const char* data = static_cast<const char*>(buffer);
    const bool transposed = isStoredTransposed();
    if (transposed) {
        if (m_writeBuffer.size() != std::size_t(bytes)) {
            try {
                m_writeBuffer.resize(std::size_t(bytes));
            } catch (const std::bad_alloc&) {
                ZREventBus::sendMessage(eDrawError, QStringLiteral("Error attempting to write large frame : %1/%2").arg(k).arg(dimz()), true);
                return false;
            }
        }
    }
    // Float frames are transposed on the thread count measured for their size,
    // timed with their write (see ZRFrameTransposer::threadsForNextFrame); with
    // two threads the write of each finished part overlaps the transposition.
    const bool measured = transposed && m_dataSize == FLOAT_SIZE;
    bool written = false;
    int writeError = 0;
    if (measured) {
        const int threads = ZRFrameTransposer::threadsForNextFrame(std::size_t(bytes));
        const auto start = std::chrono::steady_clock::now();
        char* target = m_writeBuffer.data();
        written = ZRFrameTransposer::transposeFloatsAndWrite(
            static_cast<const float*>(buffer), reinterpret_cast<float*>(target), dimy(), dimx(), threads,
            [&](std::size_t at, std::size_t size) {
                if (writeFully(descriptor, target + at, size, offset + qint64(at)))
                    return true;
                writeError = errno;
                return false;
            });
        if (written)
            ZRFrameTransposer::recordFrameTime(std::size_t(bytes), threads,
                                               std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    } else {
        if (transposed) {
            ZRFrameTransposer::transpose(buffer, m_writeBuffer.data(), dimy(), dimx(), bytesPerSample());
            data = m_writeBuffer.data();
        }
        written = writeFully(descriptor, data, std::size_t(bytes), offset);
        writeError = errno;
    }
    if (!written) {
        const QString error = systemError(writeError);
        ZREventBus::sendMessage(
            eDrawError,
            QStringLiteral("Error writing large frame (%9) to file %1 - frame %2/%3 - offset %4/%5 - buffer %6 - size %7 : %8")
                .arg(m_fileName)
                .arg(k)
                .arg(dimz())
                .arg(dataOffset)
                .arg(offset)
                .arg(QStringLiteral("0x%1").arg(quintptr(buffer), 16, 16, QLatin1Char('0')))
                .arg(bytes)
                .arg(error)
                .arg(transposed ? QStringLiteral("tr") : QStringLiteral("notr")),
            true);
        return false;
    }
    return true;
}

void ZRBloc::closeReadDescriptor() const
{
    if (m_readDescriptor >= 0)
        ::close(m_readDescriptor);
    m_readDescriptor = -1;
}

bool ZRBloc::ensureReadDescriptor() const
{
    if (m_readDescriptor >= 0)
        return true;
    m_readDescriptor = ::open(ZRLongPath::systemBytes(m_fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (m_readDescriptor < 0) {
        ZREventBus::sendMessage(eDrawFileError,
                                QStringLiteral("Error when opening ") + ZRLongPath::prefixedName(m_fileName)
                                    + QStringLiteral(" : ") + systemError(errno),
                                true);
        return false;
    }
    return true;
}

bool ZRBloc::readRawFrame(int k, void* buffer) const
{
    const qint64 bytes = frameBytes();
    if (k < 0 || k >= dimz() || !buffer || m_dataOffset < 0 || bytes < 0)
        return false;
    if (!ensureReadDescriptor())
        return false;
    if (!readFully(m_readDescriptor, static_cast<char*>(buffer), std::size_t(bytes), m_dataOffset + qint64(k) * bytes)) {
        const QString reason = errno == 0 ? QStringLiteral("unexpected end of file at frame %1").arg(k) : systemError(errno);
        ZREventBus::sendMessage(eDrawFileError, QStringLiteral("Error when reading %1 - %2").arg(m_fileName, reason), true);
        return false;
    }
    return true;
}

bool ZRBloc::frameIsInFile(int k) const
{
    const qint64 bytes = frameBytes();
    if (bytes < 0) {
        ZREventBus::sendMessage(eDrawFileError,
                                QStringLiteral("Error when reading %1 - %2")
                                    .arg(m_fileName,
                                         QStringLiteral("frames of %1 x %2 samples are larger than the largest frame accepted (%3 samples)")
                                             .arg(dimx())
                                             .arg(dimy())
                                             .arg(MaximumFrameSamples)),
                                true);
        return false;
    }
    if (m_dataOffset < 0 || !ensureReadDescriptor())
        return false;
    struct stat status{};
    if (::fstat(m_readDescriptor, &status) != 0) {
        ZREventBus::sendMessage(eDrawFileError, QStringLiteral("Error when reading %1 - %2").arg(m_fileName, systemError(errno)), true);
        return false;
    }
    const qint64 length = qint64(status.st_size);
    if (m_dataOffset > length || qint64(k + 1) * bytes > length - m_dataOffset) {
        ZREventBus::sendMessage(eDrawFileError,
                                QStringLiteral("Error when reading %1 - %2")
                                    .arg(m_fileName, QStringLiteral("unexpected end of file at frame %1").arg(k)),
                                true);
        return false;
    }
    return true;
}

bool ZRBloc::readFrame(int k, ZRImage& image) const
{
    if (k < 0 || k >= dimz() || dimx() <= 0 || dimy() <= 0)
        return false;
    // Nothing is allocated for a frame that the file does not hold.
    if (!frameIsInFile(k))
        return false;
    const qint64 bytes = frameBytes();
    try {
        if (m_readBuffer.size() != std::size_t(bytes))
            m_readBuffer.resize(std::size_t(bytes));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!readRawFrame(k, m_readBuffer.data()))
        return false;
    if (image.width() != dimx() || image.height() != dimy())
        if (!image.allocate(dimx(), dimy()))
            return false;

    const bool transposed = isStoredTransposed();
    const char* raw = m_readBuffer.data();
    float* out = image.data();
    switch (m_dataSize) {
    case FLOAT_SIZE:
        if (transposed)
            ZRFrameTransposer::transposeFloats(reinterpret_cast<const float*>(raw), out, dimx(), dimy());
        else
            std::memcpy(out, raw, std::size_t(bytes));
        break;
    case SHORT_SIZE:
        convertFrame<std::int16_t>(raw, out, dimx(), dimy(), transposed);
        break;
    case BYTE_SIZE:
        convertFrame<std::uint8_t>(raw, out, dimx(), dimy(), transposed);
        break;
    case INT_SIZE:
    case RGB_SIZE:
        convertFrame<std::int32_t>(raw, out, dimx(), dimy(), transposed);
        break;
    case UNSIGNED_SHORT_SIZE:
        convertFrame<std::uint16_t>(raw, out, dimx(), dimy(), transposed);
        break;
    case SIGNEDCHAR_SIZE:
        convertFrame<std::int8_t>(raw, out, dimx(), dimy(), transposed);
        break;
    }
    return true;
}

std::unique_ptr<ZRImage> ZRBloc::getCurrentInlineImage(int k) const
{
    auto image = std::make_unique<ZRImage>();
    if (!readFrame(k, *image))
        return nullptr;
    return image;
}

bool ZRBloc::valueRange(int parentProgressId, bool cancellable, double* minimum, double* maximum)
{
    const auto answer = [&](bool ok) {
        if (minimum)
            *minimum = m_minValueBlock;
        if (maximum)
            *maximum = m_maxValueBlock;
        return ok;
    };
    if (m_minValueBlock != NoValue && m_maxValueBlock != NoValue)
        return answer(true);

    const qint64 bytes = frameBytes();
    if (bytes <= 0 || dimz() <= 0)
        return answer(false);
    if (!frameIsInFile(dimz() - 1))
        return answer(false);
    std::vector<char> frame;
    try {
        frame.resize(std::size_t(bytes));
    } catch (const std::bad_alloc&) {
        return answer(false);
    }
    const std::size_t count = std::size_t(dimx()) * std::size_t(dimy());

    Range range;
    bool complete = true;
    {
        ZRProgressBarGuard progress(dimz(), QStringLiteral("Compute Min Max Value"), parentProgressId, cancellable);
        for (int k = 0; k < dimz(); ++k) {
            if (cancellable && progress.isCancelled()) {
                complete = false;
                break;
            }
            if (!readRawFrame(k, frame.data())) {
                complete = false;
                break;
            }
            switch (m_dataSize) {
            case FLOAT_SIZE:
                scanFloats(frame.data(), count, &range);
                break;
            case INT_SIZE:
            case RGB_SIZE:
                scanFrame<std::int32_t>(frame.data(), count, true, &range);
                break;
            case SHORT_SIZE:
                scanFrame<std::int16_t>(frame.data(), count, false, &range);
                break;
            case UNSIGNED_SHORT_SIZE:
                scanFrame<std::uint16_t>(frame.data(), count, false, &range);
                break;
            case BYTE_SIZE:
                scanFrame<std::uint8_t>(frame.data(), count, false, &range);
                break;
            case SIGNEDCHAR_SIZE:
                scanFrame<std::int8_t>(frame.data(), count, false, &range);
                break;
            }
            progress.increment(1);
        }
    }
    if (!complete || !range.counted) {
        m_minValueBlock = NoValue;
        m_maxValueBlock = NoValue;
        return answer(false);
    }
    m_minValueBlock = range.minimum;
    m_maxValueBlock = range.maximum;
    return answer(true);
}

bool ZRBloc::requiredSpace(const QString& folder, int dimx, int dimy, int dimz, int fileCount, QString* message)
{
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isWritable()) {
        if (message)
            *message = QStringLiteral("The directory ") + folder + QStringLiteral(" is read only.");
        return false;
    }
    const qint64 needed = qint64(dimx) * qint64(dimy) * qint64(dimz) * 4 * qint64(std::max(1, fileCount));
    QStorageInfo storage(folder);
    storage.refresh();
    if (!storage.isValid() || storage.bytesAvailable() < needed) {
        if (message)
            *message = QStringLiteral("The directory ") + folder
                + QStringLiteral(" does not have enough space. %1 required.").arg(QLocale::c().formattedDataSize(needed));
        return false;
    }
    return true;
}
