#include "zrheadlessrun.h"

#include "zrheadlesscommand.h"
#include "zrheadlessoutput.h"
#include "zropenworkssession.h"
#include "zropenworkstablemodel.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"

#include <QCoreApplication>
#include <QJsonArray>

ZRHeadlessRun::ZRHeadlessRun(const QString& command, const QString& description)
    : m_command(command)
    , m_help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."))
    , m_hostProject(QStringLiteral("host-project"), QStringLiteral("The host project folder."), QStringLiteral("folder"))
    , m_district(QStringLiteral("district"), QStringLiteral("The OpenWorks® district (default: the system district)."),
                 QStringLiteral("name"))
    , m_project(QStringLiteral("project"), QStringLiteral("The OpenWorks® project."), QStringLiteral("name"))
    , m_log(QStringLiteral("log"), QStringLiteral("Also writes the messages to the log in this folder."),
            QStringLiteral("folder"))
    , m_verbose(QStringLiteral("verbose"), QStringLiteral("Forwards every OpenWorks® message, not only errors."))
    , m_dryRun(QStringLiteral("dry-run"),
               QStringLiteral("Resolves everything the transfer would (targets, conflict answers, units, geometry, "
                              "sizes, free space), prints the plan and writes nothing in either project."))
    , m_reportFile(QStringLiteral("report"),
                   QStringLiteral("Writes the run report (JSON, see docs/run-report.md) to this file."),
                   QStringLiteral("file"))
{
    m_parser.setApplicationDescription(
        description
        + QStringLiteral("\nExit code 0 when every named item was transferred, 1 when fewer were or some were "
                         "transferred with failures, 2 for a usage error or a project that cannot be opened, 3 when "
                         "the run was interrupted."));
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOptions({m_help, m_hostProject, m_district, m_project, m_log, m_verbose, m_dryRun, m_reportFile});
}

ZRHeadlessRun::~ZRHeadlessRun()
{
    if (m_progressInstalled)
        zrProgressBarMgr->setProgressBarFactory(nullptr);
}

void ZRHeadlessRun::addConflictOption()
{
    m_conflict = std::make_unique<QCommandLineOption>(
        QStringLiteral("on-conflict"),
        QStringLiteral("What to do when a host file of that name exists: skip, overwrite, or rename:PATTERN "
                       "(%1 the existing name, %2 a number counted until the name is free, e.g. \"rename:%1 "
                       "(%2)\"). Default: skip."),
        QStringLiteral("rule"), QStringLiteral("skip"));
    m_parser.addOption(*m_conflict);
}

void ZRHeadlessRun::addUnitOption()
{
    m_unit = std::make_unique<QCommandLineOption>(
        QStringLiteral("unit"),
        QStringLiteral("Host unit to record when the project's unit is not supported (e.g. Millisecond, Meter, "
                       "Foot); may be repeated."),
        QStringLiteral("unit"));
    m_parser.addOption(*m_unit);
}

int ZRHeadlessRun::usageError(const QString& text) const
{
    ZRHeadlessOutput::message(QStringLiteral("error: ") + text + QStringLiteral("\n\n") + m_parser.helpText());
    return ZRHeadlessCommand::ExitUsage;
}

int ZRHeadlessRun::parse(const QStringList& arguments)
{
    m_arguments = arguments;
    if (!m_parser.parse(QStringList{QStringLiteral("owdatalink-headless ") + m_command} + arguments))
        return usageError(m_parser.errorText());
    if (m_parser.isSet(m_help)) {
        ZRHeadlessOutput::message(m_parser.helpText());
        return ZRHeadlessCommand::ExitTransferred;
    }
    if (!m_parser.isSet(m_hostProject) || !m_parser.isSet(m_project))
        return usageError(QStringLiteral("--host-project and --project are required."));
    if (m_conflict) {
        ZRTerminalExchangeUi::ConflictRule rule;
        if (!ZRTerminalExchangeUi::parseConflictRule(m_parser.value(*m_conflict), &rule))
            return usageError(
                QStringLiteral("unknown --on-conflict rule \"%1\".").arg(m_parser.value(*m_conflict)));
        m_ui.setConflictRule(rule);
    }
    if (m_unit)
        m_ui.setUnitAnswers(m_parser.values(*m_unit));
    m_ui.setDryRun(isDryRun());
    return -1;
}

bool ZRHeadlessRun::isDryRun() const
{
    return m_parser.isSet(m_dryRun);
}

