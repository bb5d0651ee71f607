#include "project/controldata.h"
#include "project/projectfile.h"
#include "support/printto.h"
#include "survey/ui/surveydialog.h"
#include "surveysites.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// The dialog with a points file typed into its box as a user types it.
struct Dialog
{
    QTemporaryDir dir;
    QString picked; // what the file buttons answer
    SurveyDialog dialog{[this](const QString&) { return picked; }};

    explicit Dialog(const QByteArray& points)
    {
        surveysites::writeFile(dir.filePath("shots.csv"), points);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.findChild<QLineEdit*>("txtPointsFile")->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), dir.filePath("shots.csv"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QString status() const { return dialog.findChild<QLabel*>("lblSurveyStatus")->text(); }
    QString projectCrs() const
    {
        return dialog.findChild<QComboBox*>("cboCrs")->currentData().toString();
    }
    bool canMake() const { return dialog.findChild<QPushButton*>("cmdMake")->isEnabled(); }
};

// Shots in degrees: under a header naming latitude first, else longitude first as x, y.
QByteArray latLon(bool header)
{
    QByteArray text = header ? "Latitude,Longitude,Height\n" : "";
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const QString lat = QString::number(13.75 + 0.0003 * j + 0.00001 * i, 'f', 7),
                          lon = QString::number(100.5 + 0.0003 * i, 'f', 7);
            text +=
                ((header ? lat + ',' + lon : lon + ',' + lat) + ',' + QString::number(2 + i) + '\n')
                    .toUtf8();
        }
    return text;
}

} // namespace

struct CoordinateCase
{
    const char* what;
    QByteArray points;
    const char* says; // in the status line
    const char* crs;  // the project's system the dialog shows
    bool canMake;
};

class SurveyCoordinates : public testing::TestWithParam<CoordinateCase>
{
};

// The dialog asks for the points' system where it cannot tell, and offers the one the
// points fit where it can.
TEST_P(SurveyCoordinates, AsksOrOffers)
{
    const Dialog d(GetParam().points);
    EXPECT_TRUE(d.status().contains(QString::fromUtf8(GetParam().says)))
        << d.status().toStdString();
    EXPECT_EQ(d.projectCrs(), QLatin1String(GetParam().crs)) << GetParam().what;
    EXPECT_EQ(d.canMake(), GetParam().canMake) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Survey, SurveyCoordinates,
    testing::Values(
        CoordinateCase{"latitude/longitude by the header", latLon(true), "ระบบพิกัดของจุด", "", false},
        CoordinateCase{"values that can only be degrees", latLon(false), "ระบบพิกัดของจุด", "", false},
        CoordinateCase{"UTM 47N coordinates in Thailand",
                       surveysites::pnezd(surveysites::scattered(20, 100, 100, surveysites::plane)),
                       "UTM 47N", "EPSG:32647", true},
        CoordinateCase{"local coordinates", "x,y,z\n0,0,1\n50,0,2\n0,50,3\n", "อ่านได้ 3 จุด", "",
                       true}));

// Asked for the points' system, the user picks WGS 84 latitude/longitude from the box the
// question put the focus on: the project lands in the UTM zone of the points, RTSD shift named.
TEST(SurveyDialog, LatitudeLongitudeAnsweredLandsInItsUtmZone)
{
    Dialog d(latLon(true));
    ASSERT_EQ(QApplication::focusWidget()->objectName(), "cboFromCrs");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(d.projectCrs(), "EPSG:32647");
    ASSERT_TRUE(d.canMake());
    QTest::mouseClick(d.dialog.findChild<QPushButton*>("cmdMake"), Qt::LeftButton);
    ASSERT_EQ(d.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(d.dialog.project().Georef->epsg, 32647);
    EXPECT_TRUE(d.dialog.reportHeading().join('\n').contains("EPSG:32647"));
    EXPECT_TRUE(d.dialog.reportHeading().join('\n').contains("EPSG:4326"));
}

// A second survey of the site takes the first project's grid, node for node.
TEST(SurveyDialog, UsesTheGridOfAnEarlierProject)
{
    Dialog d("x,y,z\n652003,1524004,1\n652047,1524002,2\n652011,1524038,3\n");
    Project earlier = startupProject();
    applyControlData(earlier, {5, 12, 14, 1});
    earlier.Georef = Georeference{651990, 1523995, 32647, {}};
    ASSERT_FALSE(saveProjectFiles(earlier, projectFileNames(d.dir.filePath("before"))));
    d.picked = d.dir.filePath("before.gnd");
    QTest::mouseClick(d.dialog.findChild<QPushButton*>("cmdLikeProject"), Qt::LeftButton);
    EXPECT_EQ(d.projectCrs(), "EPSG:32647");
    QTest::mouseClick(d.dialog.findChild<QPushButton*>("cmdMake"), Qt::LeftButton);
    ASSERT_EQ(d.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(d.dialog.frame(), (GridFrame{651990, 1523995, 5, 12, 14}));
    EXPECT_EQ(d.dialog.project().Georef->epsg, 32647);
}
