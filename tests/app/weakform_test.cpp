// The weakness window: what it shows from a key record, what it says of what it could not
// read, and the result dialog's button that opens it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app_test_support.h"
#include "basedir.h"
#include "dataform.h"
#include "fake_services.h"
#include "glaphform.h"
#include "keyrecordfile.h"
#include "mainform.h"
#include "practice.h"
#include "test_util.h"
#include "weakform.h"

using kotopa::TWeakForm;
using testutil::Sj;
namespace fs = std::filesystem;

namespace {

std::string Texts(const QListWidget* list) {
    std::string s;
    for (int i = 0; i < list->count(); ++i) s += list->item(i)->text().toStdString() + "|";
    return s;
}

// A play of twelve か, each first mistyped with q, and twelve し in two spellings.
std::string KeyRecordFileOfOnePlay() {
    kotopa::KeyRecord r;
    uint32_t ms = 0;
    for (int i = 0; i < 12; ++i) {
        r.Mistype(ms += 100, 'q', Sj("か"), "k");
        r.Keystroke(ms += 100, 'k');
        r.Unit(ms += 100, 'a', Sj("か"));
        r.Keystroke(ms += 100, 's');
        if (i % 2) r.Keystroke(ms += 100, 'h');
        r.Unit(ms += 100, 'i', Sj("し"));
    }
    return kotopa::KeyRecordFileWith("", kotopa::KeyRecordBlock("20240101000000", ms, "Act01", r));
}

}  // namespace

TEST(WeakForm, ShowsTheWeakKanaConfusionsAndSpellingsAndWhatItCouldNotRead) {
    apptest::FakeServices fakes;
    testutil::TempDir dir;
    const fs::path file = dir.path() / "keyrecord.txt";
    testutil::WriteBytes(file, KeyRecordFileOfOnePlay() + "play 20240101000001 5 9 Act01\r\n");
    TWeakForm form(file, "Act01", fakes.services());
    form.show();
    EXPECT_EQ(form.windowTitle().toStdString(), "苦手分析");
    EXPECT_EQ(form.File().unreadable, 1);
    EXPECT_EQ(form.findChild<QLabel*>("lb_Status")->text().toStdString(),
              "読めなかったプレイ: 1 回(残りのプレイを表示しています)");
    EXPECT_EQ(Texts(form.findChild<QListWidget*>("lst_Kana")),
              "か  ミス 100.0 %  300 ms  12 回|し  ミス 0.0 %  300 ms  12 回|");
    EXPECT_EQ(Texts(form.findChild<QListWidget*>("lst_Confusions")), "k → q  12 回|");
    EXPECT_EQ(Texts(form.findChild<QListWidget*>("lst_Spellings")), "し  shi 50 % si 50 %|");
    // The practice button works once the opener says where the Acts and the key table are.
    EXPECT_FALSE(form.findChild<QPushButton*>("bt_Practice")->isEnabled());
    kotopa::KeyTable keys;
    form.SetPractice({&keys, dir.path(), {}});
    EXPECT_TRUE(form.findChild<QPushButton*>("bt_Practice")->isEnabled());
    EXPECT_FALSE(form.findChild<QLabel*>("Keyboard")->pixmap().isNull());

    // The current Act only: another Act's name leaves nothing to show.
    TWeakForm other(file, "Act02", fakes.services());
    other.SetPractice({&keys, dir.path(), {}});
    other.findChild<QRadioButton*>("rd_Act")->click();
    EXPECT_EQ(other.Analysis().plays, 0);
    EXPECT_EQ(Texts(other.findChild<QListWidget*>("lst_Kana")), "");
    EXPECT_FALSE(other.findChild<QPushButton*>("bt_Practice")->isEnabled());
    other.findChild<QRadioButton*>("rd_All")->click();
    EXPECT_EQ(other.Analysis().plays, 1);
}

