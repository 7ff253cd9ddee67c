#pragma once

#include "blocspace.h"
#include "zrimage.h"
#include "zrobject.h"
#include "zrobjectserialization.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

/// A host volume: a bloc space whose samples live in one object file.
///
/// File layout (offsets in bytes, all little-endian):
///
/// | offset                          | size                         | content                          |
/// |---------------------------------|------------------------------|----------------------------------|
/// | 0                               | 2500                         | "GlobalHeader" XML, NUL-padded   |
/// | 2500                            | headerSize                   | object XML (the volume element)  |
/// | 2500 + headerSize               | 10000                        | reserved, zero bytes             |
/// | DataOffset                      | dimz × dimx × dimy × bytes   | samples, frame after frame       |
///
/// Frame k starts at DataOffset + k × dimx × dimy × bytesPerSample(). With
/// Version ≥ 1 and WithTransposition set, a frame is stored trace by trace
/// (trace i, sample j at i × dimy + j); otherwise row by row (j × dimx + i).
/// In memory a frame is always an image of dimy rows of dimx values.
///
/// Writing: saveHeader(), then openForWriting(), writeFrame() per frame, closeFile().
/// Reading: readFrame() / getCurrentInlineImage() after saveHeader() or load.
class ZRBloc : public QObject, public ZRObject, public georef::BlocSpace, public ZRObjectSerialization
{
    Q_OBJECT

public:
    /// Sample types, stored by name in the volume element.
    enum DataSize : int
    {
        FLOAT_SIZE = 0,
        SHORT_SIZE = 1,
        BYTE_SIZE = 2,
        INT_SIZE = 3,
        RGB_SIZE = 4,
        UNSIGNED_SHORT_SIZE = 5,
        SIGNEDCHAR_SIZE = 6
    };

    /// Missing sample value and "no range established" marker.
    static constexpr double NoValue = -9999.0;
    static constexpr int ReservedSize = 10000;
    /// Largest frame (dimx × dimy samples) a volume may have: frames are read
    /// and written whole, as images of 32-bit floats.
    static constexpr qint64 MaximumFrameSamples = qint64(1) << 29;

    explicit ZRBloc(const georef::BlocSpace& space, DataSize dataSize = FLOAT_SIZE, QObject* parent = nullptr);
    ~ZRBloc() override;

    static QString dataSizeName(int dataSize);
    /// The type of a name, or -1 for a name not in the table.
    static int dataSizeFromName(const QString& name);
    static int bytesPerSample(int dataSize);

    int objectType() const override { return 1; }

    virtual int bytesPerSample() const;
    /// Writes the header container with this volume's element (reserved size
    /// 10000) to fileName(), truncating the file, then reads the data offset back.
    virtual bool saveHeader();
    /// Frame k of the main file as a dimx × dimy float image (converted from the
    /// stored type). False, with a message, when it cannot be read.
    virtual bool readFrame(int k, ZRImage& image) const;
    /// Frame k as a new image; null when it cannot be read.
    virtual std::unique_ptr<ZRImage> getCurrentInlineImage(int k) const;

    using georef::BlocSpace::toXml;
    /// The volume element, named typeName().
    QDomElement toXml(QDomDocument& document) const override;
    QString typeName() const override { return QStringLiteral("ZRBloc"); }
    /// Reads the volume element (sizes, type, storage order, matrices, SRD value,
    /// value range, initial value, units).
    bool fromXml(const QDomElement& element) override;

    void resize(int dimx, int dimy, int dimz) override;

    const QString& fileName() const { return m_fileName; }
    void setFileName(const QString& fileName);
    DataSize dataSize() const { return m_dataSize; }
    void setDataSize(DataSize dataSize) { m_dataSize = dataSize; }
    int version() const { return m_version; }
    void setVersion(int version) { m_version = version; }
    bool withTransposition() const { return m_withTransposition; }
    void setWithTransposition(bool flag) { m_withTransposition = flag; }
    /// True when frames in the file are stored trace by trace.
    bool isStoredTransposed() const { return m_version >= 1 && m_withTransposition; }

    double minValueBlock() const { return m_minValueBlock; }
    double maxValueBlock() const { return m_maxValueBlock; }
    void setValueRange(double minimum, double maximum);

    /// Data offsets read back by saveHeader() or a load; -1 when unknown.
    qint64 dataOffset() const { return m_dataOffset; }
    qint64 crosslineDataOffset() const { return m_crosslineDataOffset; }
    qint64 timesliceDataOffset() const { return m_timesliceDataOffset; }
    void setDataOffset(qint64 offset) { m_dataOffset = offset; }

    /// Bytes of one frame in the file; -1 for negative sizes or a frame larger
    /// than MaximumFrameSamples.
    qint64 frameBytes() const;

    /// Checks the sizes read from a file against each other, the limits above
    /// and the file's length: sizes not negative, a frame of at most
    /// MaximumFrameSamples, a data offset past the global header, and every
    /// frame inside the file. False with the reason in `reason`.
    bool checkFileLayout(qint64 fileLength, QString* reason) const;

    /// Opens an existing file for binary read/write (no creation). Returns a
    /// descriptor, or -1 after "Error when opening ..." (draw type 2).
    static int openForWriting(const QString& fileName);
    static void closeFile(int descriptor);

    /// Writes frame k (an image of dimy rows of dimx samples of the volume's type)
    /// with one positioned write, transposing into trace order first when the
    /// volume is stored transposed. Float frames are transposed on the thread
    /// count measured for their size (ZRFrameTransposer::threadsForNextFrame):
    /// with two threads the frame is written in consecutive parts, each as soon
    /// as it is transposed, while the rest is transposed. At most one frame and
    /// one transposed copy are held. False after a message on any error.
    bool writeFrame(int descriptor, qint64 dataOffset, int k, const void* buffer);

    /// The minimum and maximum sample, computed once over every frame under the
    /// progress bar "Compute Min Max Value" (child of parentProgressId) and kept.
    /// −9999 samples of the float, int and RGB types are skipped, NaN never counts.
    /// False, with both bounds left at −9999.0, when nothing was counted, a frame
    /// could not be read or the bar was cancelled (with `cancellable`).
    bool valueRange(int parentProgressId, bool cancellable, double* minimum, double* maximum);

    /// Checks that `folder` is writable and can take dimx × dimy × dimz × 4 ×
    /// fileCount bytes; otherwise false with the reason in `message`.
    static bool requiredSpace(const QString& folder, int dimx, int dimy, int dimz, int fileCount,
                              QString* message = nullptr);

    /// Reads frame k as stored (no conversion, no transposition) into `buffer` of frameBytes().
    bool readRawFrame(int k, void* buffer) const;

protected:
    /// Appends the volume's own children to `element` (used by subclasses that add more).
    void writeVolumeChildren(QDomDocument& document, QDomElement& element) const;

private:
    void closeReadDescriptor() const;
    /// True when frame k lies inside the file (checked before a frame buffer is
    /// allocated); otherwise false after a message.
    bool frameIsInFile(int k) const;
    bool ensureReadDescriptor() const;

    QString m_fileName;
    DataSize m_dataSize;
    int m_version = 1;
    bool m_withTransposition = true;
    double m_minValueBlock = NoValue;
    double m_maxValueBlock = NoValue;
    qint64 m_dataOffset = -1;
    qint64 m_crosslineDataOffset = -1;
    qint64 m_timesliceDataOffset = -1;

    mutable int m_readDescriptor = -1;
    mutable std::vector<char> m_readBuffer;
    std::vector<char> m_writeBuffer;
};
