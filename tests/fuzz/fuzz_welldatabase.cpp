// Fuzz target of the well database load: the input makes a well database
// folder of two files, split at the first NUL byte (XML holds none):
//
//   <bytes before the first NUL byte>  -> "wellDbInfo.xml" (no file when there are none)
//   <bytes after the first NUL byte>   -> "wellQt4Velostrat.sql" (no file without a NUL byte)
//
// so a seed is "<info XML>\0SQLite format 3\0...", and "\0SQLite format 3\0..."
// is a database without its info file (seeds: tests/fuzz/README.md).
// The folder is loaded as the data link does at start-up (the structure update
// answered "Update", no wait for locks); what loads is walked through, its
// markers rebuilt, saved and loaded again.

#include "fuzzinput.h"
#include "zrlogdatabase.h"

#include <QDir>
#include <QFile>

#include <cstring>

namespace
{
class UpdatingAnswerer : public ZRWellDbAnswerer
{
public:
    bool askStructureUpdate(const QString&) override { return true; }
    void showWarning(const QString&, const QString&) override {}
};

void writeFile(const QString& fileName, const char* data, size_t size)
{
    QFile file(fileName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data, qint64(size));
}

void walk(ZRLogDatabase& database)
{
    for (ZRWell* well : database.wells()) {
        (void)database.wellSetsOfWell(well);
        for (int type = 1; type <= 3; ++type) {
            for (ZRSet* set : database.GetSetsFromWell(well, type)) {
                for (ZRLog* log : database.GetLogsFromSet(set)) {
                    QVector<double> values;
                    database.getLogData(log, values);
                }
                (void)database.markersOfSet(set);
            }
        }
        for (ZRMarkerInfos* info : database.markerInfos())
            (void)database.GetMarkerDataFromWell(well, info);
    }
    for (ZRWellSet* wellSet : database.wellSets())
        (void)wellSet->wells();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::initializeOnce();
    static const std::shared_ptr<ZRWellDbAnswerer> answerer = std::make_shared<UpdatingAnswerer>();

    const QString folder = fuzz::scratchFolder() + QStringLiteral("/Wells");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* nul = size > 0 ? std::memchr(bytes, 0, size) : nullptr;
    const size_t infoSize = nul ? size_t(static_cast<const char*>(nul) - bytes) : size;
    if (infoSize > 0)
        writeFile(folder + QStringLiteral("/wellDbInfo.xml"), bytes, infoSize);
    if (nul)
        writeFile(ZRLogDatabase::databaseFileName(folder), bytes + infoSize + 1, size - infoSize - 1);

    {
        ZRLogDatabase database;
        database.setAnswerer(answerer);
        database.setLockWait(0);
        if (!database.load(folder, QStringLiteral("fuzz"), QStringLiteral("Fuzz"), false))
            return 0;
        walk(database);
        database.updateMarkerDatabase();
        if (!database.save())
            return 0;
    }
    ZRLogDatabase reloaded;
    reloaded.setAnswerer(answerer);
    reloaded.setLockWait(0);
    if (reloaded.load(folder, QStringLiteral("fuzz"), QStringLiteral("Fuzz"), false))
        walk(reloaded);
    return 0;
}
