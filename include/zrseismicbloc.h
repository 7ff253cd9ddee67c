#pragma once

#include "zrbloc.h"

#include <memory>

/// A host seismic volume: a ZRBloc with its seismic attribute kind.
class ZRSeismicBloc : public ZRBloc
{
    Q_OBJECT

public:
    explicit ZRSeismicBloc(const georef::BlocSpace& space, DataSize dataSize = FLOAT_SIZE, QObject* parent = nullptr);
    ~ZRSeismicBloc() override;

    /// Reads a volume file's header: the first "object" of type "ZRSeismicBloc"
    /// (or "ZRBloc"), the file name and the data offset. Null, with a message
    /// (draw type 2), when the file is not a readable volume, including when its
    /// sizes fail checkFileLayout() (a file shorter than its header describes).
    static std::unique_ptr<ZRSeismicBloc> load(const QString& fileName);

    int attribute() const { return m_attribute; }
    void setAttribute(int attribute) { m_attribute = attribute; }

    QString typeName() const override { return QStringLiteral("ZRSeismicBloc"); }
    using ZRBloc::toXml;
    QDomElement toXml(QDomDocument& document) const override;
    bool fromXml(const QDomElement& element) override;

private:
    int m_attribute = 0;
};
