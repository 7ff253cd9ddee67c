// owdatalink-headless: the data link's exchanges from a terminal, without the window.

#include "zrheadlesscommand.h"

#include <QCoreApplication>
#include <QSettings>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tovan"));
    QCoreApplication::setApplicationName(QStringLiteral("Velostrat"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    return ZRHeadlessCommand::dispatch(QCoreApplication::arguments());
}
