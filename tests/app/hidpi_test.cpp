// The windows at twice the scale (QT_SCALE_FACTOR=2, set by tests/app/CMakeLists.txt), as on
// a high-density screen: each is drawn at twice its size in pixels, every control lies
// inside its parent, and every caption fits its control. Screenshots of each window go to
// the test artifacts.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "app_test_support.h"
#include "dataform.h"
#include "glaphform.h"
#include "playlogviewer.h"

using namespace apptest;

namespace {

QString Caption(QString text) {
    text.remove(QRegularExpression(QStringLiteral("&(?=[^&])")));  // mnemonics
    return text;
}

bool InsideAScrollArea(const QWidget* w, const QWidget* window) {
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
        if (qobject_cast<const QAbstractScrollArea*>(p)) return true;
    }
    return false;
}

// Width a button's caption and icon need inside its frame.
int ButtonNeeds(const QAbstractButton* b) {
    const QFontMetrics fm(b->font());
    int w = fm.horizontalAdvance(Caption(b->text()));
    if (!b->icon().isNull()) w += b->iconSize().width() + (b->text().isEmpty() ? 0 : 4);
    return w;
}

// What is cut off in window: controls outside their parents, captions wider or taller than
// their controls. Empty when everything is whole.
std::vector<std::string> CutOff(QWidget* window) {
    std::vector<std::string> cut;
    const auto report = [&](const QWidget* w, const QString& what) {
        cut.push_back((w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                 : w->objectName())
                          .toStdString() +
                      ": " + what.toStdString());
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->isWindow() || !w->isVisibleTo(window) || InsideAScrollArea(w, window)) continue;
        const QRect inParent = w->geometry();
        // The about box of the main window reaches past the window's corner in its layout,
        // at every scale; its text stays in view.
        const bool pastTheCorner = w->objectName() == QStringLiteral("me_About");
        if (!pastTheCorner && !w->parentWidget()->rect().contains(inParent)) {
            report(w, QStringLiteral("outside its parent"));
        }
        const QFontMetrics fm(w->font());
        auto* label = qobject_cast<QLabel*>(w);
        if (label && !label->text().isEmpty() && !label->wordWrap()) {
            const QRect need = fm.boundingRect(QRect(), Qt::TextShowMnemonic, label->text());
            const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                              -label->margin(), -label->margin());
            if (need.width() > room.width() || fm.height() > room.height()) {
                report(w, QStringLiteral("text %1x%2 in %3x%4")
                              .arg(need.width())
                              .arg(fm.height())
                              .arg(room.width())
                              .arg(room.height()));
            }
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            // The indicator, the gap and the caption, as the style draws them.
            const bool radio = qobject_cast<QRadioButton*>(w) != nullptr;
            const QStyle* st = w->style();
            const int need =
                st->pixelMetric(
                    radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth, nullptr,
                    w) +
                st->pixelMetric(
                    radio ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing,
                    nullptr, w) +
                fm.horizontalAdvance(Caption(static_cast<QAbstractButton*>(w)->text()));
            if (need > w->width() || fm.height() > w->height()) {
                report(w, QStringLiteral("needs %1x%2 in %3x%4")
                              .arg(need)
                              .arg(fm.height())
                              .arg(w->width())
                              .arg(w->height()));
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            const int frame = 2 * w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
            if (ButtonNeeds(button) + frame > w->width() ||
                std::max(fm.height(), button->iconSize().height()) + frame > w->height()) {
                report(w, QStringLiteral("caption needs %1 + %2 in %3x%4")
                              .arg(ButtonNeeds(button))
                              .arg(frame)
                              .arg(w->width())
                              .arg(w->height()));
            }
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            if (fm.horizontalAdvance(Caption(group->title())) + 16 > w->width()) {
                report(w, QStringLiteral("title wider than the box"));
            }
        } else if (auto* tree = qobject_cast<QTreeView*>(w)) {
            const QHeaderView* header = tree->header();
            const QFontMetrics hfm(header->font());
            for (int i = 0; i < header->count(); ++i) {
                const QString title = tree->model()->headerData(i, Qt::Horizontal).toString();
                if (hfm.horizontalAdvance(title) + 8 > header->sectionSize(i)) {
                    report(w, QStringLiteral("column \"%1\" wider than its %2 pixels")
                                  .arg(title)
                                  .arg(header->sectionSize(i)));
                }
            }
        }
    }
    return cut;
}

// A picture of the window as the screen shows it, twice its size in pixels.
void ExpectDrawnAtTwiceItsSize(QWidget& window, const char* name) {
    const QPixmap shot = window.grab();
    EXPECT_EQ(shot.devicePixelRatio(), 2.0);
    EXPECT_EQ(shot.size(), window.size() * 2) << name;
    const QString dir = QStringLiteral(KOTOPA_TEST_ARTIFACTS);
    QDir().mkpath(dir);
    EXPECT_TRUE(shot.save(dir + QStringLiteral("/scale2-%1.png").arg(QString::fromLatin1(name))));
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& l : lines) all += "\n  " + l;
    return all;
}

}  // namespace

