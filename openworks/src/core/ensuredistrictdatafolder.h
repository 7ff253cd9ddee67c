#pragma once

#include <QString>

/// Makes sure the folder name exists in the data folder of the current OpenWorks
/// district (the first word of the "OTHER_FILES" line of the district's
/// "dir.dat"), creating it with its parents. Returns whether it exists; on
/// failure errorText says why.
bool ensureDistrictDataFolder(const QString& name, QString& errorText);

/// The folder ensureDistrictDataFolder would use (empty on failure, with errorText).
QString districtDataFolder(const QString& name, QString& errorText);
