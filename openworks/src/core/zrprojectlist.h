#pragma once

#include <QString>
#include <QStringList>

/// Reads the host's project-list file: the first element named after the file's
/// base name holds "project" elements, each giving its path in the "value"
/// attribute of its first "path" element. Paths come back with native
/// separators, without duplicates (case-sensitive), in document order. A
/// missing file gives an empty list; an unreadable or malformed one (nesting
/// included, see ZRXmlTools::parseDocument) also gives an empty list after
/// "Unable to open file %1: %2" or "Unable to parse XML content of file %1. ..."
/// on the event bus (draw type 1).
QStringList readProjectList(const QString& projectListPath);
