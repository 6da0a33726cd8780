// The main window on the offscreen platform: start-up and shutdown, the resume question,
// Acts refused and opened, the option controls and their labels, the sliding panels.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QFontInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "app_test_support.h"
#include "keytable.h"
#include "sjistext.h"
#include "widgets.h"

using namespace apptest;
using kotopa::TMainForm;
using Kind = kotopa::platform::FakeDialogs::Kind;
using kotopa::platform::BeepKind;

namespace {

std::string MemoText(const Rig& rig) {
    return rig.Get<QPlainTextEdit>("Memo")->toPlainText().toStdString();
}
std::string Caption(const Rig& rig) {
    return rig.form->windowTitle().toStdString();
}
bool Checked(const Rig& rig, const char* name) {
    return rig.Get<QAbstractButton>(name)->isChecked();
}
bool Enabled(const Rig& rig, const char* name) {
    return rig.Get<QWidget>(name)->isEnabled();
}

std::string PathSj(const fs::path& p) {
    return kotopa::PathToSjis(p);
}

}  // namespace

TEST(MainFormStart, CleanFolderLoadsAct01WithDefaults) {
    Rig rig;
    TMainForm& form = rig.Start();

    EXPECT_TRUE(fs::is_directory(rig.base / "save"));
    EXPECT_TRUE(rig.dialogs.asked.empty()) << "no question, no message on a clean folder";
    EXPECT_EQ(form.ActPath(), rig.base / "ktp" / "Act01.ktp");
    EXPECT_EQ(Caption(rig), "KotoPA  [ Act01 ]");
    EXPECT_EQ(MemoText(rig), "Act01 1\nAct01 2\nAct01 3");
    EXPECT_EQ(rig.Get<QLineEdit>("ed_Kanji")->text().toStdString(), "Act01 漢字");
    EXPECT_EQ(rig.Get<QLineEdit>("ed_Yomi")->text().toStdString(), "Act01 よみ");
    EXPECT_TRUE(Enabled(rig, "bt_start"));
    EXPECT_FALSE(Enabled(rig, "bt_end"));
    EXPECT_TRUE(Enabled(rig, "bt_Glaph"));
    EXPECT_EQ(form.GameState(), PlayState::Idle);

    EXPECT_EQ(rig.Text("lb_Kaisu"), "    1");
    EXPECT_EQ(rig.Text("lb_TopNyu"), "    0");
    EXPECT_EQ(rig.Text("lb_TopTime"), "    0");
    EXPECT_EQ(rig.Text("lb_Seigen"), "00:00");
    EXPECT_EQ(rig.Text("lb_Mondai"), "000 / 000") << "EOF was selected already: the design caption";
    EXPECT_TRUE(Checked(rig, "rd_Nomal"));
    EXPECT_TRUE(Checked(rig, "rd_Eof"));
    EXPECT_TRUE(Checked(rig, "ch_miss"));
    EXPECT_FALSE(Checked(rig, "CheckSave"));
    auto* spin = rig.Get<kotopa::SpinEdit>("sp_Time");
    EXPECT_EQ(spin->value(), 60);
    EXPECT_FALSE(spin->isEnabled());

    // Collapsed, fixed, no maximise button.
    EXPECT_EQ(form.size(), QSize(500, 275));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);

    // The key table and the key panel's controls come when they are first needed, not for
    // the window.
    bool drawn = false;
    QObject::connect(&form, &TMainForm::FirstDrawn, [&] { drawn = true; });
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawn; }, 5000));
    EXPECT_EQ(form.findChild<QWidget*>("ListView"), nullptr);
    EXPECT_FALSE(form.Keys().Rows().empty());
    rig.Slide("bt_ViewOpen");
    const QAbstractItemModel* view = rig.Get<QTreeView>("ListView")->model();
    auto cell = [&](int row, int column) {
        return view->index(row, column).data().toString().toStdString();
    };
    EXPECT_EQ(view->columnCount(), 6);
    EXPECT_EQ(view->headerData(5, Qt::Horizontal).toString().toStdString(), "候補 5");
    ASSERT_EQ(view->rowCount(), 6);
    EXPECT_EQ(cell(2, 0), "う");
    EXPECT_EQ(cell(2, 3), "whu");
    EXPECT_EQ(cell(5, 0), " ");  // the space sign row, decoded
}

TEST(MainFormStart, JapaneseTextIsDrawnWithTheGothicFaces) {
    Rig rig;
    rig.Start();
    EXPECT_EQ(QFontInfo(rig.Get<QLineEdit>("ed_Kanji")->font()).family().toStdString(),
              "IPAGothic");
    EXPECT_EQ(rig.Get<QLineEdit>("ed_Kanji")->font().pixelSize(), 27);
    EXPECT_EQ(QFontInfo(rig.Get<QLabel>("cap_Miss")->font()).family().toStdString(), "IPAPGothic");
    EXPECT_EQ(QFontInfo(rig.Get<QLabel>("lb_Mozi")->font()).family().toStdString(), "IPAGothic");
    EXPECT_EQ(rig.Get<QLabel>("cap_Miss")->font().pixelSize(), 12);
    EXPECT_EQ(rig.Get<QListWidget>("lst_1")->font().pixelSize(), 16);
}

