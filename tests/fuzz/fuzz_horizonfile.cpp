// A horizon file as the input: load (header, body, grid and mesh), then the
// world points the horizon export asks for.

#include "fuzzinput.h"
#include "zr3dhorizon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::initializeOnce();
    const QString fileName = fuzz::writeInput(QStringLiteral("horizon.hrz"), data, size);
    ZR3DHorizon horizon;
    if (!horizon.load(fileName))
        return 0;
    horizon.worldPoints(1, 1);
    horizon.controlPointCount();
    horizon.withData();
    return 0;
}
