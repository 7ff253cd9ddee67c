#include "zrlogdatafile.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
void putUInt32(QByteArray& buffer, int offset, quint32 value)
{
    qToLittleEndian(value, buffer.data() + offset);
}

template <typename T>
void appendLittleEndian(QByteArray& buffer, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    buffer.append(bytes, sizeof(T));
}

void appendDouble(QByteArray& buffer, double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    appendLittleEndian(buffer, bits);
}

double doubleAt(const char* bytes)
{
    const quint64 bits = qFromLittleEndian<quint64>(bytes);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool setError(QString* errorText, const QString& text)
{
    if (errorText)
        *errorText = text;
    return false;
}

bool writeAll(QFile& file, const char* data, qint64 size, QString* errorText)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 written = file.write(data + done, size - done);
        if (written <= 0)
            return setError(errorText, file.errorString());
        done += written;
    }
    return true;
}

bool readAll(QFile& file, char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(data + done, size - done);
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

bool writeFile(const QString& fileName, const QByteArray& header, const char* body, qint64 bodySize,
               QString* errorText)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return setError(errorText, file.errorString());
    bool ok = writeAll(file, header.constData(), header.size(), errorText);
    if (ok && bodySize > 0)
        ok = writeAll(file, body, bodySize, errorText);
    file.close();
    if (ok && file.error() != QFileDevice::NoError)
        ok = setError(errorText, file.errorString());
    return ok;
}
} // namespace

bool ZRLogDataFile::write(const QString& fileName, const IZRDataLog& data, QString* errorText)
{
    QByteArray header(8, '\0');
    putUInt32(header, 0, quint32(data.size()));
    putUInt32(header, 4, quint32(data.kind()));

    switch (data.kind()) {
    case IZRDataLog::RealKind: {
        const QVector<double>& values = static_cast<const ZRDataLogReal&>(data).values();
        if (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
            return writeFile(fileName, header, reinterpret_cast<const char*>(values.constData()),
                             qint64(values.size()) * 8, errorText);
        QByteArray body;
        body.reserve(values.size() * 8);
        for (double value : values)
            appendDouble(body, value);
        return writeFile(fileName, header, body.constData(), body.size(), errorText);
    }
    case IZRDataLog::IntegerKind: {
        const QVector<qint32>& values = static_cast<const ZRDataLogInt&>(data).values();
        QByteArray body;
        body.reserve(values.size() * 4);
        for (qint32 value : values)
            appendLittleEndian(body, value);
        return writeFile(fileName, header, body.constData(), body.size(), errorText);
    }
    case IZRDataLog::TextKind: {
        QByteArray body;
        for (const QString& value : static_cast<const ZRDataLogText&>(data).values()) {
            const QByteArray utf8 = value.toUtf8();
            appendLittleEndian(body, quint32(utf8.size()));
            body.append(utf8);
        }
        return writeFile(fileName, header, body.constData(), body.size(), errorText);
    }
    }
    return setError(errorText, QStringLiteral("unknown value kind"));
}

std::unique_ptr<IZRDataLog> ZRLogDataFile::read(const QString& fileName, QString* errorText, QVector<double>* reusable)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        setError(errorText, file.errorString());
        return nullptr;
    }
    char header[8];
    if (!readAll(file, header, 8)) {
        setError(errorText, QStringLiteral("short header"));
        return nullptr;
    }
    const quint32 count = qFromLittleEndian<quint32>(header);
    const quint32 kind = qFromLittleEndian<quint32>(header + 4);
    const qint64 remaining = file.size() - 8;
    // Sizes come from the file: checked against its length and the limits before anything is allocated.
    if (count > MaximumValueCount) {
        setError(errorText, QStringLiteral("%1 values declared, more than the %2 a log may hold")
                                .arg(count)
                                .arg(MaximumValueCount));
        return nullptr;
    }

    if (kind == IZRDataLog::RealKind) {
        if (remaining < qint64(count) * 8) {
            setError(errorText, QStringLiteral("short data: %1 values declared, room for %2")
                                    .arg(count)
                                    .arg(remaining / 8));
            return nullptr;
        }
        auto data = std::make_unique<ZRDataLogReal>();
        QVector<double>& values = data->values();
        // Memory taken over needs no zero filling up to its former size, and no fresh pages.
        if (reusable && reusable->isDetached() && reusable->capacity() >= int(count))
            values.swap(*reusable);
        values.resize(int(count));
        if (!readAll(file, reinterpret_cast<char*>(values.data()), qint64(count) * 8)) {
            setError(errorText, QStringLiteral("short data"));
            return nullptr;
        }
        if (Q_BYTE_ORDER != Q_LITTLE_ENDIAN) {
            for (double& value : values)
                value = doubleAt(reinterpret_cast<const char*>(&value));
        }
        return data;
    }
    if (kind == IZRDataLog::IntegerKind) {
        if (remaining < qint64(count) * 4) {
            setError(errorText, QStringLiteral("short data: %1 values declared, room for %2")
                                    .arg(count)
                                    .arg(remaining / 4));
            return nullptr;
        }
        auto data = std::make_unique<ZRDataLogInt>();
        QVector<qint32>& values = data->values();
        values.resize(int(count));
        if (!readAll(file, reinterpret_cast<char*>(values.data()), qint64(count) * 4)) {
            setError(errorText, QStringLiteral("short data"));
            return nullptr;
        }
        if (Q_BYTE_ORDER != Q_LITTLE_ENDIAN) {
            for (qint32& value : values)
                value = qFromLittleEndian<qint32>(&value);
        }
        return data;
    }
    if (kind == IZRDataLog::TextKind) {
        if (count > MaximumTextValueCount) {
            setError(errorText, QStringLiteral("%1 text values declared, more than the %2 a log may hold")
                                    .arg(count)
                                    .arg(MaximumTextValueCount));
            return nullptr;
        }
        // Every text value takes at least its 4-byte length.
        if (remaining < qint64(count) * 4) {
            setError(errorText, QStringLiteral("short data: %1 values declared, room for %2")
                                    .arg(count)
                                    .arg(remaining / 4));
            return nullptr;
        }
        if (remaining > MaximumTextBytes) {
            setError(errorText, QStringLiteral("%1 bytes of text values, more than the %2 a log may hold")
                                    .arg(remaining)
                                    .arg(MaximumTextBytes));
            return nullptr;
        }
        QByteArray body(int(remaining), Qt::Uninitialized);
        if (!readAll(file, body.data(), body.size())) {
            setError(errorText, QStringLiteral("short data"));
            return nullptr;
        }
        auto data = std::make_unique<ZRDataLogText>();
        data->values().reserve(int(count));
        qint64 offset = 0;
        for (quint32 i = 0; i < count; ++i) {
            if (offset + 4 > body.size()) {
                setError(errorText, QStringLiteral("short data"));
                return nullptr;
            }
            const quint32 length = qFromLittleEndian<quint32>(body.constData() + offset);
            offset += 4;
            if (offset + qint64(length) > body.size()) {
                setError(errorText, QStringLiteral("short data: a text value of %1 bytes declared, room for %2")
                                        .arg(length)
                                        .arg(body.size() - offset));
                return nullptr;
            }
            data->values().append(QString::fromUtf8(body.constData() + offset, int(length)));
            offset += qint64(length);
        }
        return data;
    }
    setError(errorText, QStringLiteral("unknown value kind %1").arg(kind));
    return nullptr;
}