TEST(HighDensity, TheCheckFindsCaptionsTooWideAndControlsOutside) {
    QWidget window;
    window.setFixedSize(200, 100);
    auto* button = new QPushButton(QStringLiteral("もう一度プレイ(&R)"), &window);
    button->setObjectName(QStringLiteral("button"));
    button->setGeometry(0, 0, 40, 25);
    auto* label = new QLabel(QStringLiteral("最高打鍵数"), &window);
    label->setObjectName(QStringLiteral("label"));
    label->setGeometry(0, 30, 20, 17);
    auto* box = new QCheckBox(QStringLiteral("記録しない"), &window);
    box->setObjectName(QStringLiteral("box"));
    box->setGeometry(0, 50, 30, 17);
    auto* outside = new QLabel(QStringLiteral("x"), &window);
    outside->setObjectName(QStringLiteral("outside"));
    outside->setGeometry(190, 90, 40, 17);
    auto* fits = new QCheckBox(QStringLiteral("文字"), &window);
    fits->setGeometry(100, 0, 90, 17);
    window.show();
    const auto cut = CutOff(&window);
    ASSERT_EQ(cut.size(), 4u) << Lines(cut);
    EXPECT_EQ(cut[0].substr(0, 7), "button:");
    EXPECT_EQ(cut[1].substr(0, 6), "label:");
    EXPECT_EQ(cut[2].substr(0, 4), "box:");
    EXPECT_EQ(cut[3], "outside: outside its parent");
}

TEST(HighDensity, MainWindowWithBothPanelsOpenIsWhole) {
    ASSERT_EQ(qgetenv("QT_SCALE_FACTOR"), "2");
    Rig rig;
    kotopa::TMainForm& form = rig.StartShown();
    EXPECT_EQ(form.devicePixelRatio(), 2.0);
    ExpectDrawnAtTwiceItsSize(form, "main");

    rig.Slide("bt_Opt");
    rig.Slide("bt_ViewOpen");
    ASSERT_EQ(form.size(), QSize(600, 410)) << "both panels open";
    ExpectDrawnAtTwiceItsSize(form, "main-panels");
    const auto cut = CutOff(&form);
    EXPECT_TRUE(cut.empty()) << Lines(cut);
}

TEST(HighDensity, TheReadingWithTheRomajiGuideIsWhole) {
    Rig rig;
    rig.WriteSettings("[PLAY]\r\nGUIDE=1\r\n");
    kotopa::TMainForm& form = rig.StartShown();
    rig.Slide("bt_Opt");
    form.bt_startClick();
    for (int i = 0; i < 30; ++i) {
        rig.clock.Advance(101);
        form.TimerTimer();
    }
    QWidget* box = rig.Get<QWidget>("ed_Nyuuryoku");
    QTest::keyClicks(box, QStringLiteral("ai"));  // あい, Enter, then う begun
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, 'w');
    auto* yomi = rig.Get<kotopa::ReadingBox>("ed_Yomi");
    ASSERT_TRUE(yomi->GuideOn());
    EXPECT_EQ(yomi->GuideTyped().toStdString(), "w");
    EXPECT_EQ(form.size(), QSize(600, 275)) << "the window keeps its size";
    // Both lines, one above the other, inside the box's frame.
    QStyleOptionFrame panel;
    panel.initFrom(yomi);
    panel.lineWidth = yomi->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, yomi);
    const QRect room = yomi->style()->subElementRect(QStyle::SE_LineEditContents, &panel, yomi);
    const int need =
        QFontMetrics(yomi->ReadingFont()).height() + QFontMetrics(yomi->GuideFont()).height();
    EXPECT_LE(need, room.height());
    EXPECT_EQ(QFontInfo(yomi->GuideFont()).family().toStdString(), "IPAGothic");
    ExpectDrawnAtTwiceItsSize(form, "main-guide");
}

TEST(HighDensity, ResultDialogGraphAndPlayLogAreWhole) {
    Rig rig;
    kotopa::ResultView result;
    result.memo = {Sj("■Act         Act01"), Sj("■経過時間    01:05")};
    result.lb_mes = Sj("次のAct [ Act02 ] に進めます。");
    result.bt_TugiEnabled = true;
    kotopa::TDataForm data(result, rig.base / "save" / "playlog.log", rig.services());
    data.show();
    ExpectDrawnAtTwiceItsSize(data, "result");
    auto cut = CutOff(&data);
    EXPECT_TRUE(cut.empty()) << Lines(cut);

    kotopa::TGlaphForm graph(rig.base, rig.base / "ktp" / "Act01.ktp", {"60 120 5"}, {"60 120 5"},
                             rig.services());
    graph.show();
    ExpectDrawnAtTwiceItsSize(graph, "graph");
    cut = CutOff(&graph);
    EXPECT_TRUE(cut.empty()) << Lines(cut);

    fs::create_directories(rig.base / "save");
    WriteBytes(rig.base / "save" / "playlog.log", Sj("■出題 標準\r\n"));
    kotopa::PlayLogViewer viewer(rig.base / "save" / "playlog.log");
    viewer.show();
    ExpectDrawnAtTwiceItsSize(viewer, "playlog");
    cut = CutOff(&viewer);
    EXPECT_TRUE(cut.empty()) << Lines(cut);
}
