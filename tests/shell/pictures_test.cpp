// Pictures in the window: slots on the main window, the picture window Form1 with its overlays, clicks that
// reach the quest, and picture files that are broken or hostile.
#include <QBuffer>
#include <QImage>
#include <QListWidget>
#include <QMovie>
#include <QTextEdit>
#include <QWindow>

#include <cstdint>
#include <string>

#include "frmmain_fixture.h"

namespace tarvik::shell::testing {
namespace {

std::string Le16(int v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
std::string Le32(uint32_t v) {
    return Le16(static_cast<int>(v & 0xFFFF)) + Le16(static_cast<int>(v >> 16));
}
std::string Be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF),
            static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
}

uint32_t Crc32(const std::string& bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

std::string PngChunk(const std::string& type, const std::string& data) {
    return Be32(static_cast<uint32_t>(data.size())) + type + data + Be32(Crc32(type + data));
}

// A picture written by Qt's own writer in `format`.
std::string Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes.toStdString();
}

QImage Filled(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A 2 x 2 run-length-compressed bitmap: the bottom row red, the top row blue.
std::string RleBitmap() {
    const std::string palette = std::string("\x00\x00\xFF\x00", 4) + std::string("\xFF\x00\x00\x00", 4);
    const std::string data = std::string("\x02\x00\x00\x00\x02\x01\x00\x01", 8);
    const uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size());
    std::string info = Le32(40) + Le32(2) + Le32(2) + Le16(1) + Le16(8) + Le32(1) +
                       Le32(static_cast<uint32_t>(data.size())) + Le32(0) + Le32(0) + Le32(2) + Le32(0);
    return "BM" + Le32(offset + static_cast<uint32_t>(data.size())) + Le32(0) + Le32(offset) + info +
           palette + data;
}

// A GIF of two 1 x 1 frames, so it animates.
std::string AnimatedGif(int width = 1, int height = 1) {
    std::string gif = "GIF89a" + Le16(width) + Le16(height) + std::string("\x80\x00\x00", 3) +
                      std::string("\xFF\xFF\xFF\x00\x00\x00", 6);
    gif += std::string("\x21\xFF\x0B", 3) + "NETSCAPE2.0" + std::string("\x03\x01\x00\x00\x00", 5);
    for (int frame = 0; frame < 2; ++frame) {
        gif += std::string("\x21\xF9\x04\x00\x0A\x00\x00\x00", 8);
        gif +=
            std::string("\x2C", 1) + Le16(0) + Le16(0) + Le16(width) + Le16(height) + std::string("\x00", 1);
        gif += std::string("\x02\x02\x44\x01\x00", 5);
    }
    return gif + ";";
}

// Files that claim sizes no quest picture has, or stop halfway.
std::vector<std::pair<const char*, std::string>> HostileFiles() {
    const std::string png = Encoded(Filled(8, 8, Qt::green), "PNG");
    std::string hugePng = "\x89PNG\r\n\x1A\n";
    hugePng += PngChunk("IHDR", Be32(40000) + Be32(40000) + std::string("\x08\x02\x00\x00\x00", 5));
    hugePng += PngChunk("IDAT", std::string("\x78\x9C\x03\x00\x00\x00\x00\x01", 8));
    hugePng += PngChunk("IEND", "");
    std::string hugeBmp = "BM" + Le32(70) + Le32(0) + Le32(54) + Le32(40) + Le32(60000) + Le32(60000) +
                          Le16(1) + Le16(24) + Le32(0) + Le32(16) + Le32(0) + Le32(0) + Le32(0) + Le32(0) +
                          std::string(16, '\x7F');
    std::string wmf = std::string("\xD7\xCD\xC6\x9A\x00\x00", 6) + std::string(40, '\x01');
    return {
        {"truncated.png", png.substr(0, png.size() / 2)},
        {"header-only.png", png.substr(0, 20)},
        {"huge.png", hugePng},
        {"huge.bmp", hugeBmp},
        {"huge.gif", AnimatedGif(65535, 65535)},
        {"empty.bmp", ""},
        {"noise.jpg", std::string(300, '\xFF')},
        {"map.wmf", wmf},
    };
}

class PictureWindowTest : public WindowTest {
protected:
    QString WritePicture(const QString& name, const QImage& image, const char* format = "PNG") {
        return WriteFile(name, Encoded(image, format));
    }
    double Number(const char* name) {
        double d = -1;
        const Value* v = w->engine().FindVariable(name);
        EXPECT_TRUE(v && v->ToNumber(d)) << name;
        return d;
    }
    void Play(const char* quest) {
        w->OpenQuestFile(WriteQuest("quest.qst", quest));
        Settle();
    }
};

TEST_F(PictureWindowTest, FormatsDecodeAtTheirNaturalSizeAndGifsAnimate) {
    struct Case {
        QString name;
        std::string bytes;
        QSize size;
        bool animated;
    };
    const QImage red = Filled(12, 7, Qt::red);
    for (const Case& c : std::vector<Case>{
             {"a.png", Encoded(red, "PNG"), {12, 7}, false},
             {"a.bmp", Encoded(red, "BMP"), {12, 7}, false},
             {"a.jpg", Encoded(red, "JPEG"), {12, 7}, false},
             {"a.ico", Encoded(Filled(16, 16, Qt::blue), "ICO"), {16, 16}, false},
             {"a.rle", RleBitmap(), {2, 2}, false},
             {"a.gif", AnimatedGif(), {1, 1}, true},
             // Named by the wrong extension, as old quests often are: the content decides.
             {"png-named.bmp", Encoded(red, "PNG"), {12, 7}, false},
         }) {
        DecodedPicture d = DecodePicture(WriteFile(c.name, c.bytes));
        ASSERT_TRUE(d.ok()) << c.name.toStdString();
        EXPECT_EQ(d.size, c.size) << c.name.toStdString();
        EXPECT_EQ(d.movie != nullptr, c.animated) << c.name.toStdString();
    }
    QImage rle = DecodePicture(Path("a.rle")).still.toImage();
    EXPECT_EQ(rle.pixelColor(0, 1), QColor(Qt::red)) << "bottom-up rows";
    EXPECT_EQ(rle.pixelColor(1, 0), QColor(Qt::blue));
}

TEST_F(PictureWindowTest, BrokenAndHostileFilesAreRefused) {
    for (const auto& [name, bytes] : HostileFiles()) {
        DecodedPicture d = DecodePicture(WriteFile(name, bytes));
        EXPECT_FALSE(d.ok()) << name;
    }
    // Through a quest, each of them leaves the slot's picture as it was.
    WritePicture("good.png", Filled(30, 20, Qt::red));
    std::string quest = "formpicture1 = \"good.png\"\npicture\n";
    for (const auto& [name, bytes] : HostileFiles())
        quest += std::string("formpicture1 = \"") + name + "\"\npicture\n";
    quest += "end\n";
    Play(quest.c_str());
    PictureBox* box = w->Image1(1);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->pictureSize(), QSize(30, 20));
    EXPECT_EQ(w->engine().pictures().images[0].file, "good.png");
}