bool ZRLogDataFile::writeMarkerList(const QString& fileName, const QVector<ZRMarkerListEntry>& markers,
                                    QString* errorText)
{
    QByteArray header(8, '\0');
    putUInt32(header, 0, quint32(markers.size()));
    putUInt32(header, 4, MarkerListKind);
    QByteArray body;
    body.reserve(markers.size() * 20);
    for (const ZRMarkerListEntry& marker : markers) {
        appendLittleEndian(body, marker.markerInfoId);
        appendDouble(body, marker.top);
        appendDouble(body, marker.hasBottom ? marker.bottom : std::numeric_limits<double>::quiet_NaN());
    }
    return writeFile(fileName, header, body.constData(), body.size(), errorText);
}

bool ZRLogDataFile::readMarkerList(const QString& fileName, QVector<ZRMarkerListEntry>& markers, QString* errorText)
{
    markers.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return setError(errorText, file.errorString());
    if (file.size() < 8)
        return setError(errorText, QStringLiteral("short header"));
    if (file.size() > 8 + qint64(MaximumMarkerCount) * 20)
        return setError(errorText, QStringLiteral("%1 bytes, larger than a marker list may be").arg(file.size()));
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 8)
        return setError(errorText, QStringLiteral("short header"));
    const quint32 count = qFromLittleEndian<quint32>(bytes.constData());
    if (qFromLittleEndian<quint32>(bytes.constData() + 4) != MarkerListKind)
        return setError(errorText, QStringLiteral("not a marker list"));
    if (bytes.size() < 8 + qint64(count) * 20)
        return setError(errorText, QStringLiteral("short data: %1 markers declared, room for %2")
                                       .arg(count)
                                       .arg((bytes.size() - 8) / 20));
    markers.reserve(int(count));
    for (quint32 i = 0; i < count; ++i) {
        const char* entry = bytes.constData() + 8 + 20 * i;
        ZRMarkerListEntry marker;
        marker.markerInfoId = qFromLittleEndian<qint32>(entry);
        marker.top = doubleAt(entry + 4);
        const double bottom = doubleAt(entry + 12);
        marker.hasBottom = !std::isnan(bottom);
        marker.bottom = marker.hasBottom ? bottom : 0.0;
        markers.append(marker);
    }
    return true;
}

QString ZRLogDataFile::logFileName(const QString& folder, int logId)
{
    return folder + QLatin1Char('/') + QStringLiteral("LOGDATA") + QLatin1Char('_') + QString::number(logId);
}

QString ZRLogDataFile::markerListFileName(const QString& folder, int setId)
{
    return folder + QLatin1Char('/') + QStringLiteral("MARKERLIST") + QLatin1Char('_') + QString::number(setId);
}
