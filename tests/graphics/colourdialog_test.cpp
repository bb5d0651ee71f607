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
