// The graph window on the offscreen platform: what it draws into its picture, how its check
// boxes, group double-clicks, zoom and mouse drags reach the picture and the scroll bars,
// the exported file, the missing background, and the main window's graph button.
#include "glaphform.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app_test_support.h"
#include "bmpfile.h"
#include "dataform.h"
#include "graphpicture.h"
#include "sjistext.h"

using namespace apptest;
using kotopa::TGlaphForm;
using Kind = kotopa::platform::FakeDialogs::Kind;

namespace {

// The test background: every pixel its own colour, with blue 90, which no series, name
// box or black margin has.
QRgb BackgroundAt(int x, int y) {
    return qRgb(20 + x % 200, 30 + y, 90);
}

std::string BackgroundBmp(int width = kotopa::kGraphWidth, int height = kotopa::kGraphHeight) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb c = BackgroundAt(x, y);
            rgb.insert(rgb.end(), {static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)),
                                   static_cast<uint8_t>(qBlue(c))});
        }
    }
    return kotopa::EncodeBmp24(width, height, rgb.data(), static_cast<std::size_t>(width) * 3);
}

const QRgb kRed = qRgb(255, 0, 0), kBlue = qRgb(0, 0, 255), kGreen = qRgb(0, 255, 0);

struct GraphRig : apptest::FakeServices {
    testutil::TempDir dir;
    fs::path base = dir.path() / "kotopa";
    std::unique_ptr<TGlaphForm> form;

    // All Acts: plays of 200, 220 and 240 per minute (10, 0 and 12 mistypes). This Act: one
    // play of 120 per minute, 5 mistypes, 60 s.
    std::vector<std::string> total{"100 200 10", "110 220 0", "120 240 12"};
    std::vector<std::string> act{"60 120 5"};

    GraphRig(const char* folder = "system", const char* file = "Glaph.bmp") {
        fs::create_directories(base / folder);
        WriteBytes(base / folder / file, BackgroundBmp());
    }

    TGlaphForm& Open() {
        form =
            std::make_unique<TGlaphForm>(base, base / "ktp" / "Act07.ktp", total, act, services());
        form->show();
        QApplication::processEvents();
        return *form;
    }

    template <typename W = QWidget>
    W* Get(const char* name) const {
        return Child<W>(*form, name);
    }
    void Click(const char* box) {
        QTest::mouseClick(Get<QCheckBox>(box), Qt::LeftButton, {}, QPoint(6, 8));
    }
    QRgb Pixel(int x, int y) const { return form->GraphBitmap().pixel(x, y); }
    QScrollBar* HBar() const { return Get<QScrollArea>("ScrollBox")->horizontalScrollBar(); }
    QScrollBar* VBar() const { return Get<QScrollArea>("ScrollBox")->verticalScrollBar(); }
};

std::string Hex(QRgb c) {
    return QColor(c).name().toStdString();
}

#define EXPECT_PIXEL(rig, x, y, colour) \
    EXPECT_EQ(Hex((rig).Pixel(x, y)), Hex(colour)) << "at " << (x) << "," << (y)
#define EXPECT_BACKGROUND(rig, x, y) EXPECT_PIXEL(rig, x, y, BackgroundAt(x, y))

}  // namespace

TEST(GlaphForm, OpensWithTheInformationSoundAndItsButtonsWork) {
    GraphRig rig;
    TGlaphForm& form = rig.Open();
    EXPECT_EQ(form.windowTitle().toStdString(), "グラフ");
    EXPECT_EQ(form.size(), QSize(438, 238));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_TRUE(form.isModal());
    EXPECT_TRUE(rig.Get<QWidget>("bt_Close")->hasFocus());
    EXPECT_EQ(form.GraphBitmap().size(), QSize(310, 190));
    EXPECT_EQ(form.GraphBitmap().format(), QImage::Format_RGB888);
    ASSERT_EQ(rig.dialogs.asked.size(), 1u);
    EXPECT_EQ(rig.dialogs.asked[0].beep, kotopa::platform::BeepKind::Asterisk);

    rig.shell.windows = true;  // the viewer of the other desktops: desktop_test.cpp
    fs::create_directories(rig.base / "save");
    WriteBytes(rig.base / "save" / "playlog.log", "x\r\n");
    QTest::mouseClick(rig.Get<QToolButton>("SpeedButton"), Qt::LeftButton);
    EXPECT_EQ(rig.shell.opened, (std::vector<fs::path>{rig.base / "save" / "playlog.log"}));
    QTest::keyClick(rig.Get<QPushButton>("bt_Close"), Qt::Key_Space);
    EXPECT_FALSE(form.isVisible());
}