TEST_F(PictureWindowTest, ASlotShowsItsPictureAtItsPositionOverTheControlsAndAClickReachesTheQuest) {
    WritePicture("pic.png", Filled(30, 20, Qt::red));
    WritePicture("other.png", Filled(5, 5, Qt::blue));
    Play(
        "formpicture1 = \"pic.png\"\nformpicture1top = 40\nformpicture1left = 50\npicture\nend\n"
        ":form_image_click\ninside = form_click1\nformpicture1 = \"missing.png\"\npicture\nend\n");
    PictureBox* box = w->Image1(1);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->geometry(), QRect(50, 40, 30, 20));
    EXPECT_EQ(box->parentWidget()->childAt(QPoint(60, 45)), box) << "the picture lies over the story text";

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(3, 3));
    Settle();
    EXPECT_EQ(Var("inside"), "1");
    EXPECT_EQ(Var("form_click1"), "0");
    // The procedure named a missing file: the old picture stays.
    EXPECT_EQ(box->pictureSize(), QSize(30, 20));
    EXPECT_TRUE(box->isVisible());
}

TEST_F(PictureWindowTest, ThePictureWindowFitsItsPictureShowsOverlaysAndReportsPresses) {
    WritePicture("main.png", Filled(60, 40, Qt::green));
    WritePicture("o.png", Filled(4, 4, Qt::black));
    Play(
        "Image = \"main.png\"\nImage2 = \"o.png\"\nimage2top = 150\nimage2left = 300\n"
        "image_caption = \"Карта\"\nbtn close, Close\nend\n"
        ":image_click\nb1 += BMouse1\nb2 += BMouse2\nx = xmouse\ny = ymouse\nend\n"
        ":close\nImage = 0\nend\n");
    Form1* f = w->pictureWindow();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(f->isModal());
    EXPECT_EQ(f->windowTitle(), Q("Карта"));
    // 97 twips of border and 335 of caption bar, at 15 twips to the pixel.
    EXPECT_EQ(f->frameGeometry().size(), QSize(60 + 6, 40 + 22));
    EXPECT_TRUE(f->Picture1()->isVisible());
    EXPECT_EQ(f->Picture1()->geometry(), QRect(0, 0, 60, 40));
    EXPECT_EQ(f->grab().toImage().pixelColor(30, 20), QColor(Qt::green));
    PictureBox* overlay = f->picture2(2);
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->geometry(), QRect(20, 10, 4, 4));

    QTest::mousePress(f->Picture1(), Qt::RightButton, {}, QPoint(10, 20));
    Settle();
    EXPECT_EQ(Var("b1"), "2");
    EXPECT_EQ(Var("BMouse1"), "0");
    EXPECT_NEAR(Number("x"), 150 / 15.11, 1e-9);
    EXPECT_NEAR(Number("y"), 300 / 15.11, 1e-9);
    QTest::mouseClick(overlay, Qt::LeftButton, {}, QPoint(1, 1));
    Settle();
    EXPECT_EQ(Var("b2"), "1");
    EXPECT_EQ(Var("b1"), "2") << "a click on an overlay is no press on the main picture";

    // Closing hides the window; it is kept for the next picture.
    auto* list = Find<QListWidget>("List1");
    DoubleClick(list, 0);
    Settle();
    EXPECT_TRUE(f->isHidden());
    EXPECT_EQ(w->pictureWindow(), f);
}

