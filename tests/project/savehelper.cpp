// Saves in a process of its own, for tests that kill it part-way:
//   savehelper ROWS COLS NAME  one save between two marker calls a tracer can find
//   savehelper loop NAME       the two fault projects in turn until killed
#include "support/faultprojects.h"

#include <QFile>
#include <cstdio>
#include <unistd.h>

using namespace tervan;

int main(int argc, char** argv)
{
    const ProjectFileNames names = projectFileNames(QFile::decodeName(argv[argc - 1]));
    if (argc == 3) {
        const Project pair[] = {faultProject(151, 217), faultProject(181, 181)};
        for (int i = 0;; i ^= 1)
            saveProjectPair(pair[i], names);
    }
    const Project p = faultProject(qint16(atoi(argv[1])), qint16(atoi(argv[2])));
    ::access("/save-begins", F_OK);
    const auto failed = saveProjectPair(p, names);
    ::access("/save-ends", F_OK);
    if (failed)
        std::fputs(saveFailureText(*failed, names).toLocal8Bit().constData(), stderr);
    return failed ? 1 : 0;
}
