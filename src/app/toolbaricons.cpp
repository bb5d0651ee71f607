#include "app/toolbaricons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <array>

namespace tervan {
namespace {

// Each button's picture: an SVG of the program's own (24x24, in the resource under
// :/toolbar), and for the buttons whose meaning the freedesktop icon naming rules give a name,
// that name, so a desktop's icon theme is used where it has the picture.
struct Entry
{
    const char* key;
    const char* file;
    const char* themeName; // nullptr: the program's own picture only
    bool mirrored = false; // the file's picture turned left for right
};

// Another icon seen in a mirror, at whatever size it is asked for.
class MirroredIcon final : public QIconEngine
{
public:
    explicit MirroredIcon(QIcon icon) : m_icon(std::move(icon)) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return QPixmap::fromImage(m_icon.pixmap(size, mode, state).toImage().mirrored(true, false));
    }
    QIconEngine* clone() const override { return new MirroredIcon(m_icon); }

private:
    QIcon m_icon;
};

const std::array<Entry, 20> Entries{{
    {"New", "new", "document-new"},
    {"Open", "open", "document-open"},
    {"Save", "save", "document-save"},
    {"Control", "control", nullptr},
    {"InputEle", "inputele", nullptr},
    {"ViewGrid", "viewgrid", nullptr},
    {"ViewContour", "viewcontour", nullptr},
    {"View3D", "view3d", nullptr},
    {"NormalView", "normalview", "zoom-original"},
    {"FitScreen", "fitscreen", "zoom-fit-best"},
    {"ZoomIn", "zoomin", "zoom-in"},
    {"ZoomOut", "zoomout", "zoom-out"},
    {"ChangeColor", "changecolor", nullptr},
    // The two turns are one picture and its mirror; a theme's pair need not be.
    {"RotatPlus", "rotatplus", nullptr},
    {"RotatMinus", "rotatplus", nullptr, true},
    {"AutoGrade", "autograde", nullptr},
    {"FixGrade", "fixgrade", nullptr},
    // Three print buttons, told apart by what is on the sheet; a theme has one printer.
    {"PrintData", "printdata", nullptr},
    {"PrintGraphic", "printgraphic", nullptr},
    {"PrintGrade", "printgrade", nullptr},
}};

} // namespace

QIcon toolbarIcon(const QString& key)
{
    const auto it = std::find_if(Entries.begin(), Entries.end(),
                                 [&](const Entry& e) { return key == QLatin1String(e.key); });
    if (it == Entries.end())
        return {};
    QIcon own(QStringLiteral(":/toolbar/%1.svg").arg(QLatin1String(it->file)));
    if (it->mirrored)
        own = QIcon(new MirroredIcon(own));
    return it->themeName ? QIcon::fromTheme(QLatin1String(it->themeName), own) : own;
}

QStringList toolbarIconKeys()
{
    QStringList keys;
    for (const Entry& e : Entries)
        keys << QString::fromLatin1(e.key);
    return keys;
}

} // namespace tervan