// The faces are asked for by an installed name, so the toolkit never searches the fonts of
// every script for a name it does not know.
TEST(MainFormStart, FacesAreAskedForByTheirInstalledNames) {
    // Family names are matched without regard to case.
    const auto asked = [](const char16_t* family) {
        return kotopa::InstalledFamilies(QString::fromUtf16(family))
            .join(u'|')
            .toLower()
            .toStdString();
    };
    EXPECT_EQ(asked(u"ＭＳ ゴシック"), "ipagothic");
    EXPECT_EQ(asked(u"ＭＳ Ｐゴシック"), "ipapgothic");
    EXPECT_EQ(asked(u"IPAGothic"), "ipagothic");
    // Neither installed nor with an installed substitute: left to the toolkit as it stands.
    QFont::insertSubstitution(QStringLiteral("No Such Face"), QStringLiteral("No Other Face"));
    EXPECT_EQ(asked(u"No Such Face"), "no such face");
    Rig rig;
    rig.Start();
    for (QWidget* w : rig.form->findChildren<QWidget*>()) {
        EXPECT_FALSE(w->font().families().join(QString()).contains(QStringLiteral("ＭＳ")))
            << w->objectName().toStdString();
    }
}

// The line-end prompt and every candidate of the delivered key table stand whole in the
// 57-pixel lists at their 16-pixel Gothic face; a wider face that renders them instead is
// narrowed to fit, never elided.
TEST(MainFormStart, CandidateListsShowTheirTextsWhole) {
    Rig rig;
    rig.Start();
    kotopa::KeyTable delivered;
    ASSERT_EQ(delivered.LoadKeyFile(fs::path(KOTOPA_STAGE_DIR) / "key" / "mykey.key"),
              kotopa::KeyFileProblem::None);
    std::vector<QString> texts = {"← ■", "Enter!", "^^^^^^", "■ →", "☆"};
    for (const kotopa::KeyRow& row : delivered.Rows()) {
        for (const std::string& c : row.candidates) texts.push_back(kotopa::FromSjis(c));
    }
    QFont wide(QStringLiteral("DejaVu Sans"));
    wide.setBold(true);
    wide.setPixelSize(16);
    for (const char* name : {"lst_3", "lst_2", "lst_1"}) {
        auto* list = rig.Get<QListWidget>(name);
        auto* delegate = dynamic_cast<kotopa::FixedRowDelegate*>(list->itemDelegate());
        ASSERT_NE(delegate, nullptr) << name;
        list->clear();
        list->addItem(QStringLiteral("^^^^^^"));
        const QRect row = list->visualItemRect(list->item(0));
        EXPECT_EQ(row.height(), 16) << name;
        EXPECT_LE(row.right(), list->viewport()->width() - 1) << name;
        for (const QString& text : texts) {
            const auto place = kotopa::FixedRowDelegate::PlaceText(row, list->font(), text);
            EXPECT_EQ(place.scale, 1.0) << name << " " << text.toStdString();
            EXPECT_LE(place.rect.right(), row.right() + 1) << name << " " << text.toStdString();
            const auto narrowed = kotopa::FixedRowDelegate::PlaceText(row, wide, text);
            EXPECT_LE(narrowed.rect.right(), row.right() + 1) << text.toStdString();
        }
        EXPECT_LT(kotopa::FixedRowDelegate::PlaceText(row, wide, "^^^^^^").scale, 1.0)
            << "a face wider than the list is narrowed";
    }
}

TEST(MainFormStart, OptionsAreWrittenAtExitAndOtherKeysKept) {
    Rig rig;
    rig.WriteSettings("[TOP]\r\nKEY=250\r\nMOZI=120\r\n[X]\r\nmine=1\r\n");
    rig.Start();
    EXPECT_EQ(rig.Text("lb_TopNyu"), "  250");
    rig.Get<QCheckBox>("CheckSave")->setChecked(true);  // never stored
    rig.form->close();
    const std::string expected = Sj("[TOP]\r\nKEY=250\r\nMOZI=120\r\n[X]\r\nmine=1\r\n"
                                    "[PLAY]\r\nNOMAL=1\r\nRANDOM=0\r\nENDEOF=1\r\nENDMILI="
                                    "0\r\nENDGYOU=0\r\nVALUE=60\r\nSOUND=1\r\n"
                                    "[FILE]\r\nLAST=\"") +
                                 PathSj(rig.base / "ktp" / "Act01.ktp") + "\"\r\n";
    EXPECT_EQ(rig.Settings(), expected);
    rig.form.reset();  // the destructor does not write a second time
    EXPECT_EQ(rig.Settings(), expected);
}

