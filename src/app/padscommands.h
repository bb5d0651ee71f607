#pragma once

#include "grading/ui/padspanel.h"
#include "graphics/ui/plotwidget.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class QMenu;
class QMainWindow;
class QPainter;

namespace tervan {

class Progress;
struct Project;
class PageSurface;
class PlotPicker;
class Prompts;
class ProjectHistory;

// The design's pads in the window: the pads panel, pads drawn on the plan and their outlines
// over it, the sections dialog, and the pads file beside the project (read when a project is
// opened, written when it is saved). Every change to the pads is one step of the project's
// history. The design is computed again whenever the pads or the ground change.
class PadsCommands final : public QObject
{
    Q_OBJECT
public:
    using PrintReport = std::function<void(const std::function<void(PageSurface&)>&)>;

    PadsCommands(Project& project, Prompts& prompts, ProjectHistory& history, PlotWidget* plot,
                 PrintReport print, QMainWindow* window);
    ~PadsCommands() override;

    // The grading menu's items, last: the panel, drawing a pad, and the sections.
    void addMenuItems(QMenu* grading);

    const PadsDesign& design() const { return m_design; }
    const std::optional<PadsResult>& result() const { return m_result; }
    PadsPanel* panel() const { return m_panel; }
    PlotPicker* picker() const { return m_picker; }

    // Replaces the design as one step of the history named `text`.
    void change(PadsDesign after, const QString& text);
    // Undo and redo set the design through here, outside the history.
    void setDesign(PadsDesign design);

    void addPad();
    void drawPad();
    void padsFromFile();
    void editPad(int index);
    void deletePad(int index);
    void drawSectionLine();
    void showSections(const std::vector<QPointF>& line = {});

    // A project was opened or replaced (`gnd` empty for a new one): its pads, if any.
    void projectOpened(const QString& gnd);
    // The project was saved as `gnd`: the pads go beside it. False when they could not.
    bool projectSaved(const QString& gnd);
    // The ground changed: the figures follow.
    void groundChanged();
    // Blocks until the figures of the pads as they are now have been computed and shown.
    void waitForDesign();

signals:
    // The picture must be drawn again (another display mode).
    void redrawNeeded();

private:
    void showPanel();
    void recompute();
    void designed(const std::optional<PadsResult>& result);
    void showBusy();
    // True with a design to use; else says why.
    bool designedOrSaid();
    void printMap();
    void saveStakes();
    void paintOverlay(QPainter& painter) const;
    QPointF origin() const;
    bool usable();
    // The pad dialog started at `start`; none when cancelled.
    std::optional<PadShape> askPad(const PadShape& start);

    Project& m_project;
    Prompts& m_prompts;
    ProjectHistory& m_history;
    QPointer<PlotWidget> m_plot;
    PrintReport m_print;
    QMainWindow* m_window;
    PadsPanel* m_panel;
    PlotPicker* m_picker;
    bool m_pickingLine = false;
    PadsDesign m_design;
    std::optional<PadsResult> m_result;
    // The newest computation of the figures, off the window's thread; its progress is shown
    // and its stop button offered when it takes long.
    std::shared_ptr<Progress> m_computing;
    QWidget* m_busy = nullptr;
    QString m_problem;
    std::vector<double> m_groundUsed;
};

} // namespace tervan
