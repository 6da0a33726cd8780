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
    EXPECT_EQ(p.rig.Get<QWidget>("GroupBox_Key")->geometry(), QRect(328, 280, 161, 121));
    EXPECT_EQ(p.Edit("ed_koumoku")->text().toStdString(), "項目");
    EXPECT_EQ(p.Edit("ed_KoumokuNo")->text().toStdString(), "");
    EXPECT_EQ(p.Texts(), "候補 1|候補 2|候補 3|候補 4|候補 5");
    EXPECT_EQ(p.Edit("ed_koumoku")->palette().color(QPalette::Base), QColor(255, 255, 225));
    EXPECT_EQ(p.Edit("ed_KoumokuNo")->palette().color(QPalette::Base), QColor(192, 192, 192));
    for (QWidget* w : p.rig.Get<QWidget>("GroupBox_Key")->findChildren<QWidget*>()) {
        EXPECT_TRUE(p.rig.Get<QWidget>("GroupBox_Key")->rect().contains(w->geometry()))
            << w->objectName().toStdString();
        EXPECT_FALSE(w->focusPolicy() & Qt::TabFocus) << w->objectName().toStdString();
    }
    EXPECT_FALSE(p.View()->focusPolicy() & Qt::TabFocus);
}

TEST(KeyPanel, RowsOpenByDoubleClickOrEnterAndTheFocusFollowsTheRule) {
    Panel p;
    QSignalSpy activated(p.View(), &QAbstractItemView::activated);
    p.View()->setFocus();
    QTest::keyClick(p.View(), Qt::Key_Return);  // nothing selected: nothing opens
    EXPECT_EQ(p.Edit("ed_KoumokuNo")->text().toStdString(), "");

    p.Select(1);
    QTest::keyClick(p.View(), Qt::Key_Return);
    EXPECT_EQ(p.Edit("ed_koumoku")->text().toStdString(), "い");
    EXPECT_EQ(p.Edit("ed_KoumokuNo")->text().toStdString(), "1");
    EXPECT_EQ(p.Texts(), "i|yi|||");
    EXPECT_TRUE(p.Kouho(3)->hasFocus());
    EXPECT_EQ(activated.count(), 0) << "Enter goes no further than the panel";

    QTest::keyClicks(p.Kouho(3), "zz");  // unsaved text is replaced without a question
    p.View()->setFocus();
    p.DoubleClick(7);
    EXPECT_EQ(p.Texts(), "ti|chi|tyi|cyi|c5");
    EXPECT_TRUE(p.View()->hasFocus()) << "five candidates: the focus stays";
    p.DoubleClick(6);
    EXPECT_EQ(p.Texts(), "si|shi|ci|c1|c2");
    EXPECT_EQ(p.Cell(6, 5), "c2");
    EXPECT_TRUE(p.rig.dialogs.asked.empty());
}

TEST(KeyPanel, CandidateEditsTakeTheirCharactersFromTheFirstEmptyEdit) {
    Panel p;
    p.DoubleClick(0);
    EXPECT_EQ(p.Texts(), "a||||");
    p.Kouho(4)->setFocus();
    QTest::keyClick(p.Kouho(4), 'k');
    EXPECT_EQ(p.Texts(), "a|k|||");
    EXPECT_TRUE(p.Kouho(2)->hasFocus());

    p.Kouho(1)->setFocus();
    p.Kouho(1)->selectAll();
    QTest::keyClick(p.Kouho(1), Qt::Key_Delete);  // Delete edits as usual
    QTest::keyClick(p.Kouho(3), 'k');
    EXPECT_EQ(p.Texts(), "k|k|||");
    EXPECT_TRUE(p.Kouho(1)->hasFocus());

    QTest::keyClicks(p.Kouho(1), "K- ");
    for (const auto key : {Qt::Key_Backspace, Qt::Key_Return}) QTest::keyClick(p.Kouho(1), key);
    EXPECT_EQ(p.Kouho(1)->text().toStdString(), "k");
    QTest::keyClicks(p.Kouho(1), "abcdefg");
    EXPECT_EQ(p.Kouho(1)->text().toStdString(), "kabcd") << "rejected keys, then at most five";
}

TEST(KeyPanel, SetIsRefusedWithInformationInItsOrder) {
    Panel p;
    p.Set({});  // no row opened
    p.DoubleClick(1);
    p.Kouho(1)->clear();
    p.Set({});
    p.DoubleClick(5);  // the space sign row
    p.Set({});
    EXPECT_EQ(p.Messages(), (std::vector<std::string>{"カスタマイズの対象が不明です。",
                                                      "入力キー候補がありません。",
                                                      "この項目は編集できません。"}));
    for (const auto& m : p.rig.dialogs.Messages()) EXPECT_EQ(m.kind, Kind::Information);
    EXPECT_EQ(ReadBytes(p.mykey), PanelKeyFile());
}

