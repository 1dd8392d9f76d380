// "Карта квеста": the demo quest's map drawn in the window, zoomed, and coloured by an exploration.
#include <QGraphicsSvgItem>
#include <QTest>

#include <gtest/gtest.h>

#include "frmmain_fixture.h"
#include "shell/frmmap.h"

namespace {

using namespace tarvik::shell;
using tarvik::shell::testing::WindowTest;

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

// "Карта квеста" in Утилиты draws the open quest, and again from the file after it changed.
class MapMenu : public WindowTest {};

TEST_F(MapMenu, ShowsTheOpenQuestsMapBesideTheGame) {
    const QString quest = WriteQuest("q.qst", ":start\nbtn far, Вдаль\nend\n:far\nend\n");
    w->OpenQuestFile(quest);
    Settle();
    Find<QAction>("mQuestMap")->trigger();
    Settle();
    auto* map = w->findChild<frmMap*>("frmMap");
    ASSERT_NE(map, nullptr);
    EXPECT_TRUE(map->isVisible());
    EXPECT_FALSE(map->isModal());
    ASSERT_NE(map->svgItem, nullptr);
    const double narrow = map->svgItem->boundingRect().width();

    WriteQuest(
        "q.qst",
        ":start\nbtn far, Вдаль\nbtn near, Рядом\nbtn wide, Вширь\nend\n:far\nend\n:near\nend\n:wide\nend\n");
    Find<QAction>("mQuestMap")->trigger();
    Settle();
    EXPECT_EQ(w->findChildren<frmMap*>().size(), 1);
    ASSERT_NE(map->svgItem, nullptr);
    EXPECT_NE(map->svgItem->boundingRect().width(), narrow);
}

}  // namespace
