#pragma once

#include <QObject>
#include <functional>

class QMenu;
class QWidget;

namespace tervan {

struct Project;
class PageSurface;
class Prompts;

// The design-surface commands beside the earthwork ones: their grading-menu items (last,
// behind a separator), the choice of the design file, the dialogs and their print buttons.
class DesignLauncher final : public QObject
{
    Q_OBJECT
public:
    using PrintReport = std::function<void(const std::function<void(PageSurface&)>&)>;

    DesignLauncher(Project& project, Prompts& prompts, PrintReport print, QWidget* parent);

    void addMenuItems(QMenu* grading);
    void showCompare();
    void showPad();

private:
    bool gradable();

    Project& m_project;
    Prompts& m_prompts;
    PrintReport m_print;
    QWidget* m_parent;
};

} // namespace tervan
