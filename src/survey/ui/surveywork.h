#pragma once

#include "survey/gridding.h"
#include "survey/siteoutline.h"
#include "survey/surveyinput.h"

#include <QPromise>
#include <QRectF>
#include <memory>

class QThread;

namespace tervan {

// The survey dialog's long steps, run on a worker thread. Each takes everything it needs by
// value, reports its step through the promise and stops between steps once cancelled, so a
// dialog changed or closed meanwhile only drops the answer.

// Points drawn in the picture at most: enough to see the survey, few enough to draw at once.
inline constexpr int MostPointsDrawn = 20000;

struct PointsWork
{
    QString fileName;
    QString columns; // a code of columnsFromCode, empty: by the header
    CoordinateChoice choice;
};

struct PointsMade
{
    QString problem;           // Thai; empty when the points were read
    bool needsFromCrs = false; // latitude/longitude whose system the user must name
    PreparedPoints prepared;   // its points moved to `points`
    std::shared_ptr<const std::vector<SurveyPoint>> points;
    int pointsRead = 0;
    QRectF extent;              // of all the points, x right and y up
    std::vector<QPointF> drawn; // an even sample of the points for the picture
};

void readSurveyPoints(QPromise<PointsMade>& promise, const PointsWork& work);

enum class BoundaryChoice { Concave, Hull, None, File };

struct SurfaceWork
{
    std::shared_ptr<const std::vector<SurveyPoint>> points;
    int pointsRead = 0;
    int epsg = 0;       // the project's system
    QString datumShift; // as chosen, for breaklines in another system
    BoundaryChoice boundary = BoundaryChoice::Concave;
    QString boundaryFile;   // for BoundaryChoice::File
    QString breaklinesFile; // empty: none
    QStringList excluded;   // shots the user left out
    GridFrame frame;
    GridMethod method = GridMethod::Linear;
};

// Where a suspect shot lies, for the picture.
struct ShotPlace
{
    QString name;
    double x = 0;
    double y = 0;
    double residual = 0; // leave-one-out
};

struct SurfaceMade
{
    QString problem; // Thai, naming the file at fault; empty when the grid was made
    SiteOutline outline;
    std::vector<Breakline> breaklines;
    GridFrame frame;
    GridResult grid;
    GridQuality quality;
    std::vector<ShotPlace> suspects;
    const QThread* madeOn = nullptr;
};

void makeSurveySurface(QPromise<SurfaceMade>& promise, const SurfaceWork& work);

} // namespace tervan