TEST(GlaphForm, DrawsTheTickedSeriesOverTheBackground) {
    GraphRig rig;
    TGlaphForm& form = rig.Open();
    // This Act's play: 120 per minute at y = 120, 5 mistypes at 170, 60 s at 150.
    EXPECT_PIXEL(rig, 10, 120, kRed);
    EXPECT_PIXEL(rig, 10, 170, kBlue);
    EXPECT_PIXEL(rig, 10, 150, kGreen);
    EXPECT_PIXEL(rig, 0, 180, kGreen) << "every series starts at the baseline; time is drawn last";
    EXPECT_PIXEL(rig, 5, 150, kRed) << "on the line from (0, 180) up to (10, 120)";
    for (auto [x, y] :
         {std::pair{12, 70}, {14, 60}, {11, 120}, {12, 120}, {200, 100}, {309, 189}}) {
        EXPECT_BACKGROUND(rig, x, y);
    }
    EXPECT_EQ(form.findChild<kotopa::GraphPicture*>("Image")->Picture(), form.GraphBitmap())
        << "the picture control shows the drawn bitmap";

    // Each box redraws at once (which series and colours: tests/core/graph_test.cpp). The
    // total report's characters end at their last play; the file report's red stays over
    // them at the first.
    rig.Click("chTotalMozi");
    EXPECT_PIXEL(rig, 12, 70, kRed);
    EXPECT_PIXEL(rig, 11, 75, kRed);
    EXPECT_BACKGROUND(rig, 15, 60);
    rig.Click("chFile");
    EXPECT_PIXEL(rig, 10, 120, qRgb(0x66, 0, 0));
    rig.Click("chFileMozi");
    EXPECT_BACKGROUND(rig, 10, 120);
}

// The drawn picture (which the export writes as it is) has every vertex of a line painted and
// nothing below the baseline: this Act's time alone, over a known list of plays.
TEST(GlaphForm, EveryVertexIsPaintedAndNothingFallsBelowTheBaseline) {
    GraphRig rig;
    rig.total.clear();
    const int seconds[] = {100, 300, 20, 40, 360, 2, 200, 250, 10, 330, 41, 42, 1000, 5, 61, 1};
    rig.act.clear();
    for (int s : seconds) rig.act.push_back(std::to_string(s) + " 0 0");
    rig.Open();
    rig.Click("CheckFileName");
    EXPECT_PIXEL(rig, 0, 180, kGreen);
    for (int i = 0; i < static_cast<int>(std::size(seconds)); ++i) {
        const int y = 180 - seconds[i] / 2;
        if (y >= 0) {
            EXPECT_PIXEL(rig, 10 + 2 * i, y, kGreen) << "play " << i;
        }
    }
    for (int y = 181; y < kotopa::kGraphHeight; ++y) {
        for (int x = 0; x < kotopa::kGraphWidth; ++x) EXPECT_BACKGROUND(rig, x, y);
    }
}

TEST(GlaphForm, NameBoxInTheTopLeftCorner) {
    GraphRig rig;
    rig.Open();
    // "Act07": white name, grey shadow one pixel to the right, on a black box from x = 1;
    // column 0 shows the white name over the background.
    const QRgb white = qRgb(255, 255, 255), grey = qRgb(128, 128, 128), black = qRgb(0, 0, 0);
    int whites = 0, greys = 0, blacks = 0;
    for (int y = 0; y < 12; ++y) {
        for (int x = 1; x < 30; ++x) {
            const QRgb c = rig.Pixel(x, y);
            EXPECT_TRUE(c == white || c == grey || c == black) << Hex(c) << " at " << x << "," << y;
            whites += c == white;
            greys += c == grey;
            blacks += c == black;
        }
        EXPECT_TRUE(rig.Pixel(0, y) == white || rig.Pixel(0, y) == BackgroundAt(0, y))
            << "at 0," << y;
    }
    EXPECT_GT(whites, 20);
    EXPECT_GT(greys, 3);
    EXPECT_GT(blacks, 100);
    EXPECT_BACKGROUND(rig, 150, 5);

    rig.Click("CheckFileName");
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 30; ++x) EXPECT_BACKGROUND(rig, x, y);
    }
}

