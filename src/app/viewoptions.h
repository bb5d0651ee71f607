#pragma once

#include "app/appsettings.h"
#include "graphics/gridplot.h"

#include <QObject>

class QAction;
class QWidget;

namespace tervan {

struct Project;

// The View menu's options: the node labels (coordinates leave no room for numbers or
// elevations), whether every contour or only the whole levels are labelled, the surface's base
// and vertical scale, labels along the contours and levels from zero. Each is a named checkable
// action of the window's menu bar; what the user picks goes into the project at once and is
// announced by changed(), so the picture and the settings follow.
class ViewOptions final : public QObject
{
    Q_OBJECT
public:
    // Finds the options' actions among the window's children; call once the menus are built.
    ViewOptions(QWidget* window, Project& project);

    NodeLabels nodeLabels() const;
    ViewChoices choices() const;
    // Shows the choices and puts them into the project, without announcing them.
    void setChoices(const ViewChoices& view);

signals:
    void changed();

private:
    QAction* action(const QString& name) const;
    // Runs `apply` with the option's new state whenever the user picks it.
    template <class Apply> void onPicked(const QString& name, Apply apply);

    QWidget* m_window;
    Project& m_project;
};

} // namespace tervan
