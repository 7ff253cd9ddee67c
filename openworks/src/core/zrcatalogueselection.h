#pragma once

#include <QModelIndexList>
#include <QVector>

class QAbstractItemModel;

/// Rows of a catalogue model that a selection names: each index is mapped
/// through the proxy models between it and `model` (indexes of other models
/// are ignored), and each source row is kept once, in the order first met.
QVector<int> selectedSourceRows(const QModelIndexList& selection, const QAbstractItemModel& model);

/// The rows without repeats, in the order first met.
QVector<int> uniqueRows(const QVector<int>& rows);
