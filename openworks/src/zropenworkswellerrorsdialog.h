#pragma once

#include "zrexchangeui.h"

#include <QDialog>

class QTreeWidget;

/// Lists the problems of a well transfer: one entry per well, its messages
/// beneath it, in the given order.
class ZROpenworksWellErrorsDialog : public QDialog
{
    Q_OBJECT
public:
    ZROpenworksWellErrorsDialog(const WellProblemList& problems, QWidget* parent);

    QTreeWidget* tree() const { return m_tree; }

private:
    QTreeWidget* m_tree = nullptr;
};
