#include "zropenworkssurveymodel.h"

#include "owguards.h"
#include "zreventbus.h"
#include "zrprogressbarmgr.h"


ZROpenworksSurveyModel::ZROpenworksSurveyModel(QObject* parent)
    : ZROpenworksFixedTableModel(0, {"Survey Name", "Data Set", "Version", "Attribute", "Type", "Format", "Domain", "Inline Min", "Inline Max", "Xline Min", "Xline Max", "Data Min", "Data Max", "Data File Name", "Domain", "Unit"}, parent)
{
}

bool ZROpenworksSurveyModel::isHiddenColumn(int column) const
{
    return column >= FirstHiddenColumn;
}

void ZROpenworksSurveyModel::loadFromOpenworks(int parentProgressId)
{
    OwRecordList<gdi3dSurvey_t> surveys(GDI_CLASS_3D_SURVEY);
    const int status = surveys.readSet();
    if (status != 0 && status != kOwNoRecords) {
        setPageMessage(owErrorText(status));
        return;
    }
    if (surveys.count() == 0) {
        setPageMessage(QStringLiteral("No surveys found"));
        return;
    }
    m_rows.reserve(size_t(surveys.count()));
    const int bar = zrProgressBarMgr->createProgressBar(surveys.count(), QStringLiteral("Loading Surveys"),
                                                        parentProgressId, true, false);
    for (int i = 0; i < surveys.count(); ++i) {
        if (zrProgressBarMgr->isProgressBarCancelled(parentProgressId))
            break;
        const gdi3dSurvey_t& survey = surveys[i];
        const int subsetStatus = rowsOfSurvey(survey, &m_rows);
        if (subsetStatus != 0 && subsetStatus != kOwNoRecords) {
            const QString text =
                QStringLiteral("Error when reading %1: %2").arg(owText(survey.name), owErrorText(subsetStatus));
            ZREventBus::sendMessage(eDrawError, text, false);
            setPageMessage(text);
        }
        zrProgressBarMgr->incrementProgressBar(bar, 1);
    }
    zrProgressBarMgr->closeProgressBar(bar);
}

int ZROpenworksSurveyModel::rowsOfSurvey(const gdi3dSurvey_t& survey, std::vector<Row>* rows) const
{
    const QString surveyName = owText(survey.name);
    OwRecordList<gdiSeismicDataSet_t> dataSets(GDI_CLASS_SEISMIC_DATA_SET);
    const int status = dataSets.readSubset(GDI_CLASS_3D_SURVEY, &survey);
    if (status != 0 && status != kOwNoRecords)
        return status;
    if (dataSets.count() > 0) {
        for (int d = 0; d < dataSets.count(); ++d) {
            const gdiSeismicDataSet_t& set = dataSets[d];
            rows->push_back(Row{surveyName, owText(set.name), owText(set.version), owText(set.attribute),
                                owText(set.type), owText(set.format), owText(set.domain), set.inlineMin,
                                set.inlineMax, set.xlineMin, set.xlineMax, set.dataMin, set.dataMax,
                                owText(set.fileName), owText(set.domain), owText(set.unit), set.sampleInterval,
                                int(set.id), false});
        }
    } else {
        rows->push_back(Row{surveyName, QString(), QString(), QString(), QString(), QString(), QString(), 0.0, 0.0,
                            0.0, 0.0, 0.0, 0.0, QString(), QString(), QString(), 0.0, 0, true});
    }
    return status;
}

bool ZROpenworksSurveyModel::appendSurvey(const gdi3dSurvey_t& survey, QString* error)
{
    std::vector<Row> rows;
    const int status = rowsOfSurvey(survey, &rows);
    if (status != 0 && status != kOwNoRecords) {
        if (error)
            *error = owErrorText(status);
        return false;
    }
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    endInsertRows();
    return true;
}
