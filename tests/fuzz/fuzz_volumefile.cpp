// A volume file as the input: load, then every frame read as the volume export
// reads them (stopping at the first that fails), then the value range.

#include "fuzzinput.h"
#include "zrseismicbloc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::initializeOnce();
    const QString fileName = fuzz::writeInput(QStringLiteral("volume.vol"), data, size);
    const std::unique_ptr<ZRSeismicBloc> volume = ZRSeismicBloc::load(fileName);
    if (!volume)
        return 0;
    ZRImage image;
    for (int k = 0; k < volume->dimz(); ++k)
        if (!volume->readFrame(k, image))
            break;
    double minimum = 0.0;
    double maximum = 0.0;
    volume->valueRange(-1, false, &minimum, &maximum);
    return 0;
}
