// Helper process of the well database tests: another program holding a lock on
// a well database file, as the host (or any SQLite tool) may.
//
//   welldblockholder <database file> [<milliseconds>]
//
// Takes an exclusive lock on the file ("BEGIN EXCLUSIVE"), prints "LOCKED",
// holds the lock for the given time (until killed when none is given), then
// ends the transaction without a change and prints "RELEASED".

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 2)
        return 2;
    const int holdMilliseconds = arguments.size() > 2 ? arguments[2].toInt() : -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        db.setDatabaseName(arguments[1]);
        if (!db.open())
            return 3;
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("BEGIN EXCLUSIVE"))) {
            std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
            return 4;
        }
        std::printf("LOCKED\n");
        std::fflush(stdout);
        if (holdMilliseconds < 0) {
            for (;;)
                QThread::sleep(1);
        }
        QThread::msleep(static_cast<unsigned long>(holdMilliseconds));
        query.exec(QStringLiteral("ROLLBACK"));
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    std::printf("RELEASED\n");
    std::fflush(stdout);
    return 0;
}
