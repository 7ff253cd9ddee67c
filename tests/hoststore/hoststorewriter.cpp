// Writes one host project with a volume and a horizon of fixed contents into a
// folder, for the test that the same input always gives the same bytes:
//   hoststorewriter <parent folder>
// makes <parent>/Project (descriptor), <parent>/Project/Seismic/volume.vol and
// <parent>/Project/Interpretation/Horizons/horizon.hrz. Exit code 0 on success.

#include "crs.h"
#include "zr3dhorizon.h"
#include "zrproject.h"
#include "zrseismicbloc.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <vector>

namespace
{

georef::BlocSpace geometry(int dimx, int dimy, int dimz)
{
    georef::BlocSpace space(dimx, dimy, dimz);
    space.setFromBlocToWorldMatrix(georef::BlocSpace::matrixFromFrames(
        {0, 0, 0}, {double(dimx - 1), 0, 0}, {0, double(dimy), 0}, {0, 0, double(dimz - 1)}, {431000.5, 0, 6520000.25},
        {431000.5 + 11.0 * (dimx - 1), 0, 6520000.25 + 5.0 * (dimx - 1)}, {431000.5, 4.0 * dimy, 6520000.25},
        {431000.5 - 6.0 * (dimz - 1), 0, 6520000.25 + 24.0 * (dimz - 1)}));
    space.setFromBlocToSurveyMatrix(georef::BlocSpace::matrixFromFrames(
        {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1000, 0, 500}, {1001, 0, 500}, {1000, 4, 500}, {1000, 0, 499}));
    georef::UnitObject units;
    units.setCrs(georef::Crs(QStringLiteral("+proj=utm +zone=31 +datum=WGS84"), QStringLiteral("UTM 31N"),
                             QStringLiteral("EPSG"), QStringLiteral("32631")));
    space.setUnitsObject(units);
    return space;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: hoststorewriter <parent folder>\n");
        return 2;
    }
    const QString parent = QString::fromLocal8Bit(argv[1]);
    QString error;
    if (!ZRProject::createEmptyProject(parent, QStringLiteral("Project"), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    ZRProject project(QDir(parent).filePath(QStringLiteral("Project")));
    // Saved again through the loaded descriptor: the read-and-write path.
    if (!project.saveDescriptor(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    const int dimx = 7, dimy = 5, dimz = 3;
    ZRSeismicBloc volume(geometry(dimx, dimy, dimz));
    volume.setAttribute(2);
    volume.setValueRange(-3.5, 12.25);
    volume.setFileName(project.directoryForType(ZRProject::VolumeType) + QStringLiteral("/volume.vol"));
    if (!volume.saveHeader())
        return 1;
    const int descriptor = ZRBloc::openForWriting(volume.fileName());
    if (descriptor < 0)
        return 1;
    std::vector<float> frame(std::size_t(dimx) * dimy);
    for (int k = 0; k < dimz; ++k) {
        for (std::size_t n = 0; n < frame.size(); ++n)
            frame[n] = float(k * 100 + int(n)) * 0.25f;
        if (!volume.writeFrame(descriptor, volume.dataOffset(), k, frame.data())) {
            ZRBloc::closeFile(descriptor);
            return 1;
        }
    }
    ZRBloc::closeFile(descriptor);

    const georef::BlocSpace grid = geometry(9, 1, 6);
    std::vector<core::vec3> points;
    for (int j = 0; j < 6; ++j)
        for (int i = 0; i < 9; ++i) {
            const core::vec3 world = grid.fromBlocToWorldMatrix().map(core::vec3(i, 0, j));
            points.push_back({world.x, (i + j) % 4 == 0 ? -9999.0 : 1500.0 + i * 3 + j, world.z});
        }
    ZR3DHorizon horizon;
    if (!horizon.buildFromPoints(points, grid, 3)
        || !horizon.write(project.directoryForType(ZRProject::HorizonType) + QStringLiteral("/horizon.hrz")))
        return 1;
    return 0;
}
