#include "zrexportsurveytarget.h"

#include "owguards.h"
#include "zreventbus.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrseismicbloc.h"
#include "zrtransferreport.h"
#include "unittable.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cstring>

namespace
{

using Kind = ZRExchangeUi::MessageKind;

const char* const VolumesBarTitle = "Exporting Volumes from Velostrat to OpenWorks®";

/// A DevKit copy of a survey record (null when the DevKit gives no object).
OwSurveyRecord copyOf(const gdi3dSurvey_t& record)
{
    OwSurveyRecord copy(static_cast<gdi3dSurvey_t*>(gdiCreateObject(GDI_CLASS_3D_SURVEY, 1)));
    if (copy)
        std::memcpy(copy.get(), &record, sizeof record);
    return copy;
}

QString originText(SurveyOrigin origin)
{
    switch (origin) {
    case SurveyOrigin::HostVolume:
        return QStringLiteral("host volume");
    case SurveyOrigin::OpenWorksSurvey:
        return QStringLiteral("OpenWorks survey");
    case SurveyOrigin::None:
        break;
    }
    return QStringLiteral("none");
}

QString volumeOutcomeText(VolumeExportOutcome outcome)
{
    switch (outcome) {
    case VolumeExportOutcome::Exported:
        return QStringLiteral("exported as a new survey");
    case VolumeExportOutcome::SurveyExists:
        return QStringLiteral("a survey of its name exists");
    case VolumeExportOutcome::Planned:
        return QStringLiteral("would be exported as a new survey");
    case VolumeExportOutcome::Failed:
        return QStringLiteral("failed");
    case VolumeExportOutcome::Cancelled:
        return QStringLiteral("cancelled");
    }
    return QString();
}

/// The survey a host volume would become, for a dry run: its geometry as the
/// volume export computes it (corners in metres).
bool plannedGeometryOf(const QString& path, VolumeSurveyGeometry* geometry)
{
    const std::unique_ptr<ZRSeismicBloc> volume = ZRSeismicBloc::load(path);
    if (!volume)
        return false;
    const int spatialUnit = volume->unitsObject().spatialUnit();
    const double metresPerSpatialUnit =
        spatialUnit != NoUnit && !UnitTable::isTimeUnit(spatialUnit) ? 1.0 / UnitTable::unitFactor(spatialUnit) : 1.0;
    *geometry = volumeSurveyGeometry(*volume, metresPerSpatialUnit);
    return true;
}

/// The survey of a host volume association.
bool resolveVolume(const ZRExchangeContext& context, const QString& path, int volumesBar, ExportSurveyTarget* target)
{
    target->record = findSurveyRecord(path);
    if (target->record) {
        target->name = owText(target->record->name);
        return true;
    }
    target->volumeExported = true;
    OwSurveyRecord made = exportVolume(context, path, volumesBar, &target->volumeOutcome);
    switch (target->volumeOutcome) {
    case VolumeExportOutcome::Exported:
        target->record = std::move(made);
        break;
    case VolumeExportOutcome::SurveyExists:
        // The copy holds the record as the volume would have made it: the
        // stored one is read by its name.
        target->record = findSurveyByName(made ? owText(made->name) : surveyNameForVolume(path));
        break;
    case VolumeExportOutcome::Planned:
        target->name = surveyNameForVolume(path);
        return plannedGeometryOf(path, &target->plannedGeometry);
    case VolumeExportOutcome::Failed:
    case VolumeExportOutcome::Cancelled:
        break;
    }
    if (!target->record)
        return false;
    target->name = owText(target->record->name);
    return true;
}

} // namespace

QJsonObject ExportSurveyTarget::reportEntry() const
{
    QJsonObject entry;
    entry.insert(QStringLiteral("origin"), originText(origin));
    entry.insert(QStringLiteral("association"), origin == SurveyOrigin::HostVolume
                                                     ? QDir::toNativeSeparators(association)
                                                     : association);
    entry.insert(QStringLiteral("survey"), name);
    if (record)
        entry.insert(QStringLiteral("surveyId"), record->id);
    if (volumeExported)
        entry.insert(QStringLiteral("volume"), volumeOutcomeText(volumeOutcome));
    return entry;
}

QString exportBaseName(const QString& path)
{
    const QString fileName = QFileInfo(path).fileName();
    const int dot = fileName.indexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

OwSurveyRecord findSurveyByName(const QString& name)
{
    gdi3dSurvey_t key;
    std::memset(&key, 0, sizeof key);
    if (gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &key) != 0)
        return OwSurveyRecord();
    gdiSetKeyFlag(GDI_CLASS_3D_SURVEY, 1, &key);
    owSetText(key.name, name.toLocal8Bit());
    OwRecordList<gdi3dSurvey_t> matches(GDI_CLASS_3D_SURVEY, OwRecordList<gdi3dSurvey_t>::Release::ReleaseList);
    const int status = matches.readSubset(GDI_CLASS_3D_SURVEY, &key);
    if (status != 0 || matches.count() != 1)
        return OwSurveyRecord();
    return copyOf(matches[0]);
}

