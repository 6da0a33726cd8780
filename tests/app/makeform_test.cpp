// "Act を作る" on MeCab: a pasted text becomes a table of lines, an edited reading is checked
// on its own line and kept, and "保存して練習" writes ktp/<title>.ktp and makes it the Act.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "app_test_support.h"
#include "makeform.h"
#include "sjistext.h"

using namespace apptest;
using Kind = kotopa::platform::FakeDialogs::Kind;

namespace {

const char* const kFive =
    "猫が来た。犬も来た。\n"
    "私は本を読む。\n"
    "今日は雨が降っている。\n"
    "明日は晴れるだろう。\n";

// The delivered key table, which types every kana.
void UseDeliveredKeys(const Rig& rig) {
    fs::copy_file(fs::path(KOTOPA_STAGE_DIR) / "key" / "mykey.key", rig.base / "key" / "mykey.key",
                  fs::copy_options::overwrite_existing);
}

bool WaitMade(kotopa::TMakeForm& form) {
    return QTest::qWaitFor([&] { return !form.Making() && form.SaveButton()->isEnabled(); }, 20000);
}

// The text of the last warning shown, or nothing.
std::optional<std::string> LastWarning(const Rig& rig) {
    for (auto it = rig.dialogs.asked.rbegin(); it != rig.dialogs.asked.rend(); ++it) {
        if (it->kind == Kind::Warning) return it->text;
    }
    return std::nullopt;
}

QString Cell(kotopa::TMakeForm& form, int row, int column) {
    return form.Model().index(row, column).data().toString();
}

}  // namespace

TEST(MakeForm, APastedTextGivesItsLinesAndAnEditedReadingIsCheckedAndKept) {
    Rig rig;
    UseDeliveredKeys(rig);
    kotopa::TMainForm& main = rig.Start();
    kotopa::TMakeForm form(kFive, "猫", main.Keys(), rig.base / "ktp", rig.services(), &main);
    form.show();
    ASSERT_TRUE(WaitMade(form)) << form.Status()->text().toStdString();
    ASSERT_EQ(form.Model().rowCount(), 5);
    EXPECT_EQ(Cell(form, 0, 1).toStdString(), "猫が 来た。");
    EXPECT_EQ(Cell(form, 0, 2).toStdString(), "ねこが きた。");
    EXPECT_EQ(Cell(form, 1, 0).toInt(), 1);  // the second sentence of line 1
    EXPECT_EQ(Cell(form, 2, 2).toStdString(), "わたしは ほんを よむ。");
    EXPECT_EQ(form.TitleEdit()->text().toStdString(), "猫");
    EXPECT_EQ(form.TitleEdit()->font().families(), main.font().families()) << "the window's face";

    // A reading out of step with its written form is marked at once, on its line alone.
    auto& model = form.Model();
    ASSERT_TRUE(model.setData(model.index(2, 2), QString("わたしは ほんをよむ。"), Qt::EditRole));
    EXPECT_EQ(model.Checks(), 1);
    EXPECT_EQ(Cell(form, 2, 3).toStdString(), "語の数が合いません: 漢字は 3 語、読みは 2 語です");
    EXPECT_EQ(model.RowsWithProblems(), std::vector<int>{2});
    EXPECT_TRUE(Cell(form, 3, 3).isEmpty());
    // Saving is refused while a line is marked, and nothing is written.
    form.bt_SaveClick();
    EXPECT_TRUE(LastWarning(rig));
    EXPECT_FALSE(fs::exists(rig.base / "ktp" / "猫.ktp"));
    // Mended, the reading is kept as typed.
    model.setData(model.index(2, 2), QString("わたくしは ほんを よむ。"), Qt::EditRole);
    EXPECT_TRUE(model.RowsWithProblems().empty());
    EXPECT_EQ(Cell(form, 2, 2).toStdString(), "わたくしは ほんを よむ。");
    // A title that is no file name is refused.
    form.TitleEdit()->setText("a/b");
    rig.dialogs.Clear();
    form.bt_SaveClick();
    EXPECT_TRUE(LastWarning(rig));
    EXPECT_FALSE(form.Saved());

    form.TitleEdit()->setText("猫");
    form.bt_SaveClick();
    ASSERT_TRUE(form.Saved());
    EXPECT_EQ(*form.Saved(), rig.base / "ktp" / "猫.ktp");
    const std::string act = ReadBytes(rig.base / "ktp" / "猫.ktp");
    EXPECT_NE(act.find(Sj("わたくしは ほんを よむ。")), std::string::npos);
    EXPECT_EQ(act.substr(0, 4), Sj("猫\r\n"));
}

