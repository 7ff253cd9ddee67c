#pragma once

// The OpenWorks well lists (class 502) as the well export, the well list
// association dialog and the headless front end read and create them.

#include "owdevkit.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace owwelllists
{

/// The list type written into every new well list.
extern const char* const ListType; // "WELL_LIST"

/// The name a well list gets for a text: cut to the 80 bytes (local 8-bit
/// encoding) the name field holds, as createWellList() stores it.
QString listNameFor(const QString& text);

/// Every well list record of the open project (gdiReadSet(502), in set
/// order). Returns the DevKit status: 0, 177600004 (none: lists empty) or an
/// error (lists empty).
int readWellLists(QVector<gdiWellList_t>* lists);

/// The record of the list of that exact name among lists; null when none.
const gdiWellList_t* findWellList(const QVector<gdiWellList_t>& lists, const QString& name);

/// Creates a well list: gdiInitiateObject(502), the name (listNameFor) at
/// byte 4, "WELL_LIST" at byte 85, the interpreter at byte 101, gdiAdd, then
/// gdiCommit; a failed add or commit is rolled back. Returns the DevKit
/// status (0: the list exists and is committed; *created then holds its
/// record when given).
int createWellList(const QString& name, const QString& interpreter, gdiWellList_t* created = nullptr);

/// The interpreters of the active project (prjGetActive, prjGetIntrps, the
/// list given back with owfree), in DevKit order. Returns the DevKit status.
int activeProjectInterpreters(QStringList* interpreters);

} // namespace owwelllists