TEST(WeakForm, AFolderFromBeforeTheKeyRecordOpensWithNothingToShow) {
    apptest::FakeServices fakes;
    testutil::TempDir dir;
    TWeakForm form(dir.path() / "keyrecord.txt", "Act01", fakes.services());
    form.show();
    EXPECT_EQ(form.findChild<QLabel*>("lb_Status")->text().toStdString(),
              "まだキーの記録がありません。プレイを記録すると、苦手なかなが出ます。");
    EXPECT_EQ(form.findChild<QListWidget*>("lst_Kana")->count(), 0);
    EXPECT_FALSE(form.findChild<QPushButton*>("bt_Practice")->isEnabled());
}

TEST(WeakForm, TheResultDialogsButtonOpensIt) {
    apptest::FakeServices fakes;
    kotopa::TDataForm dialog(kotopa::ResultView{}, "/k/save/playlog.log", fakes.services());
    auto* button = dialog.findChild<QToolButton*>("bt_Weak");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), QRect(266, 112, 23, 22));
    EXPECT_FALSE(button->isEnabled());
    int opened = 0;
    dialog.SetWeaknessWindow([&] { ++opened; });
    button->click();
    EXPECT_EQ(opened, 1);
}

namespace {

// The delivered Acts and key table, and a key record that makes か the weakest kana.
struct PracticeRig : apptest::FakeServices {
    testutil::TempDir dir;
    fs::path ktp = dir.path() / "ktp";
    fs::path record = dir.path() / "keyrecord.txt";
    fs::path practice = ktp / kotopa::PracticeActFileName();
    kotopa::KeyTable keys;

    explicit PracticeRig(bool acts = true) {
        fs::create_directories(ktp);
        if (acts) {
            for (const auto& e : fs::directory_iterator(fs::path(KOTOPA_STAGE_DIR) / "ktp"))
                fs::copy_file(e.path(), ktp / e.path().filename());
        }
        keys.LoadKeyFile(fs::path(KOTOPA_STAGE_DIR) / "key" / "mykey.key");
        testutil::WriteBytes(record, KeyRecordFileOfOnePlay());
    }
    std::unique_ptr<TWeakForm> Open() {
        auto form = std::make_unique<TWeakForm>(record, "Act01", services());
        form->SetPractice({&keys, ktp, {}});
        form->show();
        return form;
    }
};

}  // namespace

TEST(WeakForm, ThePracticeButtonWritesItsActAndAsksBeforeReplacingAnother) {
    PracticeRig rig;
    auto form = rig.Open();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_P);  // as the button does
    EXPECT_TRUE(rig.dialogs.Messages().empty());
    ASSERT_EQ(form->Practice(), rig.practice);
    EXPECT_FALSE(form->isVisible()) << "the window closes for the Act to be played";
    const std::string made = testutil::ReadBytes(rig.practice);
    EXPECT_TRUE(kotopa::IsPracticeAct(made));
    EXPECT_NE(made.find(Sj("か")), std::string::npos);

    // Its own Act is replaced without a question; another under the name only on Yes.
    form = rig.Open();
    form->findChild<QPushButton*>("bt_Practice")->click();
    EXPECT_TRUE(rig.dialogs.Messages().empty());
    EXPECT_EQ(testutil::ReadBytes(rig.practice), made) << "the same records, the same Act";
    const std::string mine = Sj("私の Act\r\n2\r\n3\r\n4\r\n5\r\n");
    testutil::WriteBytes(rig.practice, mine);
    form = rig.Open();
    form->findChild<QPushButton*>("bt_Practice")->click();
    ASSERT_EQ(rig.dialogs.Messages().size(), 1u);
    EXPECT_EQ(rig.dialogs.Messages()[0].kind, kotopa::platform::FakeDialogs::Kind::Confirm);
    EXPECT_EQ(rig.dialogs.Messages()[0].text,
              kotopa::PathToSjis(rig.practice) +
                  Sj("\n\r同じ名前の Act があります。練習 Act で置き換えますか?"));
    EXPECT_EQ(testutil::ReadBytes(rig.practice), mine);
    EXPECT_FALSE(form->Practice());
    EXPECT_TRUE(form->isVisible());
    rig.dialogs.confirmAnswers.push_back(true);
    form->findChild<QPushButton*>("bt_Practice")->click();
    EXPECT_EQ(testutil::ReadBytes(rig.practice), made);
    EXPECT_EQ(form->Practice(), rig.practice);
}