// What making finds is said in Japanese, in the list with its place and on its line's row;
// a reading edited into one the key table cannot type is marked at once.
TEST(MakeForm, TheFindingsAreSaidInJapaneseOnTheirLines) {
    Rig rig;
    UseDeliveredKeys(rig);
    kotopa::TMainForm& main = rig.Start();
    const std::string text = std::string(kFive) +
                             "羃犇が来た。\n"   // a word MeCab has no reading for: left out
                             "花😀が咲いた。\n"  // a character Shift_JIS lacks: dropped
                             "※注意して。\n";   // a sign the key table does not type
    kotopa::TMakeForm form(text, "猫", main.Keys(), rig.base / "ktp", rig.services(), &main);
    form.show();
    ASSERT_TRUE(WaitMade(form)) << form.Status()->text().toStdString();
    ASSERT_EQ(form.Findings()->count(), 3);
    EXPECT_EQ(form.Findings()->item(0)->text().toStdString(),
              "行 5:1  「羃犇」の読みがわかりません。文中に 羃犇[よみ] と読みを書いてください。"
              "この文は入れません");
    EXPECT_EQ(form.Findings()->item(1)->text().toStdString(),
              "行 6:2  「😀」(U+1F600) は Shift_JIS にない文字なので除きます");
    EXPECT_EQ(form.Findings()->item(2)->text().toStdString(),
              "行 7:1  「※」(U+203B) はこのキー定義では打てない記号なので、漢字の欄にだけ出します");
    ASSERT_EQ(form.Model().rowCount(), 7);
    EXPECT_EQ(Cell(form, 5, 2).toStdString(), "はなが さいた。");
    EXPECT_EQ(Cell(form, 5, 3).toStdString(),
              "「😀」(U+1F600) は Shift_JIS にない文字なので除きます");
    EXPECT_EQ(Cell(form, 6, 3).toStdString(),
              "「※」(U+203B) はこのキー定義では打てない記号なので、漢字の欄にだけ出します");
    EXPECT_TRUE(form.Model().RowsWithProblems().empty()) << "notes do not stop saving";

    auto& model = form.Model();
    model.setData(model.index(0, 2), QString("ねこが きた※"), Qt::EditRole);
    EXPECT_EQ(Cell(form, 0, 3).toStdString(), "このキー定義では「※」を打てません");
    EXPECT_EQ(model.RowsWithProblems(), std::vector<int>{0});
    model.setData(model.index(0, 2), QString(""), Qt::EditRole);
    EXPECT_EQ(Cell(form, 0, 3).toStdString(), "読みが空です");
}

// A file's name Shift_JIS cannot hold is a title to change, not a reason to make nothing;
// a text of too few lines is shown, said why in Japanese, and cannot be saved.
TEST(MakeForm, ATitleToChangeMakesTheLinesAndTooFewLinesAreSaidWhy) {
    Rig rig;
    UseDeliveredKeys(rig);
    kotopa::TMainForm& main = rig.Start();
    {
        kotopa::TMakeForm form(kFive, "😀猫", main.Keys(), rig.base / "ktp", rig.services(), &main);
        form.show();
        ASSERT_TRUE(WaitMade(form)) << form.Status()->text().toStdString();
        EXPECT_EQ(form.Model().rowCount(), 5);
        form.bt_SaveClick();
        EXPECT_TRUE(LastWarning(rig));
        EXPECT_FALSE(form.Saved());
        form.TitleEdit()->setText("猫");
        form.bt_SaveClick();
        EXPECT_TRUE(form.Saved());
    }
    kotopa::TMakeForm form("猫が来た。犬も来た。", "短い", main.Keys(), rig.base / "ktp",
                           rig.services(), &main);
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Making(); }, 20000));
    EXPECT_EQ(form.Model().rowCount(), 2);
    EXPECT_EQ(form.Status()->text().toStdString(),
              "打つ行が 2 行しかありません。Act には 5 行以上が要ります");
    EXPECT_FALSE(form.SaveButton()->isEnabled());
}