TEST(GlaphForm, GroupDoubleClickTogglesTheWholeReport) {
    GraphRig rig;
    rig.Open();
    auto* group = rig.Get<QGroupBox>("GroupTotal");
    QTest::mouseDClick(group, Qt::LeftButton, {}, QPoint(90, 84));
    for (const char* box : {"chTotal", "chTotalMozi", "chTotalMiss", "chTotalTime"}) {
        EXPECT_FALSE(rig.Get<QCheckBox>(box)->isChecked()) << box;
    }
    EXPECT_BACKGROUND(rig, 12, 70);

    QTest::mouseDClick(group, Qt::LeftButton, {}, QPoint(90, 84));
    for (const char* box : {"chTotal", "chTotalMozi", "chTotalMiss", "chTotalTime"}) {
        EXPECT_TRUE(rig.Get<QCheckBox>(box)->isChecked()) << box;
    }
    EXPECT_PIXEL(rig, 12, 70, kRed);

    QTest::mouseDClick(rig.Get<QGroupBox>("GroupFile"), Qt::LeftButton, {}, QPoint(90, 84));
    EXPECT_FALSE(rig.Get<QCheckBox>("chFileMozi")->isChecked());
    EXPECT_BACKGROUND(rig, 10, 120);
}

TEST(GlaphForm, ZoomShowsEachPixelTwiceAndTheDragMovesThePicture) {
    GraphRig rig;
    TGlaphForm& form = rig.Open();
    auto* image = rig.Get<kotopa::GraphPicture>("Image");
    rig.Click("CheckKakudai");
    QApplication::processEvents();
    EXPECT_EQ(image->size(), QSize(620, 380));
    EXPECT_TRUE(rig.HBar()->isVisible());
    EXPECT_TRUE(rig.VBar()->isVisible());
    EXPECT_EQ(image->cursor().shape(), Qt::PointingHandCursor);
    const QImage shown = image->grab().toImage();
    for (auto [x, y] : {std::pair{10, 120}, {10, 170}, {200, 100}}) {
        for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}}) {
            EXPECT_EQ(Hex(shown.pixel(2 * x + dx, 2 * y + dy)), Hex(rig.Pixel(x, y)))
                << x << "," << y;
        }
    }

    // A drag moves the scroll bars and the picture with them (how far: graph_test.cpp); far
    // to the left it stops at the horizontal end.
    rig.HBar()->setValue(100);
    rig.VBar()->setValue(50);
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(200, 120));
    QTest::mouseMove(image, QPoint(230, 100));
    EXPECT_EQ(rig.HBar()->value(), 70);
    EXPECT_EQ(rig.VBar()->value(), 70);
    EXPECT_EQ(image->pos(), QPoint(-70, -70));
    QTest::mouseMove(image, QPoint(-400, 100));
    EXPECT_EQ(rig.HBar()->value(), rig.HBar()->maximum());
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(-400, 100));
    EXPECT_EQ(form.Drag().Dragging, 0);

    // Zoom off: back to 310 × 190 at (0, 0), no scroll bars, the arrow.
    rig.Click("CheckKakudai");
    QApplication::processEvents();
    EXPECT_EQ(rig.HBar()->value(), 0);
    EXPECT_EQ(rig.VBar()->value(), 0);
    EXPECT_EQ(image->geometry(), QRect(0, 0, 310, 190));
    EXPECT_FALSE(rig.HBar()->isVisible());
    EXPECT_FALSE(rig.VBar()->isVisible());
    EXPECT_EQ(image->cursor().shape(), Qt::ArrowCursor);
}

