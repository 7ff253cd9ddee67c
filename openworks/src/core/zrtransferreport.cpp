#include "zrtransferreport.h"

#include "blocspace.h"
#include "zreventbus.h"
#include "zrexchangecontext.h"
#include "zrsha256.h"
#include "zropenworkssession.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

const QString ZRTransferReport::Planned = QStringLiteral("planned");
const QString ZRTransferReport::Imported = QStringLiteral("imported");
const QString ZRTransferReport::Exported = QStringLiteral("exported");
const QString ZRTransferReport::Overwritten = QStringLiteral("overwritten");
const QString ZRTransferReport::Renamed = QStringLiteral("renamed");
const QString ZRTransferReport::Skipped = QStringLiteral("skipped");
const QString ZRTransferReport::Failed = QStringLiteral("failed");
const QString ZRTransferReport::Cancelled = QStringLiteral("cancelled");
const QString ZRTransferReport::Create = QStringLiteral("create");
const QString ZRTransferReport::Overwrite = QStringLiteral("overwrite");
const QString ZRTransferReport::Rename = QStringLiteral("rename");
const QString ZRTransferReport::Skip = QStringLiteral("skip");

namespace
{
QString isoTime(const QDateTime& time)
{
    return time.isValid() ? time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs) : QString();
}
} // namespace

void ZRTransferReport::setOpenWorksProject(const QString& district, const QString& project)
{
    m_district = district;
    m_project = project;
}

void ZRTransferReport::start()
{
    m_start = QDateTime::currentDateTime();
}

void ZRTransferReport::finish(int requested, int transferred)
{
    m_end = QDateTime::currentDateTime();
    m_requested = requested;
    m_transferred = transferred;
}

int ZRTransferReport::addItem(const Item& item)
{
    m_items.append(item);
    return m_items.size() - 1;
}

QJsonObject ZRTransferReport::toJson() const
{
    QJsonObject report;
    report.insert(QStringLiteral("formatVersion"), FormatVersion);
    report.insert(QStringLiteral("program"), QStringLiteral("OpenWorks® Data Link"));
    report.insert(QStringLiteral("programVersion"), programVersion());
    report.insert(QStringLiteral("exchange"), m_exchange);
    report.insert(QStringLiteral("dryRun"), m_dryRun);
    report.insert(QStringLiteral("arguments"), QJsonArray::fromStringList(m_arguments));
    report.insert(QStringLiteral("start"), isoTime(m_start));
    report.insert(QStringLiteral("end"), isoTime(m_end));
    report.insert(QStringLiteral("hostProject"), m_hostProject);
    QJsonObject openWorks;
    openWorks.insert(QStringLiteral("district"), m_district);
    openWorks.insert(QStringLiteral("project"), m_project);
    report.insert(QStringLiteral("openWorksProject"), openWorks);
    report.insert(QStringLiteral("requested"), m_requested);
    report.insert(QStringLiteral("transferred"), m_transferred);
    report.insert(QStringLiteral("messages"), QJsonArray::fromStringList(m_runMessages));
    QJsonArray items;
    for (const Item& item : m_items) {
        QJsonObject entry;
        QJsonObject source = item.source;
        source.insert(QStringLiteral("system"), item.sourceSystem);
        source.insert(QStringLiteral("class"), item.objectClass);
        source.insert(QStringLiteral("id"), double(item.sourceId));
        source.insert(QStringLiteral("name"), item.sourceName);
        entry.insert(QStringLiteral("source"), source);
        entry.insert(QStringLiteral("target"), item.target);
        entry.insert(QStringLiteral("action"), item.action);
        entry.insert(QStringLiteral("outcome"), item.outcome);
        entry.insert(QStringLiteral("messages"), QJsonArray::fromStringList(item.messages));
        entry.insert(QStringLiteral("units"), item.units);
        entry.insert(QStringLiteral("geometry"), item.geometry);
        entry.insert(QStringLiteral("counts"), item.counts);
        entry.insert(QStringLiteral("valueRange"), item.valueRange);
        entry.insert(QStringLiteral("files"), item.files);
        entry.insert(QStringLiteral("seconds"), item.seconds);
        items.append(entry);
    }
    report.insert(QStringLiteral("items"), items);
    return report;
}