TEST(MainFormStart, ResumeQuestionNamesTheLastActAndFollowsTheAnswer) {
    for (const bool yes : {true, false}) {
        Rig rig;
        rig.WriteAct("Act03.ktp", SixLines());
        const std::string act03 = PathSj(rig.base / "ktp" / "Act03.ktp");
        rig.WriteSettings("[FILE]\r\nLAST=\"" + U8(act03) + "\"\r\n");
        rig.dialogs.confirmAnswers.push_back(yes);
        rig.Start();
        const auto messages = rig.dialogs.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, Kind::Confirm);
        EXPECT_EQ(messages[0].buttons, "Yes No");
        EXPECT_EQ(messages[0].text,
                  Sj("前回プレイした内容") + "\n\r" + act03 + "\n\r" + Sj("を読み込みますか ?"));
        EXPECT_EQ(rig.dialogs.asked[0].kind, Kind::Beep);
        EXPECT_EQ(rig.dialogs.asked[0].beep, BeepKind::Question);
        EXPECT_EQ(Caption(rig), yes ? "KotoPA  [ Act03 ]" : "KotoPA  [ Act01 ]");
    }
}

TEST(MainFormStart, NoResumeQuestionForTheDefaultActAMissingFileOrNasi) {
    for (const std::string& last :
         {std::string("NASI"), std::string("/no/such/Act05.ktp"), std::string()}) {
        Rig rig;
        const std::string value = last.empty() ? U8(PathSj(rig.base / "ktp" / "Act01.ktp")) : last;
        rig.WriteSettings("[FILE]\r\nLAST=\"" + value + "\"\r\n");
        rig.Start();
        EXPECT_TRUE(rig.dialogs.Messages().empty()) << value;
        EXPECT_EQ(Caption(rig), "KotoPA  [ Act01 ]");
    }
}

// A user called Zoë: the Act under BaseDir is stored relative to it and resumed; one elsewhere
// with such a name still plays, and no path with "?" is stored for it.
TEST(MainFormStart, PathsShiftJisCannotHoldAreStoredRelativeOrNotAtAll) {
    Rig rig("Zoë");
    rig.WriteAct("Act02.ktp", SixLines());
    rig.Start();
    rig.dialogs.openAnswers.push_back(rig.base / "ktp" / "Act02.ktp");
    rig.form->bt_FileOpenClick();
    EXPECT_EQ(Caption(rig), "KotoPA  [ Act02 ]");
    rig.form->close();
    rig.form.reset();
    const std::string relative = kotopa::PathToSjis(fs::path("ktp") / "Act02.ktp");
    EXPECT_NE(rig.Settings().find("LAST=\"" + relative + "\"\r\n"), std::string::npos)
        << rig.Settings();

    rig.dialogs.Clear();
    rig.dialogs.confirmAnswers.push_back(true);
    rig.Start();
    auto messages = rig.dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Confirm);
    EXPECT_NE(messages[0].text.find(Sj("Act02.ktp")), std::string::npos);
    EXPECT_EQ(Caption(rig), "KotoPA  [ Act02 ]");

    // An Act elsewhere whose name Shift_JIS cannot hold.
    const fs::path elsewhere = rig.dir / "Noël.ktp";
    WriteBytes(elsewhere, ReadBytes(rig.base / "ktp" / "Act02.ktp"));
    rig.dialogs.Clear();
    rig.dialogs.openAnswers.push_back(elsewhere);
    rig.form->bt_FileOpenClick();
    EXPECT_TRUE(rig.dialogs.Messages().empty());
    EXPECT_TRUE(rig.Get<QWidget>("bt_start")->isEnabled()) << "it plays";
    rig.form->close();
    rig.form.reset();
    EXPECT_NE(rig.Settings().find("LAST=\"NASI\"\r\n"), std::string::npos) << rig.Settings();
    rig.dialogs.Clear();
    rig.Start();
    EXPECT_TRUE(rig.dialogs.Messages().empty()) << "no resume question";
    EXPECT_EQ(Caption(rig), "KotoPA  [ Act01 ]");
}

TEST(MainFormStart, AFolderThatCannotHoldSaveIsReportedAndThePlayGoesOn) {
    Rig rig;
    WriteBytes(rig.base / "save", "a file where the folder should be");
    rig.Start();
    auto messages = rig.dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Warning);
    EXPECT_EQ(messages[0].text, PathSj(rig.base / "save") + "\n\r" +
                                    Sj("フォルダを作成できません。設定と記録は保存されません。"));
    EXPECT_TRUE(Enabled(rig, "bt_start"));
    // At exit the settings cannot be written either, and the user is told so.
    rig.dialogs.Clear();
    rig.form->close();
    messages = rig.dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, PathSj(rig.base / "save" / "kotopa.ini") + Sj(" に書き込めません"));
}

