#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

namespace tervan {

// The picture of a toolbar button by key: the icon theme's where it has a standard one, else the
// program's own SVG, sharp at any size. Unknown keys give a null QIcon.
QIcon toolbarIcon(const QString& key);

// The keys toolbarIcon() knows, in toolbar order.
QStringList toolbarIconKeys();

} // namespace tervan
