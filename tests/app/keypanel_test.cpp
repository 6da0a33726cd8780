// The key panel of the main window on the offscreen platform: rows opened from the list
// view, the candidate edits, "設定" with its refusals and questions, loading and storing
// key files. The panel's rules themselves are tested in tests/core/keypanel_test.cpp.
#include "keypanel.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QGuiApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "app_test_support.h"
#include "sjistext.h"
#include "textfile.h"

using namespace apptest;
using Kind = kotopa::platform::FakeDialogs::Kind;

namespace {

// The vowels, the space sign row, し with seven candidates and ち with five.
std::string PanelKeyFile() {
    return Sj(
        "[MOZI]\r\nKAZU=8\r\n0=\"あ a\"\r\n1=\"い i yi\"\r\n2=\"う u wu whu\"\r\n3=\"え e\"\r\n"
        "4=\"お o\"\r\n5=\"○ ○\"\r\n6=\"し si shi ci c1 c2 c3 c4\"\r\n7=\"ち ti chi tyi cyi "
        "c5\"\r\n");
}

struct Panel {
    Rig rig;
    fs::path mykey = rig.base / "key" / "mykey.key";

    Panel() {
        WriteBytes(mykey, PanelKeyFile());
        rig.StartShown();
        rig.Slide("bt_ViewOpen");
    }
    QTreeView* View() { return rig.Get<QTreeView>("ListView"); }
    QLineEdit* Edit(const char* name) { return rig.Get<QLineEdit>(name); }
    QLineEdit* Kouho(int n) { return Edit(("ed_kouho" + std::to_string(n)).c_str()); }
    std::string Texts() {
        std::string s;
        for (int n = 1; n <= 5; ++n) s += (n > 1 ? "|" : "") + Kouho(n)->text().toStdString();
        return s;
    }
    void Select(int row) {
        View()->setCurrentIndex(View()->model()->index(row, 0));
        View()->scrollTo(View()->currentIndex());
    }
    // A press, a release, then the second press that the system reports as a double click.
    void DoubleClick(int row) {
        Select(row);
        const QPoint at = View()->visualRect(View()->currentIndex()).center();
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, at);
    }
    void Set(std::initializer_list<bool> answers) {
        rig.dialogs.confirmAnswers.assign(answers.begin(), answers.end());
        rig.Get<QPushButton>("Button1")->click();
    }
    void Load(const fs::path& file, std::initializer_list<bool> answers) {
        rig.dialogs.openAnswers.push_back(file);
        rig.dialogs.confirmAnswers.assign(answers.begin(), answers.end());
        rig.Get<QPushButton>("bt_KeyLoad")->click();
    }
    std::vector<std::string> Messages() {
        std::vector<std::string> out;
        for (const auto& m : rig.dialogs.Messages()) out.push_back(U8(m.text));
        return out;
    }
    std::string Cell(int row, int column) {
        return View()->model()->index(row, column).data().toString().toStdString();
    }
};

// key/ cannot be written to: a read-only folder, and since the superuser writes there
// anyway, no file may grow beyond a few bytes either, as on a full disk.
class UnwritableFolder {
public:
    explicit UnwritableFolder(fs::path folder) : folder_(std::move(folder)) {
        fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit small = old_;
        small.rlim_cur = 16;
        setrlimit(RLIMIT_FSIZE, &small);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    }
    ~UnwritableFolder() {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, oldHandler_);
        fs::permissions(folder_, fs::perms::owner_all);
    }

private:
    fs::path folder_;
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

}  // namespace

TEST(KeyPanel, ControlsStartWithTheirTextsAndAreLeftOutOfTheTabChain) {
    Panel p;
    EXPECT_EQ(p.Edit("ed_koumoku")->text().toStdString() + "|" +
                  p.Edit("ed_KoumokuNo")->text().toStdString() + "|" + p.Texts(),
              "項目||候補 1|候補 2|候補 3|候補 4|候補 5");
    QList<QWidget*> panel = p.rig.Get<QWidget>("GroupBox_Key")->findChildren<QWidget*>();
    panel.append(p.View());
    for (QWidget* w : panel)
        EXPECT_FALSE(w->focusPolicy() & Qt::TabFocus) << w->objectName().toStdString();
}