// A settings file larger than memory (a sparse one takes no disk) is set aside and told
// once; the program goes on with the defaults, and the next start is clean.
TEST(MainFormStart, AHugeSettingsFileIsSetAsideOnceAndTheNextStartIsClean) {
    Rig rig;
    rig.WriteSettings("");
    fs::resize_file(rig.base / "save" / "kotopa.ini", std::uintmax_t(64) << 30);
    WriteBytes(rig.base / "save" / "record.lst", std::string());
    fs::resize_file(rig.base / "save" / "record.lst", std::uintmax_t(64) << 30);
    rig.Start();
    const auto messages = rig.dialogs.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, PathSj(rig.base / "save" / "kotopa.ini.damaged") + "\n\r" +
                                    Sj("設定ファイルが大きすぎるため、この名前に変えて残しました。"
                                       "設定は既定の値で始めます。"));
    EXPECT_EQ(messages[1].text, PathSj(rig.base / "save" / "record.lst") + "\n\r" +
                                    Sj("ファイルが大きすぎます。記録は保存されません。"));
    EXPECT_TRUE(Enabled(rig, "bt_start"));
    rig.form->close();
    EXPECT_LT(fs::file_size(rig.base / "save" / "kotopa.ini"), 1000u) << "a file of its own";
    fs::remove(rig.base / "save" / "record.lst");
    rig.dialogs.Clear();
    rig.Start();
    EXPECT_TRUE(rig.dialogs.Messages().empty());
}

TEST(MainFormStart, AKeyTableThatJudgesNoKeyIsWarnedOnceAndThePlayGoesOn) {
    Rig rig;
    fs::remove(rig.base / "key" / "mykey.key");
    rig.Start();
    rig.form->show();
    QTest::qWait(50);
    EXPECT_TRUE(rig.dialogs.Messages().empty()) << "said when the table is first needed";
    rig.Get<QPushButton>("bt_start")->click();
    rig.Get<QPushButton>("bt_start")->click();
    const auto messages = rig.dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Warning);
    EXPECT_EQ(messages[0].text, PathSj(rig.base / "key" / "mykey.key") + "\n\r" +
                                    Sj("キーファイルがありません。") + "\n\r" +
                                    Sj("キーファイルを読み込むまで、どのキーも判定できません。"));
    EXPECT_EQ(rig.form->GameState(), PlayState::Countdown);
    EXPECT_EQ(Caption(rig), "KotoPA  [ Act01 ]");
}

TEST(MainFormSettings, SavedOptionsAreAppliedWithTheirRules) {
    struct Case {
        const char* ini;
        const char* order;  // the selected order button, or "" for none
        const char* end;    // the selected end button, or "" for none
        int value;
        const char* seigen;
        const char* mondai;
        bool spinEnabled;
    };
    const Case cases[] = {
        {"ENDMILI=1\r\nVALUE=90", "rd_Nomal", "rd_Mili", 90, "01:30", "  0 /   0", true},
        {"ENDGYOU=1\r\nVALUE=20", "rd_Nomal", "rd_Gyou", 20, "00:00", "  0 /  20", true},
        {"VALUE=1000\r\nENDMILI=1", "rd_Nomal", "rd_Mili", 999, "16:39", "  0 /   0", true},
        {"VALUE=3", "rd_Nomal", "rd_Eof", 5, "00:00", "000 / 000", false},
        {"VALUE=abc", "rd_Nomal", "rd_Eof", 60, "00:00", "000 / 000", false},
        {"NOMAL=1\r\nRANDOM=1", "rd_Random", "rd_Eof", 60, "00:00", "000 / 000", false},
        {"ENDMILI=1\r\nENDGYOU=1\r\nVALUE=30", "rd_Nomal", "rd_Gyou", 30, "00:00", "  0 /  30",
         true},
        // A hand-edited file can select nothing: the design captions stay.
        {"NOMAL=0\r\nENDEOF=0", "", "", 60, "00:00", "000 / 000", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        Rig rig;
        rig.WriteSettings(std::string("[PLAY]\r\n") + c.ini + "\r\n");
        rig.Start();
        for (const char* name : {"rd_Nomal", "rd_Random"})
            EXPECT_EQ(Checked(rig, name), std::string(name) == c.order) << name;
        for (const char* name : {"rd_Eof", "rd_Mili", "rd_Gyou"})
            EXPECT_EQ(Checked(rig, name), std::string(name) == c.end) << name;
        EXPECT_EQ(rig.Get<kotopa::SpinEdit>("sp_Time")->value(), c.value);
        EXPECT_EQ(rig.Get<kotopa::SpinEdit>("sp_Time")->isEnabled(), c.spinEnabled);
        EXPECT_EQ(rig.Text("lb_Seigen"), c.seigen);
        EXPECT_EQ(rig.Text("lb_Mondai"), c.mondai);
        EXPECT_TRUE(rig.dialogs.Messages().empty());
    }
}

TEST(MainFormSettings, SpinBoxTextFollowsTheLabelsAndIsCheckedWhenLeft) {
    Rig rig;
    TMainForm& form = rig.StartShown();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    auto* spin = rig.Get<kotopa::SpinEdit>("sp_Time");
    rig.Get<QRadioButton>("rd_Mili")->click();
    EXPECT_EQ(rig.Text("lb_Seigen"), "01:00");

    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, "120");
    EXPECT_EQ(rig.Text("lb_Seigen"), "02:00");  // while typing
    QTest::keyClicks(spin, "4");                // at most three characters
    EXPECT_EQ(spin->lineEdit()->text().toStdString(), "120");

    // A number below the range is brought to 5 without a message.
    spin->selectAll();
    QTest::keyClicks(spin, "3");
    rig.Get<QWidget>("ed_Nyuuryoku")->setFocus();
    EXPECT_TRUE(rig.dialogs.Messages().empty());
    EXPECT_EQ(spin->value(), 5);
    EXPECT_EQ(spin->lineEdit()->text().toStdString(), "5");

    // An empty box is not a number: the message, 60, and the focus back in the box.
    spin->setFocus();
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Delete);
    EXPECT_EQ(rig.Text("lb_Seigen"), "00:00");
    rig.Get<QWidget>("ed_Nyuuryoku")->setFocus();
    const auto messages = rig.dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Plain);
    EXPECT_EQ(messages[0].text, Sj("5 - 999 までの数字を入力して下さい。"));
    EXPECT_EQ(spin->value(), 60);
    EXPECT_EQ(rig.Text("lb_Seigen"), "01:00");
    QApplication::processEvents();
    EXPECT_TRUE(spin->hasFocus());

    // Letters never get in; switching to EOF resets the labels.
    spin->selectAll();
    QTest::keyClicks(spin, "a7");
    EXPECT_EQ(spin->lineEdit()->text().toStdString(), "7");
    rig.Get<QRadioButton>("rd_Eof")->click();
    EXPECT_EQ(rig.Text("lb_Seigen"), "00:00");
    EXPECT_EQ(rig.Text("lb_Mondai"), "  0 /   0");
    EXPECT_FALSE(spin->isEnabled());
}

