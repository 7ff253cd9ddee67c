// The host's project-list file as the input, read as the exchange window reads it.

#include "fuzzinput.h"
#include "zrprojectlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::initializeOnce();
    // The list element is the one named after the file's base name.
    const QString fileName = fuzz::writeInput(QStringLiteral("VelostratProjects.xml"), data, size);
    readProjectList(fileName);
    return 0;
}
