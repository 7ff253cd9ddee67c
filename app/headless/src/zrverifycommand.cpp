#include "zrverifycommand.h"

#include "zrheadlessoutput.h"
#include "zrheadlesssession.h"
#include "zrtransferreport.h"
#include "zrtransferverifier.h"
#include "zrproject.h"

#include <QCommandLineParser>
#include <QJsonArray>

QString ZRVerifyCommand::summary() const
{
    return QStringLiteral("check that what a run report says arrived equals what left");
}

int ZRVerifyCommand::run(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Compares what a run report (--report of a transfer, or a report the window wrote next to its log) says "
        "arrived with what left: host files against their OpenWorks sources, read again, through the documented "
        "unit factors. A host file changed after the transfer is reported as such. The projects are the ones the "
        "report names unless given.\nExit code 0 when everything is equal, 1 when something differs, 2 for a usage "
        "error or projects that cannot be opened."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."));
    const QCommandLineOption hostProject(QStringLiteral("host-project"),
                                         QStringLiteral("The host project folder (default: the report's)."),
                                         QStringLiteral("folder"));
    const QCommandLineOption district(QStringLiteral("district"),
                                      QStringLiteral("The OpenWorks® district (default: the report's)."),
                                      QStringLiteral("name"));
    const QCommandLineOption project(QStringLiteral("project"),
                                     QStringLiteral("The OpenWorks® project (default: the report's)."),
                                     QStringLiteral("name"));
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Also writes the messages to the log in this folder."),
                                 QStringLiteral("folder"));
    parser.addOptions({help, hostProject, district, project, log});
    parser.addPositionalArgument(QStringLiteral("report"), QStringLiteral("The run report (JSON)."),
                                 QStringLiteral("report"));
    const auto usage = [&](const QString& text) {
        ZRHeadlessOutput::message(QStringLiteral("error: ") + text + QStringLiteral("\n\n") + parser.helpText());
        return int(ExitUsage);
    };
    if (!parser.parse(QStringList{QStringLiteral("owdatalink-headless verify")} + arguments))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        ZRHeadlessOutput::message(parser.helpText());
        return ExitTransferred;
    }
    if (parser.positionalArguments().size() != 1)
        return usage(QStringLiteral("name one run report."));

    QJsonObject report;
    QString error;
    if (!ZRTransferReport::read(parser.positionalArguments().first(), &report, &error)) {
        ZRHeadlessOutput::message(QStringLiteral("error: ") + error);
        return ExitUsage;
    }
    const QJsonObject openWorks = report.value(QStringLiteral("openWorksProject")).toObject();
    const QString hostPath =
        parser.isSet(hostProject) ? parser.value(hostProject) : report.value(QStringLiteral("hostProject")).toString();
    const QString districtName =
        parser.isSet(district) ? parser.value(district) : openWorks.value(QStringLiteral("district")).toString();
    const QString projectName =
        parser.isSet(project) ? parser.value(project) : openWorks.value(QStringLiteral("project")).toString();

    ZRHeadlessSession session;
    if (!session.startMessages(parser.value(log), false))
        ZRHeadlessOutput::message(QStringLiteral("warning: the message manager could not start; event-bus "
                                                 "messages are not shown."));
    const bool wells = report.value(QStringLiteral("exchange")).toString().endsWith(QStringLiteral("wells"));
    if (!session.openHostProject(hostPath, &error) || (wells && !session.openWellDatabase(&error))
        || !session.openOpenWorksProject(districtName, projectName, &error)) {
        ZRHeadlessOutput::message(QStringLiteral("error: ") + error);
        return ExitUsage;
    }

    ZRTransferVerifier verifier(session.context(nullptr));
    const bool equal = verifier.verifyReport(report);
    session.flushMessages();
    for (const QString& note : verifier.notes())
        ZRHeadlessOutput::message(QStringLiteral("checked: ") + note);
    for (const QString& difference : verifier.differences())
        ZRHeadlessOutput::message(QStringLiteral("difference: ") + difference);
    ZRHeadlessOutput::message(QStringLiteral("result: %1 items verified, %2.")
                                  .arg(verifier.itemsVerified())
                                  .arg(equal ? QStringLiteral("everything equal")
                                             : QStringLiteral("%1 differences").arg(verifier.differences().size())));
    return equal ? ExitTransferred : ExitIncomplete;
}