TEST(MainFormAct, RefusedActsAreReportedWithPathAndMessage) {
    struct Case {
        const char* file;
        std::string content;  // empty: no file at all
        const char* message;
        bool headerShown;
    };
    std::vector<std::pair<std::string, std::string>> fourPairs = SixLines();
    fourPairs.resize(4);
    const Case cases[] = {
        {"Act02.doc", ActText(SixLines()), "正しい拡張子のファイルではありません。", false},
        {"Act02.ktp.bak", "", "正しい拡張子のファイルではありません。", false},
        {"Act09.ktp", "", "ファイルが存在しません。", false},
        {"Odd.ktp", ActText(SixLines(), "Odd") + Sj("余り\r\n"),
         "【漢字】の数と【読み】の数が合っていません。", true},
        {"Four.ktp", ActText(fourPairs, "Four"), "問題が 5 問以下です。", true},
        {"Short.ktp", Sj("一\r\n二\r\n三\r\n"), "見出しの 5 行がそろっていません。", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Rig rig;
        rig.Start();
        const fs::path path = rig.base / "ktp" / c.file;
        if (!c.content.empty()) WriteBytes(path, c.content);
        rig.dialogs.openAnswers.push_back(path);
        rig.form->bt_FileOpenClick();

        const auto messages = rig.dialogs.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, Kind::Warning);
        EXPECT_EQ(messages[0].text, PathSj(path) + "\n\r" + Sj(c.message));
        // The beeps: the asterisk for the chosen file, then the hand before the refusal.
        std::vector<BeepKind> beeps;
        for (const auto& a : rig.dialogs.asked) {
            if (a.kind == Kind::Beep) beeps.push_back(a.beep);
        }
        EXPECT_EQ(beeps, (std::vector<BeepKind>{BeepKind::Asterisk, BeepKind::Hand}));

        EXPECT_EQ(rig.form->ActPath(), path);
        EXPECT_FALSE(Enabled(rig, "bt_start"));
        EXPECT_EQ(Caption(rig), "KotoPA  [ Act01 ]") << "the caption keeps the Act loaded before";
        if (c.headerShown) {
            const std::string stem = std::string(c.file).substr(0, std::string(c.file).find('.'));
            EXPECT_EQ(MemoText(rig), stem + " 1\n" + stem + " 2\n" + stem + " 3");
            EXPECT_EQ(rig.Get<QLineEdit>("ed_Yomi")->text().toStdString(), stem + " よみ");
        } else {
            EXPECT_EQ(MemoText(rig), "");
        }

        // A valid Act afterwards makes the window usable again.
        rig.dialogs.openAnswers.push_back(rig.base / "ktp" / "Act01.ktp");
        rig.form->bt_FileOpenClick();
        EXPECT_TRUE(Enabled(rig, "bt_start"));
    }
}