bool ZRHeadlessRun::open(bool withWellDatabase)
{
    if (!m_session.startMessages(m_parser.value(m_log), m_parser.isSet(m_verbose)))
        ZRHeadlessOutput::message(QStringLiteral("warning: the message manager could not start; event-bus "
                                                 "messages are not shown."));
    QString error;
    if (!m_session.openHostProject(m_parser.value(m_hostProject), &error)
        || (withWellDatabase && !m_session.openWellDatabase(&error))
        || !m_session.openOpenWorksProject(m_parser.value(m_district), m_parser.value(m_project), &error)) {
        ZRHeadlessOutput::message(QStringLiteral("error: ") + error);
        return false;
    }
    zrProgressBarMgr->setProgressBarFactory(&m_progressFactory);
    m_progressInstalled = true;
    ZRTerminalProgressBarFactory::installInterruptHandler();

    m_report.setExchange(m_command);
    m_report.setDryRun(isDryRun());
    m_report.setArguments(QStringList{m_command} + m_arguments);
    m_report.setHostProject(m_session.hostProject()->projectPath());
    m_report.setOpenWorksProject(m_session.district(), m_parser.value(m_project));
    m_report.start();
    return true;
}

ZRExchangeContext ZRHeadlessRun::context()
{
    ZRExchangeContext context = m_session.context(&m_ui);
    context.report = &m_report;
    context.dryRun = isDryRun();
    return context;
}

void ZRHeadlessRun::loadCatalogue(ZROpenworksTableModel& model)
{
    {
        ZRProgressBarGuard reading(1, QStringLiteral("Reading OpenWorks® Data"));
        model.loadFromOpenworks(reading.id());
        reading.increment(1);
    }
    if (model.rowCount() == 0 && !model.pageMessage().isEmpty())
        ZRHeadlessOutput::message(QStringLiteral("note: ") + model.pageMessage());
}

QVector<int> ZRHeadlessRun::rowsForNames(const QStringList& names,
                                         const std::function<QVector<int>(const QString&)>& matches,
                                         const QString& what,
                                         const std::function<QString(const QString&, const QVector<int>&)>& several,
                                         int* unmatched)
{
    const QString project = m_session.openWorks() ? m_session.openWorks()->projectName() : QString();
    QVector<int> rows;
    for (const QString& name : names) {
        const QVector<int> found = matches(name);
        if (found.size() == 1) {
            rows.append(found.first());
            continue;
        }
        if (unmatched)
            ++*unmatched;
        ZRHeadlessOutput::message(found.isEmpty()
                                      ? QStringLiteral("error: no %1 \"%2\" in project %3.").arg(what, name, project)
                                      : QStringLiteral("error: ") + several(name, found));
    }
    return rows;
}

void ZRHeadlessRun::printPlan() const
{
    for (int i = 0; i < m_report.itemCount(); ++i) {
        const ZRTransferReport::Item& item = m_report.item(i);
        QString target = item.target.value(QStringLiteral("path")).toString();
        if (target.isEmpty() && item.target.contains(QStringLiteral("surveyName")))
            target = QStringLiteral("OpenWorks® survey \"%1\"").arg(item.target.value(QStringLiteral("surveyName")).toString())
                     + (item.target.contains(QStringLiteral("dataSetName"))
                            ? QStringLiteral(", data set \"%1\"").arg(item.target.value(QStringLiteral("dataSetName")).toString())
                            : QString());
        if (target.isEmpty() && item.target.contains(QStringLiteral("wellList")))
            target = QStringLiteral("OpenWorks® well \"%1\" in well list \"%2\"%3")
                         .arg(item.target.value(QStringLiteral("wellKey")).toString(),
                              item.target.value(QStringLiteral("wellList")).toString(),
                              item.target.value(QStringLiteral("wellListCreated")).toBool()
                                  ? QStringLiteral(" (new)")
                                  : QString());
        else if (item.target.contains(QStringLiteral("wellName")))
            target += QStringLiteral(" (well \"%1\")").arg(item.target.value(QStringLiteral("wellName")).toString());

        QString line = QStringLiteral("plan: %1 %2 -> %3 [%4, %5]")
                           .arg(item.objectClass, item.sourceName,
                                target.isEmpty() ? QStringLiteral("(OpenWorks®)") : target, item.action, item.outcome);
        const QJsonObject planned = item.target.value(QStringLiteral("plannedRecords")).toObject();
        for (auto it = planned.begin(); it != planned.end(); ++it)
            line += QStringLiteral("\n      records of class %1: %2").arg(it.key()).arg(it.value().toInt());
        for (const QJsonValue& unit : item.units) {
            const QJsonObject entry = unit.toObject();
            line += QStringLiteral("\n      unit %1: %2 (%3) -> %4 (%5), factor %6%7")
                        .arg(entry.value(QStringLiteral("quantity")).toString(),
                             entry.value(QStringLiteral("fromUnit")).toString())
                        .arg(entry.value(QStringLiteral("fromUnitId")).toInt())
                        .arg(entry.value(QStringLiteral("toUnit")).toString())
                        .arg(entry.value(QStringLiteral("toUnitId")).toInt())
                        .arg(entry.value(QStringLiteral("factor")).toDouble(), 0, 'g', 17)
                        .arg(entry.contains(QStringLiteral("hostUnit"))
                                 ? QStringLiteral(", recorded as ") + entry.value(QStringLiteral("hostUnit")).toString()
                                 : QString());
        }
        for (const QJsonValue& file : item.target.value(QStringLiteral("files")).toArray()) {
            const QJsonObject entry = file.toObject();
            line += QStringLiteral("\n      survey %1 -> %2 [%3, %4]")
                        .arg(entry.value(QStringLiteral("survey")).toString(),
                             entry.value(QStringLiteral("path")).toString(),
                             entry.value(QStringLiteral("action")).toString(),
                             entry.value(QStringLiteral("outcome")).toString());
        }
        if (item.geometry.contains(QStringLiteral("dimx")))
            line += QStringLiteral("\n      grid %1 x %2 x %3")
                        .arg(item.geometry.value(QStringLiteral("dimx")).toInt())
                        .arg(item.geometry.value(QStringLiteral("dimy")).toInt())
                        .arg(item.geometry.value(QStringLiteral("dimz")).toInt());
        for (auto it = item.counts.begin(); it != item.counts.end(); ++it)
            line += QStringLiteral("\n      %1: %2").arg(it.key()).arg(it.value().toDouble(), 0, 'f', 0);
        for (const QString& message : item.messages)
            line += QStringLiteral("\n      message: ") + message;
        ZRHeadlessOutput::message(line);
    }
}

