#pragma once

#include "vsprogressbar.h"

#include <QPointer>
#include <QWidget>

/// Makes the data link's progress windows, parented to one widget (the
/// exchange dialog, set at start-up).
class ZRProgressBarFactory : public VsProgressBarFactoryAbstract
{
public:
    explicit ZRProgressBarFactory(QWidget* parent = nullptr);
    ~ZRProgressBarFactory() override;

    void setParentWidget(QWidget* parent);
    QWidget* parentWidget() const;

    VsProgressBarAbstract* createProgressBar(int topLevelId) override;

private:
    QPointer<QWidget> m_parent;
};