TEST(MainFormAct, FileDialogStartsInKtpAndCancelChangesNothing) {
    Rig rig;
    rig.Start();
    rig.form->bt_FileOpenClick();
    ASSERT_EQ(rig.dialogs.asked.size(), 1u);
    EXPECT_EQ(rig.dialogs.asked[0].kind, Kind::OpenFile);
    EXPECT_EQ(rig.dialogs.asked[0].text, kotopa::PathToUtf8(rig.base / "ktp"));
    EXPECT_EQ(rig.dialogs.asked[0].filter.toStdString(),
              "KotoPa スクリプト (*.ktp);;テキスト (*.txt)");
    EXPECT_EQ(rig.form->ActPath(), rig.base / "ktp" / "Act01.ktp");
    EXPECT_TRUE(Enabled(rig, "bt_start"));

    // An Act from another folder, with its own record list in save/.
    const fs::path other = rig.dir.path() / "elsewhere" / "Act07.ktp";
    fs::create_directories(other.parent_path());
    WriteBytes(other, ActText(SixLines(), "Act07"));
    WriteBytes(rig.base / "save" / "Act07.lst", "12 200 3\r\n15 180 1\r\n");
    rig.dialogs.openAnswers.push_back(other);
    rig.form->bt_FileOpenClick();
    EXPECT_EQ(Caption(rig), "KotoPA  [ Act07 ]");
    EXPECT_EQ(rig.form->ActRecords(), (std::vector<std::string>{"12 200 3", "15 180 1"}));
    EXPECT_TRUE(rig.Get<QWidget>("ed_Nyuuryoku")->hasFocus() || !rig.form->isVisible());
}

TEST(MainFormAct, HelpIsHandedToTheDesktop) {
    Rig rig;
    rig.shell.windows = true;  // the other desktops' HTML help: desktop_test.cpp
    WriteBytes(rig.base / "kotopa.chm", "ITSF");
    rig.Start();
    rig.Get<QToolButton>("bt_Help")->click();
    EXPECT_EQ(rig.shell.opened, (std::vector<fs::path>{rig.base / "kotopa.chm"}));
    EXPECT_TRUE(rig.dialogs.asked.empty());
}

TEST(MainFormAct, RecordListIsLoadedAtStart) {
    Rig rig;
    fs::create_directories(rig.base / "save");
    WriteBytes(rig.base / "save" / "record.lst", "10 100 1\r\n20 200 2\n30 300 3");
    WriteBytes(rig.base / "save" / "Act01.lst", "10 100 1\r\n");
    rig.Start();
    EXPECT_EQ(rig.form->TotalRecords(),
              (std::vector<std::string>{"10 100 1", "20 200 2", "30 300 3"}));
    EXPECT_EQ(rig.form->ActRecords(), (std::vector<std::string>{"10 100 1"}));
}

// ---------------------------------------------------------------------------------------
// The sliding panels

namespace {

// Writes down the client size and the window position at every step of a slide.
class SlideRecorder : public QObject {
public:
    explicit SlideRecorder(QWidget* w) : w_(w) { w->installEventFilter(this); }
    std::vector<QSize> sizes;
    std::vector<int> tops;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Resize) sizes.push_back(w_->size());
        if (e->type() == QEvent::Move) tops.push_back(w_->y());
        return false;
    }

private:
    QWidget* w_;
};

}  // namespace

TEST(MainFormSlide, KeyPanelOpensUpwardInStepsAndClosesBack) {
    Rig rig;
    TMainForm& form = rig.StartShown();
    const QPoint start = form.pos();
    SlideRecorder rec(&form);
    rig.Slide("bt_ViewOpen");
    EXPECT_EQ(form.size(), QSize(500, 410));
    EXPECT_EQ(form.pos(), start - QPoint(0, 46));
    EXPECT_EQ(form.PanelSlide(), 0);
    ASSERT_EQ(rec.sizes.size(), 47u);  // 46 steps of 3, then the exact height
    EXPECT_EQ(rec.sizes[0], QSize(500, 278));
    EXPECT_EQ(rec.sizes[45], QSize(500, 413));
    EXPECT_EQ(rec.sizes[46], QSize(500, 410));
    EXPECT_EQ(rec.tops.size(), 46u);

    rig.Slide("bt_ViewOpen");
    EXPECT_EQ(form.size(), QSize(500, 275));
    EXPECT_EQ(form.pos(), start);
}