int ZRHeadlessRun::finish(int requested, int transferred, const QString& noun)
{
    m_report.finish(requested, transferred);
    m_session.flushMessages();
    qint64 failedItems = 0;
    for (int i = 0; i < m_report.itemCount(); ++i) {
        const ZRTransferReport::Item& item = m_report.item(i);
        const double failedTraces = item.counts.value(QStringLiteral("failedTraces")).toDouble();
        if (failedTraces > 0) {
            ++failedItems;
            ZRHeadlessOutput::message(
                QStringLiteral("note: %1: %2 of %3 traces could not be read and were written as -9999.0.")
                    .arg(item.sourceName)
                    .arg(failedTraces, 0, 'f', 0)
                    .arg(item.counts.value(QStringLiteral("traces")).toDouble(), 0, 'f', 0));
        }
        // Parts that failed inside an item that still counts (surveys of a
        // horizon, segments of a fault), and items counted without a file.
        const double failedSurveys = item.counts.value(QStringLiteral("failedSurveys")).toDouble();
        const double failedSegments = item.counts.value(QStringLiteral("failedSegments")).toDouble();
        if (failedSurveys > 0)
            ZRHeadlessOutput::message(QStringLiteral("note: %1: %2 of %3 surveys could not be imported.")
                                          .arg(item.sourceName)
                                          .arg(failedSurveys, 0, 'f', 0)
                                          .arg(item.counts.value(QStringLiteral("surveys")).toDouble(), 0, 'f', 0));
        if (failedSegments > 0)
            ZRHeadlessOutput::message(QStringLiteral("note: %1: %2 of %3 segments could not be read and were left out.")
                                          .arg(item.sourceName)
                                          .arg(failedSegments, 0, 'f', 0)
                                          .arg(item.counts.value(QStringLiteral("segments")).toDouble(), 0, 'f', 0));
        // Exports: faults (with their planes) and segments that could not be added.
        const double faultsNotWritten = item.counts.value(QStringLiteral("faultsNotWritten")).toDouble();
        const double segmentsNotWritten = item.counts.value(QStringLiteral("segmentsNotWritten")).toDouble();
        if (faultsNotWritten > 0 || segmentsNotWritten > 0)
            ZRHeadlessOutput::message(QStringLiteral("note: %1: %2 faults and %3 segments could not be written.")
                                          .arg(item.sourceName)
                                          .arg(faultsNotWritten, 0, 'f', 0)
                                          .arg(segmentsNotWritten, 0, 'f', 0));
        if (failedTraces <= 0
            && (failedSurveys > 0 || failedSegments > 0 || faultsNotWritten > 0 || segmentsNotWritten > 0
                || item.outcome == ZRTransferReport::Failed))
            ++failedItems;
    }
    if (isDryRun())
        printPlan();
    if (m_parser.isSet(m_reportFile)) {
        QString error;
        if (!m_report.write(m_parser.value(m_reportFile), &error))
            ZRHeadlessOutput::message(QStringLiteral("error: ") + error);
    }
    const bool interrupted = ZRTerminalProgressBarFactory::interrupted();
    ZRHeadlessOutput::message(QStringLiteral("result: %1 of %2 %3%4%5.")
                                  .arg(transferred)
                                  .arg(requested)
                                  .arg(noun)
                                  .arg(isDryRun() ? QStringLiteral(" (dry run: nothing written)") : QString())
                                  .arg(interrupted ? QStringLiteral(" (interrupted)") : QString()));
    if (interrupted)
        return ZRHeadlessCommand::ExitInterrupted;
    if (transferred < requested || failedItems > 0)
        return ZRHeadlessCommand::ExitIncomplete;
    return ZRHeadlessCommand::ExitTransferred;
}