TEST(KeyPanel, RowsOpenByDoubleClickOrEnterAndTypedKeysGoThroughTheFilter) {
    Panel p;
    QSignalSpy activated(p.View(), &QAbstractItemView::activated);
    p.Select(1);
    QTest::keyClick(p.View(), Qt::Key_Return);
    EXPECT_EQ(
        p.Edit("ed_koumoku")->text().toStdString() + p.Edit("ed_KoumokuNo")->text().toStdString(),
        "い1");
    EXPECT_EQ(p.Texts(), "i|yi|||");
    EXPECT_TRUE(p.Kouho(3)->hasFocus());
    EXPECT_EQ(activated.count(), 0) << "Enter goes no further than the panel";

    p.View()->setFocus();
    p.DoubleClick(6);  // seven candidates, five shown: the focus stays
    EXPECT_EQ(p.Texts(), "si|shi|ci|c1|c2");
    EXPECT_TRUE(p.View()->hasFocus());

    // k typed into ed_kouho3 with ed_kouho1 and 2 emptied goes to ed_kouho1; rejected keys
    // and a sixth character change nothing; Delete edits.
    p.Kouho(1)->clear();
    p.Kouho(2)->clear();
    QTest::keyClick(p.Kouho(3), 'k');
    EXPECT_EQ(p.Texts(), "k||ci|c1|c2");
    EXPECT_TRUE(p.Kouho(1)->hasFocus());
    QTest::keyClicks(p.Kouho(1), "K- abcdefg");
    QTest::keyClick(p.Kouho(1), Qt::Key_Backspace);
    EXPECT_EQ(p.Kouho(1)->text().toStdString(), "kabcd");
    QTest::keyClick(p.Kouho(1), Qt::Key_Home);
    QTest::keyClick(p.Kouho(1), Qt::Key_Delete);
    EXPECT_EQ(p.Kouho(1)->text().toStdString(), "abcd");

    // A double click with the right button opens nothing.
    p.Select(2);
    const QPoint at = p.View()->visualRect(p.View()->currentIndex()).center();
    QTest::mouseDClick(p.View()->viewport(), Qt::RightButton, {}, at);
    EXPECT_EQ(p.Edit("ed_KoumokuNo")->text().toStdString(), "6");
}

TEST(KeyPanel, SetIsRefusedWithInformation) {
    Panel p;
    p.Set({});         // no row opened
    p.DoubleClick(5);  // the space sign row
    p.Set({});
    EXPECT_EQ(p.Messages(), (std::vector<std::string>{"カスタマイズの対象が不明です。",
                                                      "この項目は編集できません。"}));
    for (const auto& m : p.rig.dialogs.Messages()) EXPECT_EQ(m.kind, Kind::Information);
    EXPECT_EQ(ReadBytes(p.mykey), PanelKeyFile());
}

