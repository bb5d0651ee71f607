#include "graphics/palette.h"
#include "graphics/ui/colourdialog.h"
#include "project/project.h"
#include "support/printto.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

void press(ColourDialog& d, const char* button)
{
    d.findChild<QPushButton*>(QLatin1String(button))->click();
}

bool bordered(ColourDialog& d, int n)
{
    return d.swatch(n)->styleSheet().contains(QLatin1String("solid"));
}

} // namespace

TEST(ColourDialog, OkWithoutAPickDrawsBlack)
{
    Project p = startupProject();
    EXPECT_EQ(paletteColour(lineColourIndex(p)), QColor(0, 128, 0));
    ColourDialog d(p);
    press(d, "cmdOk");
    EXPECT_EQ(p.UseChosenColor, -1);
    EXPECT_FALSE(p.ChosenColorIndex.has_value());
    EXPECT_EQ(paletteColour(lineColourIndex(p)), QColor(0, 0, 0));
}

TEST(ColourDialog, SwatchShowsOneColourLinesUseThePalette)
{
    Project p = startupProject();
    ColourDialog d(p);
    EXPECT_EQ(d.swatch(1)->styleSheet().contains(QColor(0, 0, 160).name()), true);
    QTest::mouseClick(d.swatch(1), Qt::LeftButton);
    press(d, "cmdOk");
    EXPECT_EQ(paletteColour(lineColourIndex(p)), QColor(0, 0, 128));
}

TEST(ColourDialog, CancelReturnsToGreenButKeepsThePick)
{
    Project p = startupProject();
    {
        ColourDialog d(p);
        d.lblColor_Click(4);
        press(d, "cmdCancel");
    }
    EXPECT_EQ(paletteColour(lineColourIndex(p)), QColor(0, 128, 0));
    ColourDialog again(p);
    EXPECT_FALSE(bordered(again, 4)); // every opening starts without a border
    press(again, "cmdOk");
    EXPECT_EQ(paletteColour(lineColourIndex(p)), QColor(128, 0, 0));
}

TEST(ColourDialog, OnlyTheLastClickedSwatchIsBordered)
{
    Project p = startupProject();
    ColourDialog d(p);
    d.lblColor_Click(3);
    d.lblColor_Click(12);
    d.lblColor_Click(15); // no such swatch
    for (int n = 0; n < 15; ++n)
        EXPECT_EQ(bordered(d, n), n == 12) << n;
    EXPECT_EQ(p.ChosenColorIndex, 12);
    EXPECT_EQ(d.swatch(7)->cursor().shape(), Qt::PointingHandCursor);
}

// Mouse press and release as they reach the swatches: Qt gives the release to the swatch that
// was pressed, wherever the mouse is let go.
TEST(ColourDialog, SwatchIsPickedOnlyByPressAndReleaseOnIt)
{
    const struct
    {
        const char* what;
        QPoint release; // relative to swatch 3
        bool picked;
    } cases[] = {
        {"released on it", {5, 5}, true},
        {"released beside it", {-20, 5}, false},
        {"released far below", {5, 400}, false},
    };
    for (const auto& c : cases) {
        Project p = startupProject();
        ColourDialog d(p);
        d.show();
        QLabel* swatch = d.swatch(3);
        QTest::mousePress(swatch, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(swatch, Qt::LeftButton, {}, c.release);
        EXPECT_EQ(p.ChosenColorIndex == 3, c.picked) << c.what;
        EXPECT_EQ(bordered(d, 3), c.picked) << c.what;
    }
    // A release without a press on the swatch picks nothing either.
    Project p = startupProject();
    ColourDialog d(p);
    QTest::mouseRelease(d.swatch(4), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(p.ChosenColorIndex.has_value());
}
