#include "zrwellexport.h"

#include "owguards.h"
#include "owwelllists.h"
#include "zreventbus.h"
#include "zrexchangeui.h"
#include "zrlogdatabase.h"
#include "zropenworkssession.h"
#include "zropenworkswellmodel.h"
#include "zrprogressbarmgr.h"
#include "zrproject.h"
#include "zrtransferreport.h"
#include "zrwellexportdata.h"
#include "zrwellexportwriter.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <cstring>

namespace wellexport
{
const QString MainProgressTitle = QStringLiteral("Exporting wells from Velostrat to OpenWorks®");
const QString CreatedListInterpreter = QStringLiteral("UNKN");
const QString NameTooLongMessage =
    QStringLiteral("The name of well %1 is too long for OpenWorks®. It will be truncated to: %2");
} // namespace wellexport

namespace
{

// Host tree item roles (the host project tree's ItemKindRole, WellItemTypeRole, IdRole).
constexpr int ItemKindRole = 513;
constexpr int WellItemTypeRole = 515;
constexpr int IdRole = 517;
constexpr int WellDatabaseItem = 4;

/// Reports a run-level failure: event bus, box titled "Error", report.
void runError(const ZRExchangeContext& context, ZRExchangeUi::MessageKind kind, const QString& text)
{
    ZREventBus::sendMessage(eDrawError, text, false);
    if (context.ui)
        context.ui->showMessage(kind, QStringLiteral("Error"), text);
    if (context.report)
        context.report->addRunMessage(text);
}

QJsonObject recordsJson(const QMap<int, QVector<int>>& records)
{
    QJsonObject json;
    for (auto it = records.constBegin(); it != records.constEnd(); ++it) {
        QJsonArray ids;
        for (int id : it.value())
            ids.append(id);
        json.insert(QString::number(it.key()), ids);
    }
    return json;
}

ZRTransferReport::Item reportItemOf(const ZRExchangeContext& context, int wellId, const ZRWell* well)
{
    ZRTransferReport::Item entry;
    entry.sourceSystem = QStringLiteral("Velostrat");
    entry.objectClass = QStringLiteral("well");
    entry.sourceId = wellId;
    entry.source.insert(QStringLiteral("wellId"), wellId);
    if (well) {
        entry.sourceName = well->name();
        entry.source.insert(QStringLiteral("wellName"), well->name());
        entry.source.insert(QStringLiteral("uwi"), well->uwi());
        entry.source.insert(QStringLiteral("wellSets"),
                            QJsonArray::fromStringList(context.wellDatabase->wellSetsOfWell(well)));
    }
    entry.source.insert(QStringLiteral("wellDatabase"),
                        QDir::toNativeSeparators(ZRLogDatabase::databaseFileName(context.wellDatabase->databasePath())));
    if (context.project)
        entry.source.insert(QStringLiteral("hostProject"), context.project->projectPath());
    entry.action = ZRTransferReport::Create;
    entry.outcome = ZRTransferReport::Failed;
    return entry;
}

void recordCounts(ZRReportedItem& reported, const WellExportData& data)
{
    reported.setCount(QStringLiteral("stations"), data.tvd.size());
    reported.setCount(QStringLiteral("timeDepthTables"), data.tables.size());
    reported.setCount(QStringLiteral("timeDepthPoints"), data.timeDepthPoints());
    reported.setCount(QStringLiteral("logs"), data.curves());
    reported.setCount(QStringLiteral("samples"), data.samples());
    reported.setCount(QStringLiteral("picks"), data.markers.size());
    if (ZRTransferReport::Item* item = reported.item())
        item->units = data.units;
}

/// The wells of one run and what became of them.
class WellExportRun
{
public:
    explicit WellExportRun(const ZRExchangeContext& context)
        : m_context(context)
        , m_database(*context.wellDatabase)
    {
    }

