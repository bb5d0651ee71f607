#pragma once

#include <QString>

namespace tervan {

struct Project;
class PageSurface;

inline const QString PrintFace = QStringLiteral("AngsanaUPC");

// The heading block every printed page starts with: rules of 75 "=", the project name and the
// engineer on the left, the program title centred and the project file from 14 cm: the one it
// was opened from or saved to, whose base name also stands for a project name left empty.
// Leaves the unit at centimetres, 16-point regular, at the start of the line below the rule.
void PrintHeading(PageSurface& page, const Project& p);
// The report title centred in 20-point bold, then one empty 16-point line.
void PrintTitle(PageSurface& page, const QString& title);
// Starts a line at the 2.5 cm margin followed by that many blanks.
void PrintIndent(PageSurface& page, qint16 blanks);

} // namespace tervan