TEST(GlaphForm, ExportWritesTheDrawnPictureAsABmp) {
    GraphRig rig;
    rig.clock.local = QDateTime(QDate(2024, 12, 7), QTime(14, 30, 5));
    TGlaphForm& form = rig.Open();
    rig.Click("CheckKakudai");  // the export does not depend on the zoom
    // The folder holds what an export killed midway left, and a user's file of a like name.
    const fs::path out = rig.dir.path() / "export" / "graph.bmp";
    fs::create_directories(out.parent_path());
    WriteBytes(out.parent_path() / "old.bmp.kotopa~tmp5-1", "cut short");
    WriteBytes(out.parent_path() / "notes.txt.tmp2024-1", "mine");
    rig.dialogs.saveAnswers.push_back(out);
    QTest::mouseClick(rig.Get<QPushButton>("bt_ToBmp"), Qt::LeftButton);
    EXPECT_FALSE(fs::exists(out.parent_path() / "old.bmp.kotopa~tmp5-1"));
    EXPECT_EQ(ReadBytes(out.parent_path() / "notes.txt.tmp2024-1"), "mine");

    const auto& asked = rig.dialogs.asked.back();
    EXPECT_EQ(asked.kind, Kind::SaveFile);
    EXPECT_EQ(fs::path(asked.text).filename(), "12071430.bmp");
    EXPECT_EQ(asked.title.toStdString(), "グラフの保存");
    EXPECT_EQ(asked.filter.toStdString(), "ビットマップ (*.bmp)");
    EXPECT_TRUE(rig.dialogs.Messages().empty());

    // The format is EncodeBmp24's; here: this picture, whatever the zoom.
    const std::string bytes = ReadBytes(out);
    ASSERT_EQ(bytes.size(), 54u + 932u * 190u) << "rows of 930 bytes padded to 932";
    // Read back by Qt's own reader, it is the drawn picture, pixel for pixel.
    QImage back;
    ASSERT_TRUE(back.load(kotopa::PathToQString(out), "BMP"));
    EXPECT_TRUE(back.convertToFormat(QImage::Format_RGB888) == form.GraphBitmap());

    // Cancelled: nothing written. A folder that does not exist: a message naming the file,
    // and no file.
    fs::remove(out);
    QTest::mouseClick(rig.Get<QPushButton>("bt_ToBmp"), Qt::LeftButton);
    EXPECT_FALSE(fs::exists(out));
    const fs::path nowhere = rig.dir.path() / "missing" / "graph.bmp";
    rig.dialogs.saveAnswers.push_back(nowhere);
    QTest::mouseClick(rig.Get<QPushButton>("bt_ToBmp"), Qt::LeftButton);
    ASSERT_EQ(rig.dialogs.Messages().size(), 1u);
    EXPECT_EQ(rig.dialogs.Messages()[0].kind, Kind::Warning);
    EXPECT_EQ(rig.dialogs.Messages()[0].text,
              kotopa::CannotWriteMessage(kotopa::PathToSjis(nowhere)));
    EXPECT_FALSE(fs::exists(nowhere.parent_path()));
}

TEST(GlaphForm, MissingOrUnreadableBackgroundOpensWithoutAGraph) {
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> setUp;
        const char* message;
        fs::path shownPath;  // under the program folder
    };
    const Case cases[] = {
        {"no system folder", [](const fs::path& base) { fs::remove_all(base / "system"); },
         "グラフ背景ファイルが見つかりません。", fs::path("system") / "Glaph.bmp"},
        {"not a BMP",
         [](const fs::path& base) { WriteBytes(base / "system" / "Glaph.bmp", "BM\x10garbage"); },
         "グラフ背景ファイルを読み込めません。", fs::path("system") / "Glaph.bmp"},
        {"larger than memory",
         [](const fs::path& base) {
             WriteBytes(base / "system" / "Glaph.bmp", "BM");
             fs::resize_file(base / "system" / "Glaph.bmp", std::uintmax_t(64) << 30);
         },
         "グラフ背景ファイルが大きすぎます。", fs::path("system") / "Glaph.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GraphRig rig;
        c.setUp(rig.base);
        TGlaphForm& form = rig.Open();
        ASSERT_EQ(rig.dialogs.Messages().size(), 1u);
        EXPECT_EQ(rig.dialogs.Messages()[0].kind, Kind::Warning);  // after the error sound
        EXPECT_EQ(U8(rig.dialogs.Messages()[0].text),
                  (rig.base / c.shownPath).string() + "\n\r" + c.message);
        for (const char* off : {"GroupTotal", "chTotalMozi", "GroupFile", "chFile", "bt_ToBmp"}) {
            EXPECT_FALSE(rig.Get<QWidget>(off)->isEnabled()) << off;
        }
        for (const char* on : {"CheckFileName", "CheckKakudai", "SpeedButton", "bt_Close"}) {
            EXPECT_TRUE(rig.Get<QWidget>(on)->isEnabled()) << on;
        }
        EXPECT_TRUE(form.GraphBitmap().isNull());
        // A disabled report does not switch its boxes on a double-click either.
        const bool ticked = rig.Get<QCheckBox>("chTotal")->isChecked();
        QTest::mouseDClick(rig.Get<QGroupBox>("GroupTotal"), Qt::LeftButton, {}, QPoint(90, 84));
        EXPECT_EQ(rig.Get<QCheckBox>("chTotal")->isChecked(), ticked);
        rig.Click("CheckFileName");
        rig.Click("CheckKakudai");
        EXPECT_TRUE(form.GraphBitmap().isNull());
        QTest::mouseClick(rig.Get<QPushButton>("bt_Close"), Qt::LeftButton);
        EXPECT_FALSE(form.isVisible());
    }
}