    int run(const QVector<WellExportSelection>& selection, int* requested)
    {
        bool elevationFallback = false;
        QString error;
        if (!resolveWellExportUnits(&m_units, &elevationFallback, &error)) {
            runError(m_context, ZRExchangeUi::MessageKind::Critical,
                     QStringLiteral("Unable to retrieve the units of the OpenWorks® project: %1").arg(error));
            return 0;
        }
        if (elevationFallback) {
            const QString text = QStringLiteral("Unable to retrieve elevation unit, depth unit will be used.");
            ZREventBus::sendMessage(eDrawError, text, false);
            if (m_context.report)
                m_context.report->addRunMessage(text);
        }

        // The known lists, the map, the lists it needs.
        QVector<gdiWellList_t> lists;
        int status = owwelllists::readWellLists(&lists);
        if (status != 0 && status != GDI_NO_DATA) {
            runError(m_context, ZRExchangeUi::MessageKind::Information, owErrorText(status));
            return 0;
        }
        QStringList known;
        for (const gdiWellList_t& list : lists)
            known.append(QString::fromLocal8Bit(list.name, int(strnlen(list.name, sizeof list.name))));
        WellExportMap map = buildWellExportMap(m_database, selection, known);
        for (const QString& name : map.listsToCreate)
            createList(name);

        QVector<int> leftOut;
        if (!map.putAside.isEmpty()) {
            QMap<int, QString> associations;
            const bool accepted = m_context.ui && m_context.ui->askWellListAssociations(map.putAside, associations);
            for (int id : map.putAside) {
                const QString name = accepted ? associations.value(id) : QString();
                if (name.isEmpty()) {
                    leftOut.append(id);
                    continue;
                }
                map.lists.insert(id, name);
                if (!known.contains(name))
                    m_newLists.insert(name);
            }
        }
        if (requested)
            *requested = map.lists.size() + leftOut.size();
        for (int id : leftOut)
            reportLeftOut(id);

        // The list records, read again: each well joins its list by id.
        status = owwelllists::readWellLists(&lists);
        if (status != 0 && status != GDI_NO_DATA) {
            runError(m_context, ZRExchangeUi::MessageKind::Information, owErrorText(status));
            return 0;
        }

        int exported = 0;
        WellProblemList problems;
        {
            ZRProgressBarGuard progress(map.lists.size(), wellexport::MainProgressTitle, m_context.progressParentId,
                                        true);
            for (auto it = map.lists.constBegin(); it != map.lists.constEnd(); ++it) {
                if (progress.isCancelled())
                    break;
                QStringList messages;
                const Outcome outcome = exportOne(it.key(), it.value(), lists, progress.id(), &messages);
                if (outcome == Outcome::Exported)
                    ++exported;
                if (!messages.isEmpty()) {
                    const ZRWell* well = m_database.findWell(it.key());
                    problems.append(qMakePair(well ? well->name() : QString::number(it.key()), messages));
                }
                progress.increment(1);
                if (outcome == Outcome::Abandoned) {
                    runError(m_context, ZRExchangeUi::MessageKind::Critical,
                             QStringLiteral("The OpenWorks® transaction could not be rolled back: the export stops. "
                                            "See the problems of well %1.")
                                 .arg(problems.isEmpty() ? QString() : problems.last().first));
                    break;
                }
            }
        }
        if (!m_context.dryRun && !problems.isEmpty() && m_context.ui)
            m_context.ui->showWellProblems(problems);
        if (!m_context.dryRun && exported != map.lists.size() && m_context.ui)
            m_context.ui->showMessage(ZRExchangeUi::MessageKind::Information, m_context.windowTitle,
                                      QStringLiteral("%1 of %2 wells exported.").arg(exported).arg(map.lists.size()));
        return exported;
    }

private:
    enum class Outcome
    {
        Exported,
        Failed,
        Abandoned
    };

    void createList(const QString& name)
    {
        m_newLists.insert(name);
        if (m_context.dryRun) {
            if (m_context.report)
                m_context.report->addRunMessage(QStringLiteral("Well list %1 would be created.").arg(name));
            return;
        }
        const int status = owwelllists::createWellList(name, wellexport::CreatedListInterpreter);
        if (status != 0) {
            const QString text = QStringLiteral("Unable to create well list %1: %2").arg(name, owErrorText(status));
            ZREventBus::sendMessage(eDrawError, text, false);
            if (m_context.report)
                m_context.report->addRunMessage(text);
        } else if (m_context.report) {
            m_context.report->addRunMessage(QStringLiteral("Well list %1 created.").arg(name));
        }
    }

