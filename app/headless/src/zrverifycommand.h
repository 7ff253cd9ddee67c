#pragma once

#include "zrheadlesscommand.h"

/// `verify`: compares what a run report says arrived with what left, both
/// read again (host files from disk, OpenWorks data through the DevKit), and
/// prints every difference. Exit code 0 when everything is equal, 1 when
/// something differs, 2 for a usage error or projects that cannot be opened.
class ZRVerifyCommand : public ZRHeadlessCommand
{
public:
    QString name() const override { return QStringLiteral("verify"); }
    QString summary() const override;
    int run(const QStringList& arguments) override;
};