TEST(WeakForm, TooFewWordsForAPracticeActSaySoAndWriteNothing) {
    PracticeRig rig(false);
    auto form = rig.Open();
    form->findChild<QPushButton*>("bt_Practice")->click();
    ASSERT_EQ(rig.dialogs.Messages().size(), 1u);
    EXPECT_EQ(rig.dialogs.Messages()[0].kind, kotopa::platform::FakeDialogs::Kind::Warning);
    EXPECT_NE(testutil::U8(rig.dialogs.Messages()[0].text).find("足りません(0 語)"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(rig.practice));
    EXPECT_FALSE(form->Practice());
    EXPECT_TRUE(form->isVisible());
}

// The graph window's weakness button, then the practice button: the main window plays it.
TEST(WeakForm, ThePracticeActMadeFromTheGraphWindowBecomesTheCurrentAct) {
    apptest::Rig rig;
    rig.WriteAct("Act02.ktp", {{"藍", "あい"},
                               {"会う", "あう"},
                               {"井", "い"},
                               {"胃", "い"},
                               {"絵", "え"},
                               {"王", "おう"},
                               {"覆い", "おおい"},
                               {"魚", "うお"}});
    kotopa::KeyRecord r;
    uint32_t ms = 0;
    for (int i = 0; i < 12; ++i) {
        r.Mistype(ms += 100, 'q', Sj("い"), "i");
        r.Unit(ms += 100, 'i', Sj("い"));
        r.Unit(ms += 100, 'a', Sj("あ"));
    }
    fs::create_directories(rig.base / "save");
    fs::copy(fs::path(KOTOPA_STAGE_DIR) / "system", rig.base / "system");
    testutil::WriteBytes(
        kotopa::SaveFolder(rig.base).KeyRecord(),
        kotopa::KeyRecordFileWith("", kotopa::KeyRecordBlock("20240101000000", ms, "Act01", r)));
    kotopa::TMainForm& main = rig.StartShown();
    QTimer::singleShot(0, &main, [] {
        auto* graph = qobject_cast<kotopa::TGlaphForm*>(QApplication::activeModalWidget());
        if (!graph) return;
        QTimer::singleShot(0, graph, [] {
            if (auto* weak = qobject_cast<TWeakForm*>(QApplication::activeModalWidget()))
                weak->findChild<QPushButton*>("bt_Practice")->click();
        });
        graph->bt_WeakClick();
    });
    rig.Get<QToolButton>("bt_Glaph")->click();
    for (const auto& m : rig.dialogs.Messages()) ADD_FAILURE() << testutil::U8(m.text);
    EXPECT_EQ(main.windowTitle().toStdString(), "KotoPA  [ 苦手練習 ]");
    EXPECT_TRUE(rig.Get<QPushButton>("bt_start")->isEnabled());
    EXPECT_TRUE(main.findChildren<kotopa::TGlaphForm*>().empty());
    const std::string made = testutil::ReadBytes(rig.base / "ktp" / kotopa::PracticeActFileName());
    kotopa::ActScript act;
    ASSERT_EQ(act.Parse(made), kotopa::ActRefusal::None);
    ASSERT_EQ(act.PairCount(), 24u);
    EXPECT_TRUE(kotopa::HoldsKana(act.Yomi(0), Sj("い"))) << "the weakest kana first";
}
