// Prepares a host project for the data link's demo and tests:
//   owdatalink-demo-setup <parent folder> <project name> <project-list file>
// Creates <parent folder>/<project name> as an empty host project with a well
// database holding one well, "ns-05" (unless it exists already), and makes sure
// the project-list file names it. Prints the project's path. Exit code 0 on success.

#include "zrlogdatabase.h"
#include "zrproject.h"
#include "zrprojectscanner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>


int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: %s <parent folder> <project name> <project-list file>\n", argv[0]);
        return 2;
    }
    const QString parent = QDir(arguments[1]).absolutePath();
    const QString name = arguments[2];
    const QString listPath = QFileInfo(arguments[3]).absoluteFilePath();
    const QString projectPath = QDir(parent).filePath(name);

    QString errorText;
    if (!QFile::exists(QDir(projectPath).filePath("descriptor.xml"))) {
        QDir().mkpath(parent);
        if (!ZRProject::createEmptyProject(parent, name, &errorText)) {
            std::fprintf(stderr, "Cannot create the host project %s: %s\n", qPrintable(projectPath),
                         qPrintable(errorText));
            return 1;
        }
    }

    ZRProject project(projectPath);
    const QString wellFolder = project.wellDatabasePath();
    if (!QFile::exists(ZRLogDatabase::databaseFileName(wellFolder))) {
        QDir().mkpath(wellFolder);
        ZRLogDatabase database;
        if (!database.createEmptyDatabase(wellFolder)) {
            std::fprintf(stderr, "Cannot create the well database in %s\n", qPrintable(wellFolder));
            return 1;
        }
        // A host well whose name an OpenWorks well of the demo also has (in
        // another letter case): importing "NS-05" reports the name conflict.
        if (ZRWell* well = database.CreateWell(QStringLiteral("ns-05"))) {
            well->setX(452750.0);
            well->setY(6781980.0);
            database.addWellToWellSet(well, database.wellSet(QStringLiteral("Host Wells")));
        }
        if (!database.save()) {
            std::fprintf(stderr, "Cannot save the well database in %s\n", qPrintable(wellFolder));
            return 1;
        }
    }

    QStringList added;
    if (!ZRProjectScanner::addToProjectList(listPath, {QDir::toNativeSeparators(projectPath)}, &added, &errorText)) {
        std::fprintf(stderr, "%s\n", qPrintable(errorText));
        return 1;
    }
    std::printf("%s\n", qPrintable(projectPath));
    return 0;
}