TEST(GlaphForm, BackgroundFoundWhateverTheCaseAndSmallerOnesOnBlack) {
    GraphRig rig("SYSTEM", "glaph.BMP");
    WriteBytes(rig.base / "SYSTEM" / "glaph.BMP", BackgroundBmp(100, 50));
    rig.Open();
    EXPECT_TRUE(rig.dialogs.Messages().empty());
    EXPECT_BACKGROUND(rig, 99, 49);
    EXPECT_PIXEL(rig, 100, 49, qRgb(0, 0, 0));
    EXPECT_PIXEL(rig, 200, 100, qRgb(0, 0, 0));
    EXPECT_PIXEL(rig, 10, 120, kRed);
}

TEST(GlaphForm, MainWindowOpensAFreshModalGraphOutsidePlays) {
    Rig rig;
    fs::create_directories(rig.base / "system");
    fs::create_directories(rig.base / "save");
    WriteBytes(rig.base / "system" / "Glaph.bmp", BackgroundBmp());
    WriteBytes(rig.base / "save" / "record.lst", "50 100 3\r\n");
    kotopa::TMainForm& form = rig.StartShown();
    auto* button = rig.Get<QToolButton>("bt_Glaph");
    EXPECT_TRUE(button->isEnabled());

    // Each click builds a window of its own, modal, from the lists as they are.
    std::vector<kotopa::GraphSeries> seen;
    auto openAndClose = [&] {
        QTimer::singleShot(0, &form, [&] {
            auto* graph = qobject_cast<TGlaphForm*>(QApplication::activeModalWidget());
            if (!graph) return;
            seen.push_back(graph->Series());
            graph->bt_CloseClick();
        });
        QTest::mouseClick(button, Qt::LeftButton);
    };
    openAndClose();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].TotalSeries[0].Chars, 100);
    EXPECT_EQ(seen[0].TotalSeries[1].Chars, -1);
    EXPECT_EQ(seen[0].FileSeries[0].Chars, -1);
    EXPECT_TRUE(form.findChildren<TGlaphForm*>().empty()) << "the window is gone when it closes";

    // A play of the six lines, two seconds a line; the graph button is off while it runs.
    QWidget* box = rig.Get<QWidget>("ed_Nyuuryoku");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(button->isEnabled());
    for (int i = 0; i < 30; ++i) {
        rig.clock.Advance(101);
        form.TimerTimer();
    }
    for (const char* line : {"ai", "ue", "ie", "aoi", "oi", "iu"}) {
        rig.clock.Advance(2000);
        QTest::keyClicks(box, QString::fromLatin1(line));
        if (std::string(line) == "iu") {  // the last Enter opens the result dialog
            QTimer::singleShot(0, &form, [] {
                if (auto* d = qobject_cast<kotopa::TDataForm*>(QApplication::activeModalWidget())) {
                    d->bt_CanselClick();
                }
            });
        }
        QTest::keyClick(box, Qt::Key_Return);
    }
    EXPECT_TRUE(button->isEnabled());
    ASSERT_EQ(form.TotalRecords().size(), 2u);

    openAndClose();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].TotalSeries[0].Chars, 100);
    EXPECT_GT(seen[1].TotalSeries[1].Chars, 0) << "the play just recorded";
    EXPECT_EQ(seen[1].FileSeries[0], seen[1].TotalSeries[1]);
}
