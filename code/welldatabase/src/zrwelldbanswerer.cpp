#include "zrwelldbanswerer.h"

#include <cstdio>

namespace
{
std::shared_ptr<ZRWellDbAnswerer>& installedAnswerer()
{
    static std::shared_ptr<ZRWellDbAnswerer> answerer;
    return answerer;
}
} // namespace

std::shared_ptr<ZRWellDbAnswerer> ZRWellDbAnswerer::defaultAnswerer()
{
    std::shared_ptr<ZRWellDbAnswerer>& answerer = installedAnswerer();
    if (!answerer)
        answerer = std::make_shared<ZRWellDbHeadlessAnswerer>();
    return answerer;
}

void ZRWellDbAnswerer::setDefaultAnswerer(std::shared_ptr<ZRWellDbAnswerer> answerer)
{
    installedAnswerer() = std::move(answerer);
}

bool ZRWellDbHeadlessAnswerer::askStructureUpdate(const QString&)
{
    return false;
}

void ZRWellDbHeadlessAnswerer::showWarning(const QString& title, const QString& text)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    std::fflush(stderr);
}
