#include "app/padsfiles.h"

#include "exchange/exchange.h"
#include "survey/padsfile.h"

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
    return readPadsFile(fileName, p);
}

QString write(const std::vector<PadShape>& pads, const Project& p, const QString& fileName)
{
    return writePadsFile(pads, p, fileName);
}

QString writeSectionsDxf(const Project& p, const SectionsResult& r, const QString& fileName)
{
    return tervan::writeSectionsDxf(p, r, fileName);
}

} // namespace tervan::padsfiles