// The key panel's controls are shown from its first opening on: opened first thing after the
// start, both panels hold every control, the list its rows, the about box its text.
TEST(MainFormSlide, BothPanelsOpenedFirstThingAreComplete) {
    Rig rig;
    TMainForm& form = rig.StartShown();
    rig.Slide("bt_ViewOpen");
    rig.Slide("bt_Opt");
    ASSERT_EQ(form.size(), QSize(600, 410));
    QApplication::processEvents();
    for (QWidget* w : form.findChildren<QWidget*>()) {
        // The controls of the layout; the toolkit's own parts (scroll bars) come and go.
        if (w->objectName().isEmpty() || w->objectName().startsWith(QStringLiteral("qt_")) ||
            w->isWindow())
            continue;
        EXPECT_TRUE(w->isVisibleTo(&form)) << w->objectName().toStdString();
    }
    auto* view = rig.Get<QTreeView>("ListView");
    ASSERT_EQ(view->model()->rowCount(), 6);
    for (int row = 0; row < 6; ++row) {
        const QRect cell = view->visualRect(view->model()->index(row, 0));
        EXPECT_FALSE(cell.isEmpty()) << row;
        EXPECT_TRUE(view->viewport()->rect().contains(cell)) << row;
    }
    EXPECT_EQ(rig.Get<QPlainTextEdit>("me_About")->toPlainText().toStdString(), "KotoPA");
    EXPECT_TRUE(form.rect().contains(rig.Get<QWidget>("GroupBox_Key")->geometry()));
    // Made later, the panel's controls look as the ones made with the window.
    EXPECT_EQ(rig.Get<QWidget>("GroupBox_Key")->style(),
              rig.Get<QWidget>("GroupBox_Info")->style());
    EXPECT_EQ(rig.Get<QWidget>("ed_kouho1")->font(), rig.Get<QWidget>("bt_start")->font());
    EXPECT_EQ(form.findChildren<QWidget*>("ListView").size(), 1);
    // Shut and opened again, nothing changes.
    rig.Slide("bt_ViewOpen");
    rig.Slide("bt_ViewOpen");
    EXPECT_TRUE(view->isVisible());
    EXPECT_TRUE(rig.Get<QWidget>("ed_kouho5")->isVisible());
}

TEST(MainFormSlide, OptionPanelWidensToTheRightAndBothCanBeOpen) {
    Rig rig;
    TMainForm& form = rig.StartShown();
    const QPoint start = form.pos();
    SlideRecorder rec(&form);
    rig.Slide("bt_Opt");
    EXPECT_EQ(form.size(), QSize(600, 275));
    EXPECT_EQ(form.pos(), start);
    ASSERT_EQ(rec.sizes.size(), 27u);  // 26 steps of 4, then the exact width
    EXPECT_EQ(rec.sizes[25], QSize(604, 275));
    EXPECT_TRUE(rec.tops.empty());

    rig.Slide("bt_ViewOpen");
    EXPECT_EQ(form.size(), QSize(600, 410));
    EXPECT_TRUE(rig.Get<QWidget>("me_About")->geometry().intersects(form.rect()));
    rig.Slide("bt_Opt");
    EXPECT_EQ(form.size(), QSize(500, 410));
    EXPECT_FALSE(rig.Get<QWidget>("me_About")->geometry().intersects(form.rect()));
}

TEST(MainFormSlide, TheInputStyleIsSeenWithTheOptionPanelAloneAndCoversNoControl) {
    Rig rig;
    TMainForm& form = rig.StartShown();
    rig.Slide("bt_Opt");
    ASSERT_EQ(form.size(), QSize(600, 275));
    const QWidget* style = rig.Get<QWidget>("GroupBox_Style");
    EXPECT_TRUE(form.rect().contains(style->geometry()))
        << style->x() << "," << style->y() << " " << style->width() << "x" << style->height();
    for (const QWidget* other : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other == style || other->isWindow()) continue;
        EXPECT_FALSE(other->geometry().intersects(style->geometry()))
            << other->objectName().toStdString();
    }
    for (const char* radio : {"rd_Romaji", "rd_Kana"}) {
        const QWidget* w = rig.Get<QWidget>(radio);
        EXPECT_TRUE(style->rect().contains(w->geometry())) << radio;
    }
}

TEST(MainFormSlide, SlidesRunFromTheEventLoopAfterTheClickHasReturned) {
    Rig rig;
    TMainForm& form = rig.StartShown();
    rig.Get<QToolButton>("bt_ViewOpen")->click();
    EXPECT_EQ(form.PanelSlide(), 1);
    EXPECT_EQ(form.size(), QSize(500, 275)) << "no step inside the click";
    rig.WaitForSlide();
    EXPECT_EQ(form.size(), QSize(500, 410));

    // A start with the key panel open: the panel shuts first, and until the play begins
    // nothing that a play locks can be used, the key panel included.
    rig.Get<QPushButton>("bt_start")->click();
    EXPECT_EQ(form.GameState(), PlayState::Idle);
    for (const char* locked :
         {"bt_start", "bt_FileOpen", "bt_ViewOpen", "ListView", "GroupBox_Key"}) {
        EXPECT_FALSE(Enabled(rig, locked)) << locked;
    }
    rig.WaitForSlide();
    EXPECT_EQ(form.GameState(), PlayState::Countdown);
    EXPECT_EQ(form.size(), QSize(500, 275));
}

TEST(MainFormSlide, ClicksDuringASlideAreDropped) {
    Rig rig;
    TMainForm& form = rig.StartShown();
    int seen = -1;
    // While the key panel slides open, the option button, the key button and the start
    // button are all clicked; none of them may act.
    QTimer::singleShot(0, &form, [&] {
        seen = form.PanelSlide();
        rig.Get<QToolButton>("bt_Opt")->click();
        rig.Get<QToolButton>("bt_ViewOpen")->click();
        form.bt_startClick();
    });
    rig.Slide("bt_ViewOpen");
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(form.size(), QSize(500, 410));
    EXPECT_EQ(form.PanelSlide(), 0);
}

