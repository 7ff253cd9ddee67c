#include "owwelllists.h"

#include "owguards.h"

#include <cstring>

namespace owwelllists
{

const char* const ListType = "WELL_LIST";

QString listNameFor(const QString& text)
{
    gdiWellList_t record;
    std::memset(&record, 0, sizeof record);
    owSetText(record.name, text.toLocal8Bit());
    return QString::fromLocal8Bit(record.name, int(strnlen(record.name, sizeof record.name)));
}

int readWellLists(QVector<gdiWellList_t>* lists)
{
    lists->clear();
    OwRecordList<gdiWellList_t> records(GDI_CLASS_WELL_LIST);
    const int status = records.readSet();
    if (status != 0)
        return status;
    lists->reserve(records.count());
    for (int i = 0; i < records.count(); ++i)
        lists->append(records[i]);
    return 0;
}

const gdiWellList_t* findWellList(const QVector<gdiWellList_t>& lists, const QString& name)
{
    for (const gdiWellList_t& list : lists) {
        if (QString::fromLocal8Bit(list.name, int(strnlen(list.name, sizeof list.name))) == name)
            return &list;
    }
    return nullptr;
}

int createWellList(const QString& name, const QString& interpreter, gdiWellList_t* created)
{
    gdiWellList_t record;
    gdiInitiateObject(GDI_CLASS_WELL_LIST, 1, &record);
    owSetText(record.name, name.toLocal8Bit());
    owSetText(record.listType, QByteArray(ListType));
    owSetText(record.interpreter, interpreter.toLocal8Bit());
    int status = gdiAdd(GDI_CLASS_WELL_LIST, &record);
    if (status == 0)
        status = gdiCommit();
    if (status != 0) {
        gdiRollback();
        return status;
    }
    if (created)
        *created = record;
    return 0;
}

int activeProjectInterpreters(QStringList* interpreters)
{
    interpreters->clear();
    prjProject_t project;
    std::memset(&project, 0, sizeof project);
    int status = prjGetActive(&project);
    if (status != 0)
        return status;
    char* list = nullptr;
    int count = 0;
    status = prjGetIntrps(&list, &count, &project);
    if (status == 0 && list) {
        // Entries of 6 bytes: 5 characters and a zero.
        for (int i = 0; i < count; ++i) {
            const char* entry = list + 6 * i;
            interpreters->append(QString::fromLocal8Bit(entry, int(strnlen(entry, 6))));
        }
    }
    if (list)
        owfree(list);
    return status;
}

} // namespace owwelllists