OwSurveyRecord findSurveyRecord(const QString& path)
{
    return findSurveyByName(exportBaseName(path));
}

OwSurveyRecord findSurveyOfDataSet(const ZRExchangeContext& context, const QString& name, bool* noneMatched)
{
    if (noneMatched)
        *noneMatched = false;
    OwRecordList<gdiSeismicDataSet_t> dataSets(GDI_CLASS_SEISMIC_DATA_SET,
                                               OwRecordList<gdiSeismicDataSet_t>::Release::ReleaseList);
    const int status = dataSets.readSet();
    if (status != 0 && status != GDI_NO_DATA) {
        if (context.ui)
            context.ui->showMessage(Kind::Warning, QStringLiteral("Error"),
                                    QStringLiteral("Unable to find gdiSeismicDataSet_t with name: ") + name);
        if (context.report)
            context.report->addRunMessage(QStringLiteral("Unable to find gdiSeismicDataSet_t with name: ") + name);
        return OwSurveyRecord();
    }
    const QByteArray prefix = name.toLocal8Bit().left(257);
    OwSurveyRecord result;
    bool matched = false;
    for (int i = 0; i < dataSets.count(); ++i) {
        const gdiSeismicDataSet_t& dataSet = dataSets[i];
        if (strncmp(dataSet.name, prefix.constData(), size_t(prefix.size())) != 0)
            continue;
        matched = true;
        gdi3dSurvey_t survey;
        std::memset(&survey, 0, sizeof survey);
        gdiInitiateObject(GDI_CLASS_3D_SURVEY, 1, &survey);
        survey.id = dataSet.surveyId;
        if (gdiRead(GDI_CLASS_3D_SURVEY, &survey) != 0) {
            const QString text = QStringLiteral("Unable to find 3D Survey for this data set.");
            if (context.ui)
                context.ui->showMessage(Kind::Information, QStringLiteral("Error"), text);
            if (context.report)
                context.report->addRunMessage(text);
            break;
        }
        result = copyOf(survey);
    }
    if (noneMatched)
        *noneMatched = !matched;
    return result;
}

QModelIndexList hostFileCandidates(const QModelIndexList& items, int objectType, bool itemKindMatters)
{
    QModelIndexList candidates;
    QSet<QString> seen;
    for (const QModelIndex& index : items) {
        // Roles 513 (item kind), 514 (object type) and 516 (path) of the host tree.
        if (!index.isValid() || index.data(Qt::UserRole + 258).toInt() != objectType
            || (itemKindMatters && index.data(Qt::UserRole + 257).toInt() != 3))
            continue;
        const QString path = index.data(Qt::UserRole + 260).toString();
        if (path.isEmpty() || seen.contains(path))
            continue;
        seen.insert(path);
        candidates.append(index);
    }
    return candidates;
}

bool resolveExportSurveys(const ZRExchangeContext& context, SurveyExportKind kind,
                          const QList<SurveyAssociation>& associations, std::vector<ExportListEntry>* list)
{
    list->clear();
    const int volumes = int(std::count_if(associations.begin(), associations.end(), [](const SurveyAssociation& a) {
        return a.origin == SurveyOrigin::HostVolume;
    }));
    std::unique_ptr<ZRProgressBarGuard> volumesBar;
    if (volumes > 0)
        volumesBar = std::make_unique<ZRProgressBarGuard>(volumes, QString::fromUtf8(VolumesBarTitle),
                                                          context.progressParentId, true);
    for (const SurveyAssociation& association : associations) {
        ExportListEntry entry;
        entry.path = association.item.data(Qt::UserRole + 260).toString();
        entry.survey.origin = association.origin;
        entry.survey.association = association.survey;
        bool found = false;
        if (association.origin == SurveyOrigin::HostVolume) {
            found = resolveVolume(context, association.survey, volumesBar ? volumesBar->id() : -1, &entry.survey);
        } else if (association.origin == SurveyOrigin::OpenWorksSurvey) {
            if (kind == SurveyExportKind::Faults) {
                bool noneMatched = false;
                entry.survey.record = findSurveyOfDataSet(context, association.survey, &noneMatched);
                // A survey without a data set of its name is taken by its own name.
                if (noneMatched)
                    entry.survey.record = findSurveyByName(association.survey);
            } else {
                entry.survey.record = findSurveyByName(association.survey);
            }
            found = bool(entry.survey.record);
            if (found)
                entry.survey.name = owText(entry.survey.record->name);
        }
        if (!found) {
            const QString text =
                QStringLiteral("No OpenWorks® 3D survey for %1 (%2 \"%3\"): nothing is exported.")
                    .arg(QDir::toNativeSeparators(entry.path), originText(association.origin),
                         association.origin == SurveyOrigin::HostVolume ? QDir::toNativeSeparators(association.survey)
                                                                        : association.survey);
            ZREventBus::sendMessage(eDrawError, text, false);
            if (context.report)
                context.report->addRunMessage(text);
            list->clear();
            return false;
        }
        if (kind == SurveyExportKind::Faults && volumesBar)
            volumesBar->increment(1);
        list->push_back(std::move(entry));
    }
    return true;
}