bool ZRTransferReport::write(const QString& path, QString* error) const
{
    const QFileInfo info(path);
    if (!info.absoluteDir().exists() && !QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = QStringLiteral("Unable to create the folder %1.").arg(info.absolutePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Unable to write the report %1: %2").arg(path, file.errorString());
        return false;
    }
    file.write(QJsonDocument(toJson()).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("Unable to write the report %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool ZRTransferReport::read(const QString& path, QJsonObject* report, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Unable to read the report %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > (qint64(256) << 20)) {
        if (error)
            *error = QStringLiteral("The report %1 is too large to be a run report.").arg(path);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        if (error)
            *error = QStringLiteral("The report %1 is not valid JSON: %2").arg(path, parseError.errorString());
        return false;
    }
    const QJsonObject object = document.object();
    const int version = object.value(QStringLiteral("formatVersion")).toInt(-1);
    if (version < 1 || version > FormatVersion) {
        if (error)
            *error = QStringLiteral("The report %1 has the unknown format version %2.").arg(path).arg(version);
        return false;
    }
    if (report)
        *report = object;
    return true;
}

QJsonObject ZRTransferReport::fileEntry(const QString& path)
{
    QJsonObject entry;
    entry.insert(QStringLiteral("path"), QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    entry.insert(QStringLiteral("bytes"), double(QFileInfo(path).size()));
    entry.insert(QStringLiteral("sha256"), sha256OfFile(path));
    return entry;
}

QString ZRTransferReport::sha256OfFile(const QString& path)
{
    return ZRSha256::ofFile(path);
}

QJsonObject ZRTransferReport::unitEntry(const QString& quantity, int fromUnitId, const QString& fromUnit, int toUnitId,
                                        const QString& toUnit, double factor, const QString& hostUnit)
{
    QJsonObject entry;
    entry.insert(QStringLiteral("quantity"), quantity);
    entry.insert(QStringLiteral("fromUnitId"), fromUnitId);
    entry.insert(QStringLiteral("fromUnit"), fromUnit);
    entry.insert(QStringLiteral("toUnitId"), toUnitId);
    entry.insert(QStringLiteral("toUnit"), toUnit);
    entry.insert(QStringLiteral("factor"), factor);
    if (!hostUnit.isEmpty())
        entry.insert(QStringLiteral("hostUnit"), hostUnit);
    return entry;
}

QJsonObject ZRTransferReport::blocSpaceEntry(const georef::BlocSpace& space)
{
    const auto matrix = [](const georef::Matrix4& m) {
        QJsonArray values;
        for (double value : m.values())
            values.append(value);
        return values;
    };
    QJsonObject entry;
    entry.insert(QStringLiteral("dimx"), space.dimx());
    entry.insert(QStringLiteral("dimy"), space.dimy());
    entry.insert(QStringLiteral("dimz"), space.dimz());
    entry.insert(QStringLiteral("fromBlocToWorldMatrix"), matrix(space.fromBlocToWorldMatrix()));
    entry.insert(QStringLiteral("fromBlocToSurveyMatrix"), matrix(space.fromBlocToSurveyMatrix()));
    return entry;
}

QString ZRTransferReport::programVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral(DATALINK_VERSION) : version;
}

ZRTransferReport::Item openWorksSourceItem(const ZRExchangeContext& context, const QString& objectClass, int classId,
                                           qint64 id, const QString& name)
{
    ZRTransferReport::Item item;
    item.sourceSystem = QStringLiteral("OpenWorks");
    item.objectClass = objectClass;
    item.sourceId = id;
    item.sourceName = name;
    item.source.insert(QStringLiteral("classId"), classId);
    if (context.session)
        item.source.insert(QStringLiteral("project"), context.session->projectName());
    item.source.insert(QStringLiteral("district"), ZROpenworksSession::systemDistrict());
    item.outcome = ZRTransferReport::Failed;
    return item;
}

ZRReportedItem::ZRReportedItem(const ZRExchangeContext& context, const ZRTransferReport::Item& item)
    : m_context(context)
{
    if (m_context.report)
        m_index = m_context.report->addItem(item);
    m_timer.start();
}

ZRReportedItem::~ZRReportedItem()
{
    if (ZRTransferReport::Item* entry = item())
        entry->seconds = double(m_timer.nsecsElapsed()) * 1e-9;
}

ZRTransferReport::Item* ZRReportedItem::item()
{
    return m_context.report && m_index >= 0 ? &m_context.report->item(m_index) : nullptr;
}

void ZRReportedItem::showMessage(ZRExchangeUi::MessageKind kind, const QString& title, const QString& text)
{
    if (m_context.ui)
        m_context.ui->showMessage(kind, title, text);
    recordMessage(text);
}

void ZRReportedItem::sendMessage(drawType type, const QString& text)
{
    ZREventBus::sendMessage(type, text, false);
    recordMessage(text);
}

void ZRReportedItem::recordMessage(const QString& text)
{
    if (ZRTransferReport::Item* entry = item())
        entry->messages.append(text);
}

void ZRReportedItem::setOutcome(const QString& outcome)
{
    if (ZRTransferReport::Item* entry = item())
        entry->outcome = outcome;
}

void ZRReportedItem::setAction(const QString& action)
{
    if (ZRTransferReport::Item* entry = item())
        entry->action = action;
}

void ZRReportedItem::setTarget(const QString& key, const QJsonValue& value)
{
    if (ZRTransferReport::Item* entry = item())
        entry->target.insert(key, value);
}

void ZRReportedItem::setCount(const QString& key, double value)
{
    if (ZRTransferReport::Item* entry = item())
        entry->counts.insert(key, value);
}