    void reportLeftOut(int wellId)
    {
        ZRReportedItem reported(m_context, reportItemOf(m_context, wellId, m_database.findWell(wellId)));
        reported.setAction(ZRTransferReport::Skip);
        reported.setOutcome(ZRTransferReport::Skipped);
        reported.recordMessage(QStringLiteral("Not associated with an OpenWorks® well list: not exported."));
    }

    Outcome exportOne(int wellId, const QString& listName, const QVector<gdiWellList_t>& lists, int parentProgressId,
                      QStringList* messages)
    {
        const ZRWell* byId = m_database.findWell(wellId);
        ZRReportedItem reported(m_context, reportItemOf(m_context, wellId, byId));
        auto addMessage = [&](const QString& text) {
            messages->append(text);
            reported.recordMessage(text);
        };
        const QString name = byId ? byId->name() : QString();
        if (name.size() >= 12)
            reported.sendMessage(eDrawInformation, wellexport::NameTooLongMessage.arg(name, name.left(11)));
        const ZRWell* well = byId ? m_database.findWell(name) : nullptr;
        if (!well) {
            addMessage(QStringLiteral("No well found with the name %1 in the database.")
                           .arg(byId ? name : QString::number(wellId)));
            return Outcome::Failed;
        }

        const gdiWellList_t* list = owwelllists::findWellList(lists, listName);
        reported.setTarget(QStringLiteral("wellList"), listName);
        reported.setTarget(QStringLiteral("wellListCreated"), m_newLists.contains(listName));
        gdiWellList_t plannedList;
        if (list) {
            reported.setTarget(QStringLiteral("wellListId"), list->id);
        } else if (m_context.dryRun && m_newLists.contains(listName)) {
            // The list the run would create: its records get the interpreter it would have.
            std::memset(&plannedList, 0, sizeof plannedList);
            owSetText(plannedList.name, listName.toLocal8Bit());
            owSetText(plannedList.interpreter, wellexport::CreatedListInterpreter.toLatin1());
            list = &plannedList;
        } else {
            addMessage(QStringLiteral("Unable to find well list %1 in OpenWorks®.").arg(listName));
            return Outcome::Failed;
        }

        WellExportData data;
        const int status = readWellExportData(m_database, *well, m_units, &data, messages, &reported);
        recordCounts(reported, data);
        reported.setTarget(QStringLiteral("wellKey"), data.identifier);
        reported.setTarget(QStringLiteral("uwi"), data.identifier);
        reported.setTarget(QStringLiteral("wellName"), data.name);
        reported.setTarget(QStringLiteral("interpreter"),
                           QString::fromLocal8Bit(list->interpreter, int(strnlen(list->interpreter, 6))));
        if (status != 0)
            return Outcome::Failed;

        if (m_context.dryRun) {
            QJsonObject plannedRecords;
            const QMap<int, int> planned = ZRWellExportWriter::plannedRecords(data);
            for (auto it = planned.constBegin(); it != planned.constEnd(); ++it)
                plannedRecords.insert(QString::number(it.key()), it.value());
            reported.setTarget(QStringLiteral("plannedRecords"), plannedRecords);
            gdiWell_t existing;
            gdiInitiateObject(GDI_CLASS_WELL, 1, &existing);
            owSetText(existing.wellKey, data.identifier.toLocal8Bit());
            if (gdiExists(GDI_CLASS_WELL, &existing) != 0) {
                addMessage(QStringLiteral("Unable to create well %1: %2")
                               .arg(data.name, owErrorText(GDI_DUPLICATE)));
                return Outcome::Failed;
            }
            reported.setOutcome(ZRTransferReport::Planned);
            return Outcome::Exported;
        }

        ZRWellExportWriter writer(m_units, *list, data);
        QStringList written;
        const ZRWellExportWriter::Result result = writer.write(parentProgressId, &written);
        for (const QString& text : written)
            addMessage(text);
        reported.setTarget(QStringLiteral("records"), recordsJson(writer.records()));
        int added = 0;
        for (const QVector<int>& ids : writer.records())
            added += ids.size();
        reported.setCount(QStringLiteral("recordsAdded"), added);
        if (result == ZRWellExportWriter::Committed) {
            reported.setOutcome(ZRTransferReport::Exported);
            if (m_context.wellModel)
                m_context.wellModel->appendWell(listName, writer.header());
            return Outcome::Exported;
        }
        return result == ZRWellExportWriter::RollbackFailed ? Outcome::Abandoned : Outcome::Failed;
    }

