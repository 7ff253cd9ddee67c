#pragma once

#include "zrheadlesscommand.h"

class QAbstractItemModel;

/// `import-surveys`: OpenWorks seismic data sets named on the command line
/// ("DATA SET" or "SURVEY::DATA SET"; a survey without data sets by its name)
/// become volumes of the host project, as the window's import arrow does.
class ZRImportSurveysCommand : public ZRHeadlessCommand
{
public:
    QString name() const override { return QStringLiteral("import-surveys"); }
    QString summary() const override;
    int run(const QStringList& arguments) override;

    /// The catalogue rows a name selects: "SURVEY::DATA SET", a data set name
    /// (all surveys), or the name of a survey without data sets.
    static QVector<int> rowsForName(const QAbstractItemModel& surveyModel, const QString& name);
};
