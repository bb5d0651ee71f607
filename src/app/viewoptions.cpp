#include "app/viewoptions.h"

#include "app/windowmenus.h"
#include "graphics/surfacemesh.h"
#include "project/project.h"

#include <QAction>
#include <QWidget>

namespace tervan {

QAction* ViewOptions::action(const QString& name) const
{
    return m_window->findChild<QAction*>(name);
}

template <class Apply> void ViewOptions::onPicked(const QString& name, Apply apply)
{
    connect(action(name), &QAction::triggered, this, [this, apply](bool on) {
        apply(on);
        emit changed();
    });
}

ViewOptions::ViewOptions(QWidget* window, Project& project)
    : QObject(window), m_window(window), m_project(project)
{
    // Coordinates leave no room for numbers or elevations beside a node.
    onPicked(cmd::LabelCoordinates, [this](bool on) {
        if (on) {
            action(cmd::LabelNumbers)->setChecked(false);
            action(cmd::LabelElevations)->setChecked(false);
        }
    });
    for (const char* name : {cmd::LabelNumbers, cmd::LabelElevations})
        onPicked(name, [this](bool on) {
            if (on)
                action(cmd::LabelCoordinates)->setChecked(false);
        });
    onPicked(cmd::ContourLabelsEvery,
             [this](bool) { m_project.BoldWholeContours = ContourEmphasis::EveryLevel; });
    onPicked(cmd::ContourLabelsSome,
             [this](bool) { m_project.BoldWholeContours = ContourEmphasis::WholeLevels; });
    onPicked(cmd::SurfaceBaseLowest, [this](bool on) { m_project.SurfaceBaseLowest = on; });
    onPicked(cmd::ContourLabelsAlong, [this](bool on) { m_project.ContourLabelsAlong = on; });
    onPicked(cmd::ContourLevelsFromZero, [this](bool on) { m_project.ContourLevelsFromZero = on; });
    for (int times : SurfaceExaggerations)
        onPicked(cmd::exaggeration(times),
                 [this, times](bool) { m_project.SurfaceExaggeration = qint16(times); });
}

NodeLabels ViewOptions::nodeLabels() const
{
    return {action(cmd::LabelCoordinates)->isChecked(), action(cmd::LabelNumbers)->isChecked(),
            action(cmd::LabelElevations)->isChecked()};
}

ViewChoices ViewOptions::choices() const
{
    int exaggeration = 1;
    for (int times : SurfaceExaggerations)
        if (action(cmd::exaggeration(times))->isChecked())
            exaggeration = times;
    return {nodeLabels(),
            action(cmd::ContourLabelsEvery)->isChecked(),
            action(cmd::SurfaceBaseLowest)->isChecked(),
            exaggeration,
            action(cmd::ContourLabelsAlong)->isChecked(),
            action(cmd::ContourLevelsFromZero)->isChecked()};
}

void ViewOptions::setChoices(const ViewChoices& view)
{
    action(cmd::LabelCoordinates)->setChecked(view.labels.coordinates);
    action(cmd::LabelNumbers)->setChecked(view.labels.numbers);
    action(cmd::LabelElevations)->setChecked(view.labels.elevations);
    action(view.everyContour ? cmd::ContourLabelsEvery : cmd::ContourLabelsSome)->setChecked(true);
    action(cmd::SurfaceBaseLowest)->setChecked(view.surfaceBaseLowest);
    action(cmd::exaggeration(view.exaggeration))->setChecked(true);
    action(cmd::ContourLabelsAlong)->setChecked(view.contourLabelsAlong);
    action(cmd::ContourLevelsFromZero)->setChecked(view.contourLevelsFromZero);
    m_project.BoldWholeContours =
        view.everyContour ? ContourEmphasis::EveryLevel : ContourEmphasis::WholeLevels;
    m_project.SurfaceBaseLowest = view.surfaceBaseLowest;
    m_project.SurfaceExaggeration = qint16(view.exaggeration);
    m_project.ContourLabelsAlong = view.contourLabelsAlong;
    m_project.ContourLevelsFromZero = view.contourLevelsFromZero;
}

} // namespace tervan
