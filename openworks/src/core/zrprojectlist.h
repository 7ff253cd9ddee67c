#pragma once

#include <QString>
#include <QStringList>

/// Reads the host's project-list file: the first element named after the file's
/// base name holds "project" elements, each giving its path in the "value"
/// attribute of its first "path" element. Paths come back with native
/// separators, without duplicates (case-sensitive), in document order. A
/// missing, unreadable or malformed file gives an empty list.
QStringList readProjectList(const QString& projectListPath);
