#include "zrimportsurveyscommand.h"

#include "zrcatalogueselection.h"
#include "zrheadlessoutput.h"
#include "zrheadlessrun.h"
#include "zropenworkssession.h"
#include "zropenworkssurveymodel.h"
#include "zrprogressbarmgr.h"
#include "zrsurveyimport.h"

namespace
{

const QString kSurveySeparator = QStringLiteral("::");

} // namespace

QString ZRImportSurveysCommand::summary() const
{
    return QStringLiteral("import OpenWorks® 3D seismic data sets as host volumes");
}

QVector<int> ZRImportSurveysCommand::rowsForName(const QAbstractItemModel& surveyModel, const QString& name)
{
    const int separator = name.indexOf(kSurveySeparator);
    const QString survey = separator >= 0 ? name.left(separator) : QString();
    const QString dataSet = separator >= 0 ? name.mid(separator + kSurveySeparator.size()) : name;
    QVector<int> rows;
    for (int row = 0; row < surveyModel.rowCount(); ++row) {
        const QString rowSurvey = surveyModel.index(row, ZROpenworksSurveyModel::SurveyNameColumn).data().toString();
        const QString rowDataSet = surveyModel.index(row, ZROpenworksSurveyModel::DataSetColumn).data().toString();
        const bool surveyOnly = surveyModel.index(row, ZROpenworksSurveyModel::SurveyOnlyColumn).data().toBool();
        const bool matches = separator >= 0 ? !surveyOnly && rowSurvey == survey && rowDataSet == dataSet
                                            : (surveyOnly ? rowSurvey == name : rowDataSet == name);
        if (matches)
            rows.append(row);
    }
    return rows;
}

int ZRImportSurveysCommand::run(const QStringList& arguments)
{
    ZRHeadlessRun run(name(), QStringLiteral("Imports OpenWorks® 3D seismic data sets into the volume folder of a host "
                                             "project."));
    run.addConflictOption();
    run.addUnitOption();
    run.parser().addPositionalArgument(QStringLiteral("datasets"),
                                       QStringLiteral("Data sets to import: \"DATA SET\" or \"SURVEY::DATA SET\"."),
                                       QStringLiteral("datasets..."));
    const int parsed = run.parse(arguments);
    if (parsed >= 0)
        return parsed;
    QStringList names = run.parser().positionalArguments();
    names.removeDuplicates();
    if (names.isEmpty())
        return run.usageError(QStringLiteral("name at least one data set."));
    if (!run.open())
        return ExitUsage;

    ZROpenworksSurveyModel catalogue;
    run.loadCatalogue(catalogue);
    const QVector<int> rows = run.rowsForNames(
        names, [&](const QString& name) { return rowsForName(catalogue, name); }, QStringLiteral("3D survey data set"),
        [&](const QString& name, const QVector<int>& matches) {
            QStringList choices;
            for (int row : matches)
                choices.append(catalogue.index(row, ZROpenworksSurveyModel::SurveyNameColumn).data().toString()
                               + kSurveySeparator
                               + catalogue.index(row, ZROpenworksSurveyModel::DataSetColumn).data().toString());
            return QStringLiteral("\"%1\" names several data sets; name one of: %2")
                .arg(name, choices.join(QStringLiteral(", ")));
        });

    const ZRExchangeContext context = run.context();
    QStringList surveysWithoutDataSets;
    const QVector<SurveyImportRequest> requests =
        surveyImportRequestsFromRows(catalogue, uniqueRows(rows), &surveysWithoutDataSets);
    warnSurveysWithoutDataSets(context, surveysWithoutDataSets);
    const int imported = requests.isEmpty() ? 0 : importSurveys(context, requests);
    return run.finish(names.size(), imported, QStringLiteral("data sets imported"));
}
