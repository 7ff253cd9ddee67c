#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

/// The values of one log. The kind is also the value-kind word of the log data file.
/// Copies share the values until one of them changes (Qt containers).
class IZRDataLog
{
public:
    enum Kind : quint32
    {
        IntegerKind = 1,
        RealKind = 2,
        TextKind = 3
    };

    virtual ~IZRDataLog() = default;
    virtual Kind kind() const = 0;
    virtual int size() const = 0;
    /// Bytes of memory the values take (an estimate for text).
    virtual qint64 byteSize() const = 0;
    virtual std::unique_ptr<IZRDataLog> clone() const = 0;
};

/// Real values (doubles) in depth order.
class ZRDataLogReal : public IZRDataLog
{
public:
    ZRDataLogReal() = default;
    explicit ZRDataLogReal(QVector<double> values) : m_values(std::move(values)) {}
    Kind kind() const override { return RealKind; }
    int size() const override { return m_values.size(); }
    qint64 byteSize() const override { return qint64(m_values.size()) * qint64(sizeof(double)); }
    std::unique_ptr<IZRDataLog> clone() const override { return std::make_unique<ZRDataLogReal>(m_values); }
    const QVector<double>& values() const { return m_values; }
    QVector<double>& values() { return m_values; }

private:
    QVector<double> m_values;
};

/// 32-bit integer values.
class ZRDataLogInt : public IZRDataLog
{
public:
    ZRDataLogInt() = default;
    explicit ZRDataLogInt(QVector<qint32> values) : m_values(std::move(values)) {}
    Kind kind() const override { return IntegerKind; }
    int size() const override { return m_values.size(); }
    qint64 byteSize() const override { return qint64(m_values.size()) * qint64(sizeof(qint32)); }
    std::unique_ptr<IZRDataLog> clone() const override { return std::make_unique<ZRDataLogInt>(m_values); }
    const QVector<qint32>& values() const { return m_values; }
    QVector<qint32>& values() { return m_values; }

private:
    QVector<qint32> m_values;
};

/// Text values (marker names, facies names).
class ZRDataLogText : public IZRDataLog
{
public:
    ZRDataLogText() = default;
    explicit ZRDataLogText(QStringList values) : m_values(std::move(values)) {}
    Kind kind() const override { return TextKind; }
    int size() const override { return m_values.size(); }
    qint64 byteSize() const override
    {
        qint64 bytes = qint64(m_values.size()) * qint64(sizeof(void*));
        for (const QString& value : m_values)
            bytes += 24 + qint64(value.size()) * 2;
        return bytes;
    }
    std::unique_ptr<IZRDataLog> clone() const override { return std::make_unique<ZRDataLogText>(m_values); }
    const QStringList& values() const { return m_values; }
    QStringList& values() { return m_values; }

private:
    QStringList m_values;
};
