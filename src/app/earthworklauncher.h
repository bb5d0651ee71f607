#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "project/nodetablemodel.h"

class QMenu;

namespace tervan {

struct Project;
class PageSurface;
class Prompts;

// The earthwork commands beside the balanced and fixed grades: their menu items (after the
// grading menu's and the Edit menu's own items, behind a separator), the dialogs they open, the
// dialogs' print buttons, and the suspect marks of the node list, kept up to date while the
// user types.
class EarthworkLauncher final : public QObject
{
    Q_OBJECT
public:
    using PrintReport = std::function<void(const std::function<void(PageSurface&)>&)>;

    EarthworkLauncher(Project& project, Prompts& prompts, PrintReport print, QWidget* parent);

    void addMenuItems(QMenu* grading, QMenu* edit);
    void watchNodeList(NodeTableModel* model);

    void showGross();
    void showBalance();
    void showSloped();
    void showSuspects();
    // Gives a result dialog the warning line when the suspect check finds heights.
    template <class Dialog> void warnOfSuspects(Dialog& dialog)
    {
        dialog.warnOfSuspects(suspectCount(), [this] { showSuspects(); });
    }

private:
    // A grid with cells, or the incomplete-data message.
    bool gradable();
    void showEarthwork(bool sloped);
    void markSuspects();
    int suspectCount() const;

    Project& m_project;
    Prompts& m_prompts;
    PrintReport m_print;
    QWidget* m_parent;
    QPointer<NodeTableModel> m_nodeList;
    double m_factor = 5;
    double m_floor = 0.5;
};

} // namespace tervan
