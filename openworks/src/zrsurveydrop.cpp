#include "zrsurveydrop.h"

#include "zropenworkstableview.h"
#include "zrprojectbrowsermodel.h"

#include <QFileInfo>
#include <QMimeData>
#include <QtEndian>

SurveyDrop SurveyDrop::fromMimeData(const QMimeData* data)
{
    SurveyDrop drop;
    if (!data)
        return drop;
    if (data->hasFormat(ZRProjectBrowserModel::MimeType)) {
        // Only a list of exactly one item can name a survey: its count (the
        // stream's first 32-bit integer, big-endian) is checked before the list
        // is decoded, so that no claimed count of another drag is ever reserved.
        const QByteArray bytes = data->data(ZRProjectBrowserModel::MimeType);
        if (bytes.size() < 4 || qFromBigEndian<quint32>(bytes.constData()) != 1u)
            return drop;
        const QList<QMap<int, QVariant>> items = ZRProjectBrowserModel::decodeItemDataList(data);
        if (items.size() != 1)
            return drop;
        const QMap<int, QVariant>& item = items.first();
        const int objectType = item.value(ZRProjectBrowserModel::ObjectTypeRole).toInt();
        const QString path = item.value(ZRProjectBrowserModel::PathRole).toString();
        if (item.value(ZRProjectBrowserModel::ItemKindRole).toInt() != ZRProjectBrowserModel::ObjectFileItem
            || (objectType != ZRProject::VolumeType && objectType != ZRProject::VolumeAttributeType) || path.isEmpty())
            return drop;
        drop.origin = SurveyOrigin::HostVolume;
        drop.survey = path;
        return drop;
    }
    if (data->hasFormat(QString::fromLatin1(ZROpenworksTableView::MimeType)) && !data->text().isEmpty()) {
        drop.origin = SurveyOrigin::OpenWorksSurvey;
        drop.survey = data->text();
    }
    return drop;
}

bool SurveyDrop::canDecode(const QMimeData* data)
{
    return data
        && (data->hasFormat(ZRProjectBrowserModel::MimeType)
            || data->hasFormat(QString::fromLatin1(ZROpenworksTableView::MimeType)));
}

QString SurveyDrop::displayText(const QString& survey, SurveyOrigin origin)
{
    return origin == SurveyOrigin::HostVolume ? QFileInfo(survey).fileName() : survey;
}