TEST(MakeForm, ReplacingAnActIsAskedFirst) {
    Rig rig;
    UseDeliveredKeys(rig);
    kotopa::TMainForm& main = rig.Start();
    kotopa::TMakeForm form(kFive, "Act01", main.Keys(), rig.base / "ktp", rig.services(), &main);
    form.show();
    ASSERT_TRUE(WaitMade(form));
    const std::string before = ReadBytes(rig.base / "ktp" / "Act01.ktp");
    rig.dialogs.confirmAnswers.push_back(false);
    form.bt_SaveClick();
    ASSERT_FALSE(rig.dialogs.asked.empty());
    EXPECT_EQ(rig.dialogs.asked.back().kind, Kind::Confirm);
    EXPECT_FALSE(form.Saved());
    EXPECT_EQ(ReadBytes(rig.base / "ktp" / "Act01.ktp"), before);
    rig.dialogs.confirmAnswers.push_back(true);
    form.bt_SaveClick();
    EXPECT_TRUE(form.Saved());
    EXPECT_NE(ReadBytes(rig.base / "ktp" / "Act01.ktp"), before);
}

TEST(MakeForm, TheClipboardAndATextFileReachTheWindowAndTheSavedActIsLoaded) {
    Rig rig;
    UseDeliveredKeys(rig);
    rig.StartShown();
    // Answers the modal window once it has made its lines.
    auto answer = [](const char* title) {
        QTimer::singleShot(0, [title] {
            auto* form = qobject_cast<kotopa::TMakeForm*>(QApplication::activeModalWidget());
            if (!form) {
                ADD_FAILURE() << "no Act を作る window";
                return;
            }
            if (!WaitMade(*form)) ADD_FAILURE() << "nothing made";
            form->TitleEdit()->setText(QString::fromUtf8(title));
            form->bt_SaveClick();
        });
    };
    QGuiApplication::clipboard()->setText(QString::fromUtf8(kFive));
    answer("貼り付け");
    rig.form->MakeFromClipboard();
    EXPECT_EQ(rig.form->ActPath(), rig.base / "ktp" / "貼り付け.ktp");
    EXPECT_EQ(rig.form->windowTitle().toStdString(), "KotoPA  [ 貼り付け ]");
    EXPECT_TRUE(rig.Get<QWidget>("bt_start")->isEnabled());

    // A text file in Shift_JIS through the file button's dialog.
    const fs::path text = rig.dir.path() / "short.txt";
    WriteBytes(text, Sj(kFive));
    rig.dialogs.openAnswers.push_back(text);
    answer("short");
    rig.form->bt_FileOpenClick();
    EXPECT_EQ(rig.form->ActPath(), rig.base / "ktp" / "short.ktp");

    // Bytes that are no text are refused with a message naming the file; the Act stays.
    const fs::path junk = rig.dir.path() / "junk.txt";
    WriteBytes(junk, "ab\x81\xFF");
    rig.dialogs.openAnswers.push_back(junk);
    rig.dialogs.Clear();
    rig.form->bt_FileOpenClick();
    ASSERT_TRUE(LastWarning(rig));
    EXPECT_NE(LastWarning(rig)->find("junk.txt"), std::string::npos);
    EXPECT_EQ(rig.form->ActPath(), rig.base / "ktp" / "short.ktp");
}