// Qt hands a double click over as a second press; the classic controls counted it as one click.
TEST_F(PictureWindowTest, ADoubleClickOnAPictureRunsItsProcedureOnce) {
    WritePicture("pic.png", Filled(30, 20, Qt::red));
    Play(
        "formpicture1 = \"pic.png\"\npicture\nImage = \"pic.png\"\nImage2 = \"pic.png\"\nend\n"
        ":form_image_click\nslot += form_click1\nend\n:image_click\nb1 += BMouse1\nb2 += BMouse2\nend\n");
    ASSERT_NE(w->pictureWindow(), nullptr);
    const std::pair<QWidget*, const char*> cases[] = {{w->Image1(1), "slot"},
                                                      {w->pictureWindow()->Picture1(), "b1"},
                                                      {w->pictureWindow()->picture2(2), "b2"}};
    for (const auto& [box, counter] : cases) {
        // As the window system delivers it: press, release, double click, release; then one click more.
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(1, 1));
        QTest::mouseDClick(box, Qt::LeftButton, {}, QPoint(1, 1));
        QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(1, 1));
        Settle();
        EXPECT_EQ(Var(counter), "1") << counter;
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(1, 1));
        Settle();
        EXPECT_EQ(Var(counter), "2") << counter;
    }
}

TEST_F(PictureWindowTest, AnEmptyCaptionIsACaptionAndANeverSetOneLeavesTheWindowsOwn) {
    WritePicture("main.png", Filled(10, 10, Qt::green));
    Play("Image = \"main.png\"\nbtn e, Empty\nend\n:e\nimage_caption = \"\"\nend\n");
    Form1* f = w->pictureWindow();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(f->windowTitle().isEmpty());
    DoubleClick(Find<QListWidget>("List1"), 0);
    Settle();
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->windowTitle(), QString());
}

TEST_F(PictureWindowTest, ActivatingThePictureWindowGivesTheKeysBackToTheButtons) {
    WritePicture("main.png", Filled(10, 10, Qt::green));
    Play("Image = \"main.png\"\nbtn a, A\nend\n");
    Form1* f = w->pictureWindow();
    ASSERT_NE(f, nullptr);
    Find<QTextEdit>("txtText")->setFocus();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(f, &activate);
    Settle();
    EXPECT_EQ(w->focusWidget(), Find<QListWidget>("List1"));
}

TEST_F(PictureWindowTest, TheBackgroundIsDrawnAndANewGameClearsItWithTheWindow) {
    WritePicture("bg.png", Filled(40, 40, Qt::magenta));
    WritePicture("main.png", Filled(10, 10, Qt::green));
    Play("style_formpicture = \"bg.png\"\nImage = \"main.png\"\nend\n");
    EXPECT_EQ(w->background().size(), QSize(40, 40));
    QImage shot = w->centralWidget()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::magenta)) << "the left margin shows the background";
    ASSERT_NE(w->pictureWindow(), nullptr);
    EXPECT_TRUE(w->pictureWindow()->isVisible());

    w->engine().NewGame();
    Settle();
    // The new game's first page set the background again; what counts is that the reset cleared it first.
    EXPECT_TRUE(w->pictureWindow()->isVisible());
    WriteQuest("plain.qst", "pln plain\nend\n");
    w->OpenQuestFile(Path("plain.qst"));
    Settle();
    EXPECT_TRUE(w->background().isNull());
    EXPECT_TRUE(w->pictureWindow()->isHidden());
    EXPECT_TRUE(w->pictureWindow()->Picture1()->pixmap().isNull());
}

}  // namespace
}  // namespace tarvik::shell::testing
