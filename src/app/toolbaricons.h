#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

namespace tervan {

// The picture of a toolbar button, drawn at 32x32 device pixels (also good at 24 and 16), by key.
// Unknown keys give a null QIcon.
QIcon toolbarIcon(const QString& key);

// The keys toolbarIcon() knows, in toolbar order.
QStringList toolbarIconKeys();

} // namespace tervan
