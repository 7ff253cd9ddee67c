#pragma once

#include "zropenworkstablemodel.h"

#include "owdevkit.h"

/// 3D surveys with their seismic data sets: one row per data set, or one row with only
/// the survey's name and the survey-only flag (column 18) for a survey without any.
/// Hidden: 13 file name, 14 domain, 15 unit, 16 sample interval, 17 data-set id.
class ZROpenworksSurveyModel : public ZROpenworksFixedTableModel<19>
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 19;
    static constexpr int FirstHiddenColumn = 13;

    /// Columns read by the exchanges (the hidden ones carry the record ids).
    enum Column
    {
        SurveyNameColumn = 0,
        DataSetColumn = 1,
        DomainColumn = 6,
        InlineMinColumn = 7,
        InlineMaxColumn = 8,
        XlineMinColumn = 9,
        XlineMaxColumn = 10,
        FileNameColumn = 13,
        DataSetDomainColumn = 14,
        UnitColumn = 15,
        SampleIntervalColumn = 16,
        DataSetIdColumn = 17,
        SurveyOnlyColumn = 18
    };

    explicit ZROpenworksSurveyModel(QObject* parent = nullptr);

    bool isHiddenColumn(int column) const override;
    void loadFromOpenworks(int parentProgressId) override;

    /// Appends the rows of one survey read again from the open project (its
    /// data sets, or the survey-only row), telling the views. Returns false,
    /// with the DevKit's text in *error (may be null), when its data sets
    /// cannot be read; no row is added then. GUI thread (the model's thread).
    bool appendSurvey(const gdi3dSurvey_t& survey, QString* error = nullptr);

private:
    /// The rows of one survey; the DevKit status of reading its data sets.
    int rowsOfSurvey(const gdi3dSurvey_t& survey, std::vector<Row>* rows) const;
};