TEST(KeyPanel, SetRewritesTheRowAndTheNextPlayJudgesWithIt) {
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
    EXPECT_EQ(p.Cell(0, 1) + " " + p.Cell(0, 2), "x xa");
    EXPECT_EQ(ReadBytes(p.mykey), PanelKeyFile());

    // あ is now typed with x: a of the old row is a mistype.
    p.rig.Get<QPushButton>("bt_start")->click();
    p.rig.WaitForSlide();
    for (int i = 0; i < 31; ++i) {
        p.rig.clock.Advance(101);
        p.rig.form->TimerTimer();
    }
    ASSERT_EQ(p.rig.form->GameState(), 200);
    QWidget* box = p.rig.Get<QWidget>("ed_Nyuuryoku");
    QTest::keyClick(box, 'a');
    EXPECT_EQ(p.rig.sound.Starts(), 1);
    QTest::keyClick(box, 'x');
    EXPECT_EQ(p.rig.Get<QLineEdit>("ed_Yomi")->text().toStdString(), "い〆");
}

TEST(KeyPanel, SetAndStoreKeepAtMostFiveCandidates) {
    Panel p;
    p.DoubleClick(6);
    p.Set({true, true});
    EXPECT_NE(ReadBytes(p.mykey).find("6=\"" + Sj("し") + " si shi ci c1 c2\"\r\n"),
              std::string::npos);
    EXPECT_EQ(p.rig.form->Keys().rows[6].candidates.size(), 5u);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(KeyPanel, ALoadedFileReplacesTheTableAndMayBecomeMykey) {
    Panel p;
    p.DoubleClick(1);
    const fs::path other = p.rig.base / "key" / "Other.KEY";
    WriteBytes(other, Sj("[MOZI]\r\nKAZU=2\r\n0=\"か ka ca\"\r\n1=\"▼ ▼\"\r\n"));
    p.Load(other, {true, false});
    ASSERT_EQ(p.rig.dialogs.asked[0].kind, Kind::OpenFile);
    EXPECT_EQ(p.rig.dialogs.asked[0].text, (p.rig.base / "key").string());
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
    EXPECT_EQ(p.Edit("ed_koumoku")->text().toStdString(), "い");
    EXPECT_EQ(ReadBytes(p.mykey), PanelKeyFile());

    p.rig.dialogs.Clear();
    p.Load(other, {true, true});
    // The loaded rows, stored with the marks; the old rows from 2 on stay in the file, unread.
    const std::string stored = Sj("[MOZI]\r\nKAZU=2\r\n0=\"か ka ca\"\r\n1=\"▼ ▼\"\r\n2=");
    EXPECT_EQ(ReadBytes(p.mykey).substr(0, stored.size()), stored);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(KeyPanel, RefusedKeyFilesChangeNeitherTheTableNorMykey) {
    struct Case {
        const char* name;
        std::string content;  // empty: no file; "/": a folder
        const char* message;
        bool asked;  // the load question came before the refusal
    };
    const Case cases[] = {
        {"mine", "[MOZI]\r\nKAZU=1\r\n0=\"a a\"\r\n", "正しい拡張子のファイルではありません。",
         false},
        {"missing.key", "", "ファイルが存在しません。", true},
        {"folder.key", "/", "ファイルを読み込めません。", true},
        {"empty.key", "[MOZI]\r\nKAZU=0\r\n", "キーの定義が 1 つもありません。", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Panel p;
        p.DoubleClick(1);
        const fs::path file = p.rig.base / "key" / c.name;
        if (c.content == "/") {
            fs::create_directories(file);
        } else if (!c.content.empty()) {
            WriteBytes(file, c.content);
        }
        const auto before = p.rig.form->Keys().rows;
        p.Load(file, {true, true});
        const auto messages = p.rig.dialogs.Messages();
        ASSERT_EQ(messages.size(), c.asked ? 2u : 1u);
        EXPECT_EQ(messages.back().kind, Kind::Warning);
        EXPECT_EQ(U8(messages.back().text), U8(kotopa::PathToSjis(file)) + "\n\r" + c.message);
        EXPECT_EQ(p.rig.form->Keys().rows, before);
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
    EXPECT_EQ(p.rig.form->Keys().rows[0].candidates, (std::vector<std::string>{"x"}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
