#include "zrprogressbarfactory.h"

#include "zrprogressbar.h"

ZRProgressBarFactory::ZRProgressBarFactory(QWidget* parent)
    : m_parent(parent)
{
}

ZRProgressBarFactory::~ZRProgressBarFactory() = default;

void ZRProgressBarFactory::setParentWidget(QWidget* parent)
{
    m_parent = parent;
}

QWidget* ZRProgressBarFactory::parentWidget() const
{
    return m_parent;
}

VsProgressBarAbstract* ZRProgressBarFactory::createProgressBar(int topLevelId)
{
    return new ZRProgressBar(topLevelId, m_parent);
}