// ---------------------------------------------------------------------------------------
// The typing box and the mistype sound

TEST(MainFormKeys, TypingBoxHandsOverEveryKeyAsOneByteWithoutInputMethod) {
    Rig rig;
    rig.StartShown();
    auto* box = rig.Get<kotopa::TypingBox>("ed_Nyuuryoku");
    EXPECT_FALSE(box->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(static_cast<QWidget*>(box)->inputMethodQuery(Qt::ImEnabled).toBool());
    EXPECT_EQ(box->maxLength(), 6);

    std::string got;
    box->onKeyPress = [&](char& key) {
        got += key;
        key = 0;
    };
    QTest::keyClick(box, 'k');
    QTest::keyClick(box, 'A');
    QTest::keyClick(box, Qt::Key_Escape);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Left);  // no character
    QTest::keyClick(box, Qt::Key_Minus);
    EXPECT_EQ(got, std::string("kA\x1b\r\r\b-"));
    EXPECT_EQ(box->text().toStdString(), "") << "the box shows only what the window puts in it";
}

TEST(MainFormSound, MistypeSoundIsTheBuiltInWaveUnlessMissWavReplacesIt) {
    {
        Rig rig;
        rig.Start();
        rig.form->PlayMissSound();
        ASSERT_EQ(rig.sound.kept.size(), 1u);
        EXPECT_EQ(rig.sound.kept[0]->Frames(), 3022u) << "the built-in wave";
        EXPECT_EQ(rig.sound.plays, std::vector<const kotopa::MixWave*>{rig.sound.kept[0].get()});
        rig.Get<QCheckBox>("ch_miss")->setChecked(false);
        rig.form->PlayMissSound();
        EXPECT_EQ(rig.sound.Starts(), 1) << "silent while the option is off";
    }
    {
        // 100 frames of 16-bit mono at 24 000 Hz, of the extensible kind.
        std::string fmt;
        for (uint32_t v : {0xFFFEu, 1u}) fmt += std::string{char(v & 0xFF), char(v >> 8)};
        auto le32 = [](uint32_t v) {
            return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                               char(v >> 24)};
        };
        fmt += le32(24000) + le32(48000) + std::string("\x02\x00\x10\x00\x16\x00\x10\x00", 8) +
               le32(4) +
               std::string("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
        const std::string data(200, '\x10');
        const std::string chunks = "fmt " + le32(static_cast<uint32_t>(fmt.size())) + fmt + "data" +
                                   le32(static_cast<uint32_t>(data.size())) + data;
        Rig rig;
        fs::create_directories(rig.base / "system");
        WriteBytes(rig.base / "system" / "miss.wav",
                   "RIFF" + le32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks);
        rig.Start();
        EXPECT_TRUE(rig.dialogs.asked.empty());
        rig.form->PlayMissSound();
        ASSERT_EQ(rig.sound.kept.size(), 2u);  // the built-in one was converted, then replaced
        EXPECT_EQ(rig.sound.kept[1]->Frames(), 200u);
        EXPECT_EQ(rig.sound.plays, std::vector<const kotopa::MixWave*>{rig.sound.kept[1].get()});
    }
}

TEST(MainFormSound, TheOutputOpensOnceTheWindowIsDrawn) {
    Rig rig;
    rig.sound.OpenOnRequest();
    rig.Start();
    EXPECT_EQ(rig.sound.opens, 0) << "not during the start-up";
    EXPECT_EQ(rig.sound.kept.size(), 1u) << "the mistype sound is ready before the output";
    rig.form->PlayMissSound();
    EXPECT_EQ(rig.sound.Starts(), 0) << "no output yet: silent";
    rig.form->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.sound.opens > 0; }));
    rig.form->PlayMissSound();
    EXPECT_EQ(rig.sound.Starts(), 1);
    EXPECT_EQ(rig.sound.opens, 1);
}

TEST(MainFormSound, AMissWavThatIsNotAWaveIsReportedOnceAndTheRunIsSilent) {
    for (const bool folder : {false, true}) {
        Rig rig;
        const fs::path file = rig.base / "system" / "miss.wav";
        if (folder) {
            fs::create_directories(file);  // cannot be read
        } else {
            fs::create_directories(file.parent_path());
            WriteBytes(file, "RIFF, but not really");
        }
        rig.Start();
        const auto messages = rig.dialogs.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, Kind::Warning);
        EXPECT_EQ(messages[0].text.substr(0, PathSj(file).size() + 2), PathSj(file) + "\n\r");
        for (int i = 0; i < 3; ++i) rig.form->PlayMissSound();
        EXPECT_EQ(rig.sound.Starts(), 0);
        EXPECT_EQ(rig.dialogs.Messages().size(), 1u);
    }
}
