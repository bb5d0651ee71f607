// Saves a ROWS x COLS grid as NAME in a process of its own, between two marker calls a tracer
// can find, for tests that kill it part-way or run it as another user. Given EASTING, the grid is
// placed there (northing 1520000, EPSG:32647, first and last node estimated, shifted by "rtsd").
#include "project/controldata.h"
#include "project/projectfile.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace tervan;

int main(int argc, char** argv)
{
    Project p = startupProject();
    applyControlData(p, {5, qint16(atoi(argv[1])), qint16(atoi(argv[2])), 0.5f});
    for (std::size_t n = 1; n < p.Nodes.size(); ++n)
        p.Nodes[n].Z = float(p.GridRows) + float(n) * 0.25f;
    if (argc > 4)
        p.Georef = Georeference{std::atof(argv[4]), 1520000, 32647, {1, p.NodeCount}, "rtsd"};
    const ProjectFileNames names = projectFileNames(QFile::decodeName(argv[3]));
    ::access("/save-begins", F_OK);
    const auto failed = saveProjectPair(p, names);
    ::access("/save-ends", F_OK);
    if (failed)
        std::fputs(saveFailureText(*failed, names).toLocal8Bit().constData(), stderr);
    return failed ? 1 : 0;
}
