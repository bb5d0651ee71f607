#pragma once

#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QToolBar;

namespace tervan {

// The object names of the window's command actions that code looks up. Menu arrays keep their
// index in the name ("ViewChoice_5"), as the menus number their items.
namespace cmd {
inline constexpr char FileNew[] = "mnuFileNew";
inline constexpr char FileOpen[] = "mnuFileOpen";
inline constexpr char FileSave[] = "mnuFileSave";
inline constexpr char FileSaveAs[] = "mnuFileSaveAs";
inline constexpr char FileClose[] = "mnuFileClose";
inline constexpr char FileImportHeights[] = "mnuFileImportHeights";
inline constexpr char FileExportHeights[] = "mnuFileExportHeights";
inline constexpr char FileFromSurvey[] = "mnuFileFromSurvey";
inline constexpr char FileExit[] = "mnuFileExit";
inline constexpr char EditMenu[] = "mnuEdit";
inline constexpr char EditHeading[] = "mnuEditChoice_1";
inline constexpr char EditControl[] = "mnuEditChoice_2";
inline constexpr char EditHeights[] = "mnuEditChoice_4";
inline constexpr char EditGeoreference[] = "mnuEditGeoreference";
inline constexpr char ShowGrid[] = "GraphicShow_1";
inline constexpr char ShowContours[] = "GraphicShow_2";
inline constexpr char ShowSurface[] = "GraphicShow_3";
inline constexpr char NormalView[] = "ViewChoice_0";
inline constexpr char FitScreen[] = "ViewChoice_1";
inline constexpr char ZoomIn[] = "ViewChoice_2";
inline constexpr char ZoomOut[] = "ViewChoice_3";
inline constexpr char LabelCoordinates[] = "ViewChoice_5";
inline constexpr char LabelNumbers[] = "ViewChoice_6";
inline constexpr char LabelElevations[] = "ViewChoice_7";
inline constexpr char ContourLabelsEvery[] = "ViewChoice_9";
inline constexpr char ContourLabelsSome[] = "ViewChoice_10";
inline constexpr char LineColour[] = "ViewChoice_12";
inline constexpr char RotatePlus[] = "ViewChoice_13";
inline constexpr char RotateMinus[] = "ViewChoice_14";
inline constexpr char SurfaceBaseLowest[] = "mnuViewBaseLowest";
inline constexpr char ContourLabelsAlong[] = "mnuViewLabelsAlong";
inline constexpr char ContourLevelsFromZero[] = "mnuViewLevelsFromZero";
inline constexpr char GradeBalanced[] = "GradeElevChoice_1";
inline constexpr char GradeFixed[] = "GradeElevChoice_2";
inline constexpr char HelpAbout[] = "mnuHelpAbout";
// The toolbar's own: the control data in a window that stays open beside the picture.
inline constexpr char ControlModeless[] = "tbrmain_Control";
// The surface's vertical scale, one item per factor: "mnuViewExaggeration_2".
QString exaggeration(int times);
// A Print menu item: family "DataPrint", "GraphicPrint" or "GradePrint", index 1, 2 or 4.
QString print(const char* family, int index);
} // namespace cmd

// Adds an item to a menu under its object name; a caption of "-" adds a named separator.
QAction* addMenuItem(QMenu* menu, const QString& name, const QString& caption);

// Builds the menu bar: every command one action, named as above, with its caption and keys.
// The label choices are checkable, the two contour label choices one exclusive pair; the
// surface's scale and the contour options follow the View menu's own items.
void buildMenuBar(QMenuBar* bar);

// Builds the toolbar from the menu bar's actions (the same QAction, so a command is enabled
// and triggered in one place), adding each button's picture and tip; the control-data button
// is the toolbar's own action. Call after buildMenuBar.
QToolBar* buildToolBar(QMainWindow* window);

} // namespace tervan
