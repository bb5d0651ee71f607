#include "printing/pageframe.h"

#include "printing/pagesurface.h"
#include "project/project.h"
#include "project/projectfile.h"

#include <QFileInfo>

namespace tervan {

namespace {

const QString Rule(75, QLatin1Char('='));
const QString ProgramTitle = QStringLiteral("TERVAN");

} // namespace

void PrintHeading(PageSurface& page, const Project& p)
{
    // The file the project was last opened from or saved to, Thai names included; the stored
    // title only while it has none.
    const QString fileTitle = p.GndFileName.isEmpty() ? p.FileTitle : fileTitleOf(p.GndFileName);
    // A project made without a name takes its file's.
    const QString projectName = p.ProjectName.text().trimmed().isEmpty() && !p.GndFileName.isEmpty()
                                    ? QFileInfo(p.GndFileName).completeBaseName()
                                    : p.ProjectName.text();
    page.setUnitCentimetres();
    page.setFont(PrintFace, 20, true);
    page.printLine(QStringLiteral(" "));
    page.setY(2.5);
    page.setBold(false);
    page.setFontSize(16);
    PrintIndent(page, 0);
    page.print(Rule);
    page.printLine();
    PrintIndent(page, 3);
    page.print(QStringLiteral("ชื่อโครงการ : ") + projectName);
    // Centred on the printable width, over whatever the name printed there.
    page.setFontSize(16);
    page.setBold(true);
    page.setX((page.pageWidth() - page.textWidth(ProgramTitle)) / 2);
    page.print(ProgramTitle);
    page.setBold(false);
    page.setX(14);
    page.printLine(QStringLiteral("แฟ้ม : ") + fileTitle);
    PrintIndent(page, 3);
    page.print(QStringLiteral("วิศวกร : ") + p.EngineerName.text());
    // This line advances by a 20-point bold line.
    page.setFontSize(20);
    page.setBold(true);
    page.printLine();
    page.setFontSize(16);
    page.setBold(false);
    PrintIndent(page, 0);
    page.print(Rule);
    page.printLine();
}

void PrintTitle(PageSurface& page, const QString& title)
{
    page.setFontSize(20);
    page.setBold(true);
    page.setX((page.pageWidth() - page.textWidth(title)) / 2);
    page.printLine(title);
    page.setFontSize(16);
    page.setBold(false);
    page.printLine();
}

void PrintIndent(PageSurface& page, qint16 blanks)
{
    page.setX(2.5);
    page.printBlanks(blanks);
}

} // namespace tervan
