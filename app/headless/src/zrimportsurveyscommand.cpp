#include "zrimportsurveyscommand.h"

#include "zrheadlessoutput.h"
#include "zrheadlesssession.h"
#include "zropenworkssurveymodel.h"
#include "zrprogressbarmgr.h"
#include "zrsurveyimport.h"
#include "zrterminalexchangeui.h"
#include "zrterminalprogressbarfactory.h"

#include <QCommandLineParser>
#include <QSet>

namespace
{

const QString kSurveySeparator = QStringLiteral("::");

/// Removes the progress factory from the manager on every path.
class ProgressFactoryScope
{
public:
    explicit ProgressFactoryScope(VsProgressBarFactoryAbstract* factory)
    {
        zrProgressBarMgr->setProgressBarFactory(factory);
    }
    ~ProgressFactoryScope() { zrProgressBarMgr->setProgressBarFactory(nullptr); }
    ProgressFactoryScope(const ProgressFactoryScope&) = delete;
    ProgressFactoryScope& operator=(const ProgressFactoryScope&) = delete;
};

int usageError(const QCommandLineParser& parser, const QString& text)
{
    ZRHeadlessOutput::message(QStringLiteral("error: ") + text + QStringLiteral("\n\n") + parser.helpText());
    return ZRHeadlessCommand::ExitUsage;
}

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
        const QString rowSurvey = surveyModel.index(row, 0).data().toString();
        const QString rowDataSet = surveyModel.index(row, 1).data().toString();
        const bool surveyOnly = surveyModel.index(row, 18).data().toBool();
        const bool matches = separator >= 0 ? !surveyOnly && rowSurvey == survey && rowDataSet == dataSet
                                            : (surveyOnly ? rowSurvey == name : rowDataSet == name);
        if (matches)
            rows.append(row);
    }
    return rows;
}

int ZRImportSurveysCommand::run(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Imports OpenWorks® 3D seismic data sets into the volume folder of a host project.\n"
                       "Exit code 0 when every named data set was imported, 1 when fewer were, 2 for a usage "
                       "error or a project that cannot be opened."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."));
    const QCommandLineOption hostProject(QStringLiteral("host-project"), QStringLiteral("The host project folder."),
                                         QStringLiteral("folder"));
    const QCommandLineOption district(QStringLiteral("district"),
                                      QStringLiteral("The OpenWorks® district (default: the system district)."),
                                      QStringLiteral("name"));
    const QCommandLineOption project(QStringLiteral("project"), QStringLiteral("The OpenWorks® project."),
                                     QStringLiteral("name"));
    const QCommandLineOption conflict(
        QStringLiteral("on-conflict"),
        QStringLiteral("What to do when a volume file of that name exists: skip, overwrite, or rename:PATTERN "
                       "(%1 the existing name, %2 a number counted until the name is free, e.g. \"rename:%1 "
                       "(%2)\"). Default: skip."),
        QStringLiteral("rule"), QStringLiteral("skip"));
    const QCommandLineOption unit(QStringLiteral("unit"),
                                  QStringLiteral("Host unit to record when the project's unit is not supported "
                                                 "(e.g. Millisecond, Meter, Foot); may be repeated."),
                                  QStringLiteral("unit"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Also writes the messages to the log in this folder."),
                                 QStringLiteral("folder"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Forwards every OpenWorks® message, not only errors."));
    parser.addOptions({help, hostProject, district, project, conflict, unit, log, verbose});
    parser.addPositionalArgument(QStringLiteral("datasets"),
                                 QStringLiteral("Data sets to import: \"DATA SET\" or \"SURVEY::DATA SET\"."),
                                 QStringLiteral("datasets..."));

    if (!parser.parse(QStringList{QStringLiteral("owdatalink-headless import-surveys")} + arguments))
        return usageError(parser, parser.errorText());
    if (parser.isSet(help)) {
        ZRHeadlessOutput::message(parser.helpText());
        return ExitTransferred;
    }
    QStringList names = parser.positionalArguments();
    names.removeDuplicates();
    if (!parser.isSet(hostProject) || !parser.isSet(project))
        return usageError(parser, QStringLiteral("--host-project and --project are required."));
    if (names.isEmpty())
        return usageError(parser, QStringLiteral("name at least one data set."));
    ZRTerminalExchangeUi::ConflictRule rule;
    if (!ZRTerminalExchangeUi::parseConflictRule(parser.value(conflict), &rule))
        return usageError(parser, QStringLiteral("unknown --on-conflict rule \"%1\".").arg(parser.value(conflict)));

    ZRTerminalExchangeUi ui;
    ui.setConflictRule(rule);
    ui.setUnitAnswers(parser.values(unit));

    ZRHeadlessSession session;
    if (!session.startMessages(parser.value(log), parser.isSet(verbose)))
        ZRHeadlessOutput::message(QStringLiteral("warning: the message manager could not start; event-bus "
                                                 "messages are not shown."));
    QString error;
    if (!session.openHostProject(parser.value(hostProject), &error)
        || !session.openOpenWorksProject(parser.value(district), parser.value(project), &error)) {
        ZRHeadlessOutput::message(QStringLiteral("error: ") + error);
        return ExitUsage;
    }

    ZRTerminalProgressBarFactory factory;
    ProgressFactoryScope factoryScope(&factory);
    ZRTerminalProgressBarFactory::installInterruptHandler();

    ZROpenworksSurveyModel catalogue;
    {
        ZRProgressBarGuard reading(1, QStringLiteral("Reading OpenWorks® Data"));
        catalogue.loadFromOpenworks(reading.id());
        reading.increment(1);
    }
    if (catalogue.rowCount() == 0 && !catalogue.pageMessage().isEmpty())
        ZRHeadlessOutput::message(QStringLiteral("note: ") + catalogue.pageMessage());

    QVector<int> rows;
    QSet<int> chosen;
    for (const QString& name : names) {
        const QVector<int> matches = rowsForName(catalogue, name);
        if (matches.isEmpty()) {
            ZRHeadlessOutput::message(
                QStringLiteral("error: no 3D survey data set \"%1\" in project %2.").arg(name, parser.value(project)));
            continue;
        }
        if (matches.size() > 1) {
            QStringList choices;
            for (int row : matches)
                choices.append(catalogue.index(row, 0).data().toString() + kSurveySeparator
                               + catalogue.index(row, 1).data().toString());
            ZRHeadlessOutput::message(QStringLiteral("error: \"%1\" names several data sets; name one of: %2")
                                          .arg(name, choices.join(QStringLiteral(", "))));
            continue;
        }
        if (!chosen.contains(matches[0])) {
            chosen.insert(matches[0]);
            rows.append(matches[0]);
        }
    }

    const ZRExchangeContext context = session.context(&ui);
    QStringList surveysWithoutDataSets;
    const QVector<SurveyImportRequest> requests =
        surveyImportRequestsFromRows(catalogue, rows, &surveysWithoutDataSets);
    warnSurveysWithoutDataSets(context, surveysWithoutDataSets);
    const int imported = requests.isEmpty() ? 0 : importSurveys(context, requests);

    session.flushMessages();
    ZRHeadlessOutput::message(QStringLiteral("result: %1 of %2 data sets imported%3.")
                                  .arg(imported)
                                  .arg(names.size())
                                  .arg(ZRTerminalProgressBarFactory::interrupted() ? QStringLiteral(" (interrupted)")
                                                                                   : QString()));
    return imported < names.size() ? ExitIncomplete : ExitTransferred;
}
