#include "app/padsfiles.h"

#include "gis/gis.h"

#include <QDir>
#include <QFileInfo>

namespace tervan::padsfiles {

QString besideProject(const QString& gndFileName)
{
    const QFileInfo gnd(gndFileName);
    return padsFileName(gnd.dir().filePath(gnd.completeBaseName()));
}

std::variant<std::vector<PadShape>, QString> read(const QString& fileName, const Project& p)
{
    return gis().readPadsFile(fileName, p);
}

QString write(const std::vector<PadShape>& pads, const Project& p, const QString& fileName)
{
    return gis().writePadsFile(pads, p, fileName);
}

QString writeSectionsDxf(const Project& p, const SectionsResult& r, const QString& fileName)
{
    return gis().writeSectionsDxf(p, r, fileName);
}

} // namespace tervan::padsfiles
