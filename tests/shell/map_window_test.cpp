// "Карта квеста": the demo quest's map drawn in the window, zoomed, and coloured by an exploration.
#include <QGraphicsSvgItem>
#include <QTest>

#include <gtest/gtest.h>

#include "shell/frmmap.h"

namespace {

using namespace tarvik::shell;

TEST(MapWindow, ShowsTheDemoMapThatZoomsAndColoursWhatExploringFinds) {
    frmMap map;
    ASSERT_TRUE(map.ShowQuest(TARVIK_SOURCE_DIR "/quests/demo.qst", false));
    map.show();
    ASSERT_NE(map.svgItem, nullptr);
    EXPECT_GT(map.svgItem->boundingRect().width(), 500);
    // Fitted to the window, and the buttons and keys zoom both ways.
    const double fitted = map.view->zoom();
    EXPECT_LE(fitted, 1.0);
    QTest::mouseClick(map.cmdZoomIn, Qt::LeftButton);
    EXPECT_GT(map.view->zoom(), fitted);
    QTest::keyClick(map.view, Qt::Key_Minus);
    QTest::keyClick(map.view, Qt::Key_Minus);
    EXPECT_LT(map.view->zoom(), fitted);
    QTest::mouseClick(map.cmdFit, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(map.view->zoom(), fitted);

    QTest::mouseClick(map.cmdExplore, Qt::LeftButton);
    ASSERT_NE(map.svgItem, nullptr);
    EXPECT_TRUE(map.lblLegend->text().contains(QString::fromUtf8("достигнуто 17 из 17")))
        << map.lblLegend->text().toStdString();

    EXPECT_FALSE(map.ShowQuest(TARVIK_SOURCE_DIR "/quests/no-such.qst", false));
    EXPECT_EQ(map.svgItem, nullptr);
}

}  // namespace