    const ZRExchangeContext& m_context;
    ZRLogDatabase& m_database;
    WellExportUnits m_units;
    /// Lists this run created or was told to use without knowing them.
    QSet<QString> m_newLists;
};

} // namespace

QVector<WellExportSelection> wellExportSelectionFromItems(const QModelIndexList& items)
{
    QVector<WellExportSelection> selection;
    QSet<QString> seen;
    for (const QModelIndex& item : items) {
        if (!item.isValid() || item.data(ItemKindRole).toInt() != WellDatabaseItem)
            continue;
        WellExportSelection entry;
        const int type = item.data(WellItemTypeRole).toInt();
        if (type == WellExportSelection::WellSet) {
            entry.kind = WellExportSelection::WellSet;
        } else if (type == WellExportSelection::Well) {
            entry.kind = WellExportSelection::Well;
            const QModelIndex parent = item.parent();
            if (parent.isValid() && parent.data(ItemKindRole).toInt() == WellDatabaseItem
                && parent.data(WellItemTypeRole).toInt() == WellExportSelection::WellSet)
                entry.parentWellSetId = parent.data(IdRole).toInt();
        } else {
            continue;
        }
        entry.id = item.data(IdRole).toInt();
        const QString key = QStringLiteral("%1|%2|%3").arg(int(entry.kind)).arg(entry.id).arg(entry.parentWellSetId);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        selection.append(entry);
    }
    return selection;
}

WellExportMap buildWellExportMap(const ZRLogDatabase& database, const QVector<WellExportSelection>& selection,
                                 const QStringList& knownNames)
{
    WellExportMap map;
    QSet<QString> known(knownNames.begin(), knownNames.end());
    auto need = [&](const QString& name) {
        if (known.contains(name))
            return;
        known.insert(name);
        map.listsToCreate.append(name);
    };
    for (const WellExportSelection& item : selection) {
        if (item.kind == WellExportSelection::WellSet) {
            const ZRWellSet* wellSet = database.findWellSet(item.id);
            if (!wellSet || wellSet->members().isEmpty())
                continue;
            const QString name = owwelllists::listNameFor(wellSet->name());
            need(name);
            for (const ZRWell* well : wellSet->wells())
                map.lists.insert(well->id(), name);
            continue;
        }
        if (map.lists.contains(item.id))
            continue;
        const ZRWell* well = database.findWell(item.id);
        if (!well)
            continue;
        QStringList candidates;
        const ZRWellSet* parent = item.parentWellSetId >= 0 ? database.findWellSet(item.parentWellSetId) : nullptr;
        for (const QString& setName : parent ? QStringList{parent->name()} : database.wellSetsOfWell(well)) {
            const QString name = owwelllists::listNameFor(setName);
            if (!candidates.contains(name))
                candidates.append(name);
        }
        for (const QString& name : candidates)
            need(name);
        if (candidates.size() == 1)
            map.lists.insert(item.id, candidates.first());
        else if (!map.putAside.contains(item.id))
            map.putAside.append(item.id);
    }
    QVector<int> putAside;
    for (int id : map.putAside) {
        if (!map.lists.contains(id))
            putAside.append(id);
    }
    map.putAside = putAside;
    return map;
}

int exportWells(const ZRExchangeContext& context, const QVector<WellExportSelection>& selection, int* requested)
{
    if (requested)
        *requested = 0;
    if (selection.isEmpty() || !context.wellDatabase)
        return 0;
    WellExportRun run(context);
    return run.run(selection, requested);
}
