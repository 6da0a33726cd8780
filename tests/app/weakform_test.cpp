// The weakness window: what it shows from a key record, what it says of what it could not
// read, and the result dialog's button that opens it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "dataform.h"
#include "fake_services.h"
#include "keyrecordfile.h"
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
    EXPECT_TRUE(form.findChild<QPushButton*>("bt_Practice")->isEnabled());
    EXPECT_FALSE(form.findChild<QLabel*>("Keyboard")->pixmap().isNull());

    // The current Act only: another Act's name leaves nothing to show.
    TWeakForm other(file, "Act02", fakes.services());
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
