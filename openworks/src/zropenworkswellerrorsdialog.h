#pragma once

#include "zrexchangeui.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;

/// Lists the problems of a well transfer ("Well Transfer - Problems"): one
/// top-level entry per well, expanded, its messages beneath it, in the given
/// order (never sorted). OK or closing the window ends it.
class ZROpenworksWellErrorsDialog : public QDialog
{
    Q_OBJECT
public:
    ZROpenworksWellErrorsDialog(const WellProblemList& problems, QWidget* parent);

    QTreeWidget* tree() const { return m_tree; }
    QPushButton* okButton() const { return m_okButton; }

private:
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_okButton = nullptr;
};
