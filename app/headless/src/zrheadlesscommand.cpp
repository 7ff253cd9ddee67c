#include "zrheadlesscommand.h"

#include "zrexportfaultscommand.h"
#include "zrexporthorizonscommand.h"
#include "zrexportvolumescommand.h"
#include "zrexportwellscommand.h"
#include "zrheadlessoutput.h"
#include "zrimportfaultscommand.h"
#include "zrimporthorizonscommand.h"
#include "zrimportsurveyscommand.h"
#include "zrverifycommand.h"
#include "zrimportwellscommand.h"

std::vector<std::unique_ptr<ZRHeadlessCommand>> ZRHeadlessCommand::all()
{
    std::vector<std::unique_ptr<ZRHeadlessCommand>> commands;
    commands.push_back(std::make_unique<ZRImportSurveysCommand>());
    commands.push_back(std::make_unique<ZRVerifyCommand>());
    commands.push_back(std::make_unique<ZRImportHorizonsCommand>());
    commands.push_back(std::make_unique<ZRImportFaultsCommand>());
    commands.push_back(std::make_unique<ZRExportVolumesCommand>());
    commands.push_back(std::make_unique<ZRImportWellsCommand>());
    commands.push_back(std::make_unique<ZRExportHorizonsCommand>());
    commands.push_back(std::make_unique<ZRExportFaultsCommand>());
    commands.push_back(std::make_unique<ZRExportWellsCommand>());
    return commands;
}

int ZRHeadlessCommand::dispatch(const QStringList& arguments)
{
    const auto commands = all();
    const QString program = arguments.value(0, QStringLiteral("owdatalink-headless"));
    const QString wanted = arguments.value(1);
    const bool askedForHelp = wanted == QLatin1String("help") || wanted == QLatin1String("--help")
                              || wanted == QLatin1String("-h");
    if (!wanted.isEmpty() && !askedForHelp) {
        for (const auto& command : commands)
            if (command->name() == wanted)
                return command->run(arguments.mid(2));
    }
    if (askedForHelp && arguments.size() > 2) {
        for (const auto& command : commands)
            if (command->name() == arguments[2])
                return command->run({QStringLiteral("--help")});
    }
    QString text = QStringLiteral("Usage: %1 <command> [options] [items]\n\nCommands:\n").arg(program);
    for (const auto& command : commands)
        text += QStringLiteral("  %1  %2\n").arg(command->name(), -16).arg(command->summary());
    text += QStringLiteral("\n%1 help <command> shows the options of a command.").arg(program);
    ZRHeadlessOutput::message(text);
    if (!wanted.isEmpty() && !askedForHelp)
        ZRHeadlessOutput::message(QStringLiteral("Unknown command \"%1\".").arg(wanted));
    return askedForHelp ? ExitTransferred : ExitUsage;
}