TEST(KeyPanel, SetRewritesTheRowTheNextPlayJudgesWithItAndYesStoresIt) {
    Panel p;
    p.DoubleClick(0);
    p.Kouho(1)->setText("x");
    p.Kouho(3)->setText("xa");
    p.Set({true, false});  // set it, do not store it
    EXPECT_EQ(p.Messages(),
              (std::vector<std::string>{
                  "項目 【 あ 】\n\rのキー配列を新たに設定します。\n\rよいでしょうか ?",
                  "キーカスタマイズ内容を mykey.key に保存しますか ?"}));
    EXPECT_EQ(p.Texts(), "x|xa|||");
    EXPECT_TRUE(p.Kouho(2)->hasFocus()) << "設定 leaves the focus where the row's opening put it";
    EXPECT_EQ(p.Cell(0, 1) + " " + p.Cell(0, 2), "x xa");
    EXPECT_EQ(ReadBytes(p.mykey), PanelKeyFile());

    // あ is now typed with x: a of the old row is a mistype.
    p.rig.Get<QPushButton>("bt_start")->click();
    p.rig.WaitForSlide();
    for (int i = 0; i < 31; ++i) {
        p.rig.clock.Advance(101);
        p.rig.form->TimerTimer();
    }
    ASSERT_EQ(p.rig.form->GameState(), PlayState::Typing);
    QWidget* box = p.rig.Get<QWidget>("ed_Nyuuryoku");
    QTest::keyClick(box, 'a');
    EXPECT_EQ(p.rig.sound.Starts(), 1);
    QTest::keyClick(box, 'x');
    EXPECT_EQ(p.rig.Get<QLineEdit>("ed_Yomi")->text().toStdString(), "い〆");
    p.rig.form->bt_KeySaveClick();
    EXPECT_EQ(p.rig.dialogs.Messages().size(), 2u) << "no panel during a play";

    p.rig.form->close();
    p.rig.form.reset();
    p.rig.StartShown();
    p.rig.Slide("bt_ViewOpen");
    p.DoubleClick(6);
    p.Set({true, true});
    // The change to あ was never stored: the new start read a again.
    const std::string stored = ReadBytes(p.mykey);
    EXPECT_NE(stored.find("0=\"" + Sj("あ") + " a\"\r\n"), std::string::npos);
    EXPECT_NE(stored.find("6=\"" + Sj("し") + " si shi ci c1 c2\"\r\n"), std::string::npos);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(KeyPanel, ALoadedFileReplacesTheTableAndMayBecomeMykey) {
    Panel p;
    p.DoubleClick(1);
    const fs::path other = p.rig.base / "key" / "Other.KEY";
    WriteBytes(other, Sj("[MOZI]\r\nKAZU=2\r\n0=\"か ka ca\"\r\n1=\"▼ ▼\"\r\n"));
    p.Load(other, {true, false});
    ASSERT_EQ(p.rig.dialogs.asked[0].kind, Kind::OpenFile);
    EXPECT_EQ(p.rig.dialogs.asked[0].text, kotopa::PathToUtf8(p.rig.base / "key"));
    EXPECT_EQ(p.rig.dialogs.asked[0].filter.toStdString(), "キー定義ファイル (*.key)");
    const std::string path = U8(kotopa::PathToSjis(other));
    EXPECT_EQ(
        p.Messages(),
        (std::vector<std::string>{
            "キー定義ファイル\n\r" + path + "\n\rを読み込みますか ?",
            "読み込みが完了しました。\n\rこの定義内容を、起動時に読み込む mykey にしますか ?"}));
    EXPECT_EQ(p.View()->model()->rowCount(), 2);
    EXPECT_EQ(p.Cell(1, 0) + p.Cell(1, 1), "、,");
    EXPECT_EQ(p.Edit("ed_KoumokuNo")->text().toStdString(), "") << "no row is chosen after a load";
    EXPECT_EQ(ReadBytes(p.mykey), PanelKeyFile());

    p.Load(other, {true, true});
    // The loaded rows, stored with the marks, and none of the old table's rows 2 to 7.
    EXPECT_EQ(ReadBytes(p.mykey), Sj("[MOZI]\r\nKAZU=2\r\n0=\"か ka ca\"\r\n1=\"▼ ▼\"\r\n"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(KeyPanel, RefusedKeyFilesChangeNeitherTheTableNorMykey) {
    for (const char* name : {"mine", "missing.key", "utf8.key", "nokeys.key"}) {
        SCOPED_TRACE(name);
        Panel p;
        p.DoubleClick(1);
        const fs::path file = p.rig.base / "key" / name;
        const std::string n(name);
        if (n == "mine") WriteBytes(file, PanelKeyFile());
        if (n == "utf8.key") WriteBytes(file, "[MOZI]\r\nKAZU=1\r\n0=\"か ka\"\r\n");
        // Shift_JIS rows, none with a key that can be typed.
        if (n == "nokeys.key")
            WriteBytes(file, Sj("[MOZI]\r\nKAZU=2\r\n0=\"あ\"\r\n1=\"か ,,\"\r\n"));
        const auto before = p.rig.form->Keys().Rows();
        p.Load(file, {true, true});
        const auto messages = p.rig.dialogs.Messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back().kind, Kind::Warning);
        const std::string shown = kotopa::PathToSjis(file);
        EXPECT_EQ(messages.back().text,
                  n == "mine" ? kotopa::BadKeyExtensionText(shown)
                  : n == "missing.key"
                      ? kotopa::KeyFileRefusalText(shown, kotopa::KeyFileProblem::Missing)
                  : n == "utf8.key"
                      ? kotopa::KeyFileRefusalText(shown, kotopa::KeyFileProblem::NotShiftJis)
                      : kotopa::KeyFileRefusalText(shown, kotopa::KeyFileProblem::NoKeys));
        EXPECT_EQ(p.rig.form->Keys().Rows(), before);
        EXPECT_EQ(ReadBytes(p.mykey), PanelKeyFile());
        EXPECT_EQ(p.Edit("ed_KoumokuNo")->text().toStdString(), "1");
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

TEST(KeyPanel, AStoreThatCannotBeWrittenSaysSoAndChangesNothing) {
    Panel p;
    p.DoubleClick(0);
    p.Kouho(1)->setText("x");
    {
        const UnwritableFolder locked(p.rig.base / "key");
        p.Set({true, true});
    }
    const auto messages = p.rig.dialogs.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2].kind, Kind::Warning);
    EXPECT_EQ(messages[2].text, kotopa::CannotWriteMessage(kotopa::PathToSjis(p.mykey)));
    EXPECT_EQ(ReadBytes(p.mykey), PanelKeyFile());
    EXPECT_EQ(p.rig.form->Keys().Rows()[0].candidates, (std::vector<std::string>{"x"}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
