// A host project whose descriptor.xml is the input: load, folder resolution,
// visibility and saving back.

#include "fuzzinput.h"
#include "zrproject.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::initializeOnce();
    const QString folder = fuzz::scratchFolder() + QStringLiteral("/project");
    QDir().mkpath(folder);
    fuzz::writeInput(QStringLiteral("project/descriptor.xml"), data, size);
    ZRProject project(folder);
    for (int type : {1, 18, 25, 28, 29, 33, 36, 0, -1})
        project.directoryForType(type);
    project.setDirectoryVisible(ZRProject::VisibleFolderType, true);
    project.setDirectoryVisible(ZRProject::HorizonType, false);
    project.saveDescriptor();
    // The descriptor written back reads again.
    ZRProject again(folder);
    again.directoryForType(ZRProject::WellDatabaseType);
    return 0;
}
