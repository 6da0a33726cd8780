// Plays through the real main window on the offscreen platform: keys typed into the typing
// box with QTest, timer ticks driven by hand on the fake clock, and the result dialog
// answered as a user would. Checks what the user sees and what lands in save/.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <map>

#include "app_test_support.h"
#include "dataform.h"
#include "keyrecordfile.h"
#include "sjiscodec.h"
#include "sjistext.h"
#include "widgets.h"

using namespace apptest;
using kotopa::TDataForm;
using kotopa::TMainForm;
using Kind = kotopa::platform::FakeDialogs::Kind;

namespace {

// What the result dialog showed when it opened.
struct Shown {
    bool opened = false;
    std::string memo;
    std::string message;
    bool nextEnabled = false;
};

class Player {
public:
    // A result dialog that nobody answers fails the test instead of waiting for ever.
    explicit Player(Rig& rig) : rig_(rig), form_(rig.StartShown()) {
        watchdog_.setInterval(3000);
        QObject::connect(&watchdog_, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<TDataForm*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "the result dialog was left unanswered";
                dialog->reject();
            }
        });
        watchdog_.start();
    }

    QWidget* Box() { return rig_.Get<QWidget>("ed_Nyuuryoku"); }
    std::string Yomi() { return rig_.Get<QLineEdit>("ed_Yomi")->text().toStdString(); }
    std::string Kanji() { return rig_.Get<QLineEdit>("ed_Kanji")->text().toStdString(); }
    std::string MemoTop(int lines) {
        const QStringList all = rig_.Get<QPlainTextEdit>("Memo")->toPlainText().split(QChar(u'\n'));
        return all.mid(0, lines).join(QChar(u'|')).toStdString();
    }

    void Key(char c) { QTest::keyClick(Box(), c); }
    void Keys(const char* text) { QTest::keyClicks(Box(), QString::fromLatin1(text)); }
    void Enter() { QTest::keyClick(Box(), Qt::Key_Return); }
    void Esc() { QTest::keyClick(Box(), Qt::Key_Escape); }
    void Tick(uint32_t ms) {
        rig_.clock.Advance(ms);
        form_.TimerTimer();
    }
    void Countdown() {
        for (int i = 0; i < 30; ++i) Tick(101);
    }

    // Answers the result dialog with a key as soon as it opens, noting what it showed.
    void AnswerWith(char key) {
        QTimer::singleShot(0, &form_, [this, key] {
            auto* dialog = qobject_cast<TDataForm*>(QApplication::activeModalWidget());
            if (!dialog) return;
            shown.opened = true;
            shown.memo = dialog->findChild<QPlainTextEdit*>("Memo")->toPlainText().toStdString();
            shown.message = dialog->findChild<QLabel*>("lb_mes")->text().toStdString();
            shown.nextEnabled = dialog->findChild<QPushButton*>("bt_Tugi")->isEnabled();
            QWidget* target = dialog->findChild<QPlainTextEdit*>("Memo");
            if (key == 27) {
                QTest::keyClick(target, Qt::Key_Escape);
            } else {
                QTest::keyClick(target, key);
            }
        });
    }

    Shown shown;

private:
    Rig& rig_;
    TMainForm& form_;
    QTimer watchdog_;
};

}  // namespace

TEST(Play, AWholeActTypedKeyByKeyIsShownCountedAndRecorded) {
    Rig rig;
    Player p(rig);
    TMainForm& form = *rig.form;

    // Enter in the typing box starts the play: the countdown bar, the first lines in the memo.
    p.Enter();
    EXPECT_EQ(form.GameState(), PlayState::Countdown);
    EXPECT_EQ(p.Yomi(), "123456789#*********#**********");
    EXPECT_EQ(p.Kanji(), "愛〆");
    EXPECT_EQ(p.MemoTop(4), "家|上|愛|Act01 1");
    EXPECT_TRUE(rig.Get<QWidget>("bt_end")->isEnabled());
    for (const char* off : {"bt_start", "bt_FileOpen", "bt_Glaph", "bt_ViewOpen", "GroupBox_Opt1",
                            "GroupBox_Opt2", "CheckSave"}) {
        EXPECT_FALSE(rig.Get<QWidget>(off)->isEnabled()) << off;
    }
    EXPECT_TRUE(form.Timer().isActive());
    EXPECT_EQ(form.Timer().interval(), 1);
    EXPECT_EQ(form.Timer().timerType(), Qt::PreciseTimer);

    // Keys during the countdown are not judged; the bar loses a character per step.
    p.Key('a');
    p.Tick(100);
    EXPECT_EQ(p.Yomi().size(), 30u) << "a step waits strictly more than 100 ms";
    p.Tick(1);
    EXPECT_EQ(p.Yomi(), "123456789#*********#*********");
    for (int i = 0; i < 29; ++i) p.Tick(101);
    EXPECT_EQ(form.GameState(), PlayState::Typing);
    EXPECT_EQ(p.Yomi(), "あい〆");
    EXPECT_EQ(rig.Get<QListWidget>("lst_1")->item(0)->text().toStdString(), "a");

    // Line 1, two seconds in.
    p.Tick(2000);
    p.Key('a');
    EXPECT_EQ(p.Yomi(), "い〆");
    EXPECT_EQ(rig.Get<QLineEdit>("ed_Nyuuryoku")->text().toStdString(), "");
    p.Key('i');
    EXPECT_EQ(form.GameState(), PlayState::LineComplete);
    EXPECT_EQ(rig.Get<QListWidget>("lst_2")->item(0)->text().toStdString(), "Enter!");
    EXPECT_EQ(rig.Get<QListWidget>("lst_3")->item(0)->text().toStdString(), "■ →");
    p.Enter();
    p.Tick(0);
    EXPECT_EQ(rig.Text("lb_Mozi"), "    3");
    EXPECT_EQ(rig.Text("lb_Keika"), "00:02");
    EXPECT_EQ(rig.Text("lb_Daken"), "  90");
    EXPECT_EQ(rig.Text("lb_Sokudo"), "  90");
    EXPECT_EQ(rig.Text("lb_Mondai"), "  2 /   6");
    EXPECT_EQ(p.MemoTop(2), "青い|家");

    // Line 2 with a mistype: counted, sounded, nothing removed.
    p.Tick(2000);
    p.Key('x');
    EXPECT_EQ(rig.sound.Starts(), 1);
    EXPECT_EQ(p.Yomi(), "うえ〆");
    p.Keys("ue");
    p.Enter();
    p.Tick(0);
    EXPECT_EQ(rig.Text("Lb_Miss"), "    1");

    const std::pair<const char*, uint32_t> rest[] = {{"ie", 2000}, {"aoi", 2000}, {"oi", 2000}};
    for (const auto& [keys, ms] : rest) {
        p.Tick(ms);
        p.Keys(keys);
        p.Enter();
    }
    EXPECT_EQ(p.MemoTop(3), "[ EOF ]|[ EOF ]|言う") << "the memo runs out before the last line";
    p.Tick(2000);
    p.Keys("iu");
    p.AnswerWith('c');
    p.Enter();  // the last Enter ends the play and opens the result dialog

    ASSERT_TRUE(p.shown.opened);
    const std::string summary =
        "■Act         Act01\n"
        "■経過時間    00:12\n"
        "■打鍵数 (/分)   95 ■文字数 (/分)   95\n"
        "■文字数         19 ■タイプ数       19\n"
        "■ミスタイプ      1 ■正解タイプ率   95.00%\n"
        "☆ 最高打鍵数を [ 95 ] 更新しました !! \n"
        "☆ 最高文字数を [ 95 ] 更新しました !! ";
    EXPECT_EQ(p.shown.memo, summary);
    EXPECT_EQ(p.shown.message, "もう一度プレイしますか ?");
    EXPECT_FALSE(p.shown.nextEnabled);

    // Cancel: the Act is loaded afresh and the window is idle again.
    EXPECT_EQ(form.GameState(), PlayState::Idle);
    EXPECT_FALSE(form.Timer().isActive());
    EXPECT_TRUE(rig.Get<QWidget>("bt_start")->isEnabled());
    EXPECT_FALSE(rig.Get<QWidget>("bt_end")->isEnabled());
    EXPECT_TRUE(rig.Get<QWidget>("GroupBox_Opt1")->isEnabled());
    EXPECT_TRUE(rig.Get<QWidget>("bt_Glaph")->isEnabled());
    EXPECT_EQ(rig.Text("lb_Kaisu"), "    2");
    EXPECT_EQ(rig.Text("lb_TopNyu"), "   95");

    // The records, byte for byte.
    EXPECT_EQ(ReadBytes(rig.base / "save" / "record.lst"), "12 95 1\r\n");
    EXPECT_EQ(ReadBytes(rig.base / "save" / "Act01.lst"), "12 95 1\r\n");
    const kotopa::KeyRecordFile keys =
        kotopa::ParseKeyRecordFile(ReadBytes(rig.base / "save" / "keyrecord.txt"));
    EXPECT_EQ(keys.unreadable, 0);
    ASSERT_EQ(keys.plays.size(), 1u);
    EXPECT_EQ(keys.plays[0].stamp, "20240506070809");
    EXPECT_EQ(keys.plays[0].actName, "Act01");
    EXPECT_EQ(keys.plays[0].record.Mistypes().size(), 1u);
    EXPECT_NE(rig.Settings().find("[TOP]\r\nKEY=95\r\nMOZI=95\r\n[PLAY]\r\nCOUNT=2\r\n"),
              std::string::npos)
        << U8(rig.Settings());
    std::string log = Sj("20240506070809 -----\r\n■出題 標準\r\n■終了条件 ファイル末尾   6\r\n");
    QString lines = QString::fromStdString(summary);
    for (const QString& line : lines.split(QChar(u'\n'))) log += Sj(line.toStdString()) + "\r\n";
    log += "\r\n";
    EXPECT_EQ(ReadBytes(rig.base / "save" / "playlog.log"), log);
}

TEST(Play, NextActAndPlayAgainFromTheResultDialog) {
    Rig rig;
    rig.WriteAct("Act02.ktp", SixLines());
    Player p(rig);
    TMainForm& form = *rig.form;
    const auto playThrough = [&](char answer) {
        p.Enter();
        p.Countdown();
        for (const char* keys : {"ai", "ue", "ie", "aoi", "oi"}) {
            p.Keys(keys);
            p.Enter();
        }
        p.Tick(1500);
        p.Keys("iu");
        p.AnswerWith(answer);
        p.Enter();
    };

    playThrough('r');
    EXPECT_EQ(p.shown.message, "次のAct [ Act02 ] に進めます。");
    EXPECT_TRUE(p.shown.nextEnabled);
    // Play again: a new countdown on the same Act, the new play count shown, options still off.
    EXPECT_EQ(form.GameState(), PlayState::Countdown);
    EXPECT_EQ(rig.Text("lb_Kaisu"), "    2");
    EXPECT_FALSE(rig.Get<QWidget>("GroupBox_Opt1")->isEnabled());
    EXPECT_TRUE(rig.Get<QWidget>("bt_end")->isEnabled());
    EXPECT_EQ(p.Kanji(), "愛〆");

    p.shown = {};
    p.AnswerWith('c');
    p.Esc();  // stop the second play during its countdown
    ASSERT_TRUE(p.shown.opened);
    EXPECT_EQ(p.shown.message, "途中で終了しました。");
    p.shown = {};
    playThrough('n');
    EXPECT_EQ(form.ActPath(), rig.base / "ktp" / "Act02.ktp");
    EXPECT_EQ(rig.form->windowTitle().toStdString(), "KotoPA  [ Act02 ]");
    EXPECT_EQ(form.GameState(), PlayState::Idle);
    // Two recorded plays of 19 characters in one whole second; the stopped one left nothing.
    EXPECT_EQ(ReadBytes(rig.base / "save" / "record.lst"), "1 1140 0\r\n1 1140 0\r\n");
}

TEST(Play, StoppedPlaysShowWhatHappenedAndRecordNothing) {
    {
        SCOPED_TRACE("Esc during the countdown");
        Rig rig;
        Player p(rig);
        p.Enter();
        p.Tick(101);
        p.AnswerWith(27);
        p.Esc();
        ASSERT_TRUE(p.shown.opened);
        EXPECT_EQ(p.shown.message, "途中で終了しました。");
        EXPECT_NE(p.shown.memo.find("■ミスタイプ      0 ■正解タイプ率    0.00%"), std::string::npos)
            << p.shown.memo;
        EXPECT_EQ(rig.form->GameState(), PlayState::Idle);
        EXPECT_FALSE(fs::exists(rig.base / "save" / "record.lst"));
        EXPECT_FALSE(fs::exists(rig.base / "save" / "playlog.log"));
    }
    {
        SCOPED_TRACE("the end button while typing");
        Rig rig;
        Player p(rig);
        p.Enter();
        p.Countdown();
        p.Keys("a");
        p.AnswerWith('c');
        rig.Get<QPushButton>("bt_end")->click();
        ASSERT_TRUE(p.shown.opened);
        EXPECT_EQ(p.shown.message, "途中で終了しました。");
        EXPECT_FALSE(fs::exists(rig.base / "save" / "record.lst"));
    }
    {
        SCOPED_TRACE("記録しない ticked");
        Rig rig;
        Player p(rig);
        rig.Get<QCheckBox>("CheckSave")->setChecked(true);
        p.Enter();
        p.Countdown();
        for (const char* keys : {"ai", "ue", "ie", "aoi", "oi"}) {
            p.Keys(keys);
            p.Enter();
        }
        p.Keys("iu");
        p.AnswerWith('c');
        p.Enter();
        EXPECT_EQ(p.shown.message, "このデータは記録されません。");
        EXPECT_FALSE(fs::exists(rig.base / "save" / "record.lst"));
        EXPECT_EQ(rig.Text("lb_Kaisu"), "    1");
    }
}

TEST(Play, TheOptionControlsReachThePlayAndItsRecord) {
    {
        SCOPED_TRACE("seconds: the timer ends the play at the limit, recorded as finished");
        Rig rig;
        rig.WriteSettings("[PLAY]\r\nENDEOF=0\r\nENDMILI=1\r\nVALUE=5\r\n");
        Player p(rig);
        p.Enter();
        p.Countdown();
        p.Keys("ai");
        p.Enter();
        p.Keys("u");
        p.Tick(4999);
        EXPECT_EQ(rig.form->GameState(), PlayState::Typing);
        p.AnswerWith('c');
        p.Tick(1);
        ASSERT_TRUE(p.shown.opened);
        EXPECT_NE(p.shown.message, "途中で終了しました。");
        EXPECT_EQ(ReadBytes(rig.base / "save" / "record.lst"), "5 48 0\r\n");
        const std::string log = ReadBytes(rig.base / "save" / "playlog.log");
        EXPECT_NE(log.find(Sj("■終了条件 指定時間       5\r\n")), std::string::npos) << U8(log);
    }
    {
        SCOPED_TRACE("lines");
        Rig rig;
        rig.WriteSettings("[PLAY]\r\nENDEOF=0\r\nENDGYOU=1\r\nVALUE=5\r\n");
        Player p(rig);
        p.Enter();
        p.Countdown();
        for (const char* keys : {"ai", "ue", "ie", "aoi"}) {
            p.Keys(keys);
            p.Enter();
        }
        p.Keys("oi");
        p.AnswerWith('c');
        p.Enter();
        ASSERT_TRUE(p.shown.opened);
        const std::string log = ReadBytes(rig.base / "save" / "playlog.log");
        EXPECT_NE(log.find(Sj("■終了条件 指定行         5\r\n")), std::string::npos) << U8(log);
    }
    {
        SCOPED_TRACE("NOMAL=1 and RANDOM=1: random");
        Rig rig;
        rig.WriteSettings("[PLAY]\r\nNOMAL=1\r\nRANDOM=1\r\n");
        // Six swaps of two draws each; the first swaps lines 0 and 4.
        rig.random.script = {4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        Player p(rig);
        EXPECT_TRUE(rig.Get<QRadioButton>("rd_Random")->isChecked());
        p.Enter();
        EXPECT_EQ(rig.random.seeds, 1);
        EXPECT_EQ(p.Kanji(), "甥〆");
    }
    {
        SCOPED_TRACE("no order selected: the normal order");
        Rig rig;
        rig.WriteSettings("[PLAY]\r\nNOMAL=0\r\nRANDOM=0\r\n");
        Player p(rig);
        EXPECT_FALSE(rig.Get<QRadioButton>("rd_Nomal")->isChecked());
        EXPECT_FALSE(rig.Get<QRadioButton>("rd_Random")->isChecked());
        p.Enter();
        EXPECT_EQ(rig.random.seeds, 0);
        EXPECT_EQ(p.Kanji(), "愛〆");
    }
}

TEST(Play, TheMistypeSoundFollowsItsOption) {
    Rig rig;
    Player p(rig);
    rig.Get<QCheckBox>("ch_miss")->setChecked(false);
    p.Enter();
    p.Countdown();
    p.Keys("ai");
    p.Key('q');  // the line is complete: only Enter goes on
    EXPECT_EQ(rig.sound.Starts(), 0) << "silent while the option is off";
    rig.Get<QCheckBox>("ch_miss")->setChecked(true);  // usable during a play
    p.Key('q');
    EXPECT_EQ(rig.sound.Starts(), 1);
}

TEST(Play, TheRomajiGuideFollowsTheSpellingTypedAndItsOptionIsStored) {
    Rig rig;
    {
        Player p(rig);
        auto* guide = rig.Get<QCheckBox>("ch_Guide");
        EXPECT_FALSE(guide->isChecked());  // off by default
        auto* yomi = rig.Get<kotopa::ReadingBox>("ed_Yomi");
        p.Enter();
        p.Countdown();
        EXPECT_FALSE(yomi->GuideOn()) << "off: the reading box as it always was";
        EXPECT_EQ(p.Yomi(), "あい〆");
        p.AnswerWith(27);
        p.Esc();
        ASSERT_TRUE(p.shown.opened);
        EXPECT_TRUE(guide->isEnabled());
        guide->setChecked(true);
        rig.form->close();
    }
    EXPECT_NE(rig.Settings().find("GUIDE=1\r\n"), std::string::npos) << rig.Settings();
    rig.form.reset();

    Player p(rig);
    auto* guide = rig.Get<QCheckBox>("ch_Guide");
    ASSERT_TRUE(guide->isChecked()) << "read back at start-up";
    auto* yomi = rig.Get<kotopa::ReadingBox>("ed_Yomi");
    p.Enter();
    EXPECT_FALSE(guide->isEnabled());  // it steers the next play
    EXPECT_FALSE(yomi->GuideOn()) << "not over the countdown bar";
    p.Countdown();
    EXPECT_TRUE(yomi->GuideOn());
    EXPECT_EQ(yomi->GuideRest().toStdString(), "ai");
    p.Keys("ai");
    p.Enter();
    // う is typed u, wu or whu: the guide takes up the spelling begun.
    EXPECT_EQ(yomi->GuideRest().toStdString(), "ue");
    p.Key('w');
    EXPECT_EQ(yomi->GuideTyped().toStdString(), "w");
    EXPECT_EQ(yomi->GuideRest().toStdString(), "ue");
    p.Key('h');
    EXPECT_EQ(yomi->GuideTyped().toStdString(), "wh");
    p.Key('u');
    EXPECT_EQ(yomi->GuideTyped().toStdString(), "");
    EXPECT_EQ(yomi->GuideRest().toStdString(), "e");
    EXPECT_EQ(p.Yomi(), "え〆");
    EXPECT_EQ(rig.form->Session().Counts().MissCount, 0);
}

TEST(Play, StartWithTheKeyPanelOpenClosesItFirst) {
    Rig rig;
    Player p(rig);
    TMainForm& form = *rig.form;
    const QPoint start = form.pos();
    rig.Slide("bt_ViewOpen");
    ASSERT_EQ(form.height(), 410);
    rig.Get<QPushButton>("bt_start")->click();
    rig.WaitForSlide();
    EXPECT_EQ(form.size(), QSize(500, 275));
    EXPECT_EQ(form.pos(), start);
    EXPECT_EQ(form.GameState(), PlayState::Countdown);
    EXPECT_FALSE(rig.Get<QWidget>("bt_ViewOpen")->isEnabled());
    // The option panel may still slide during the play.
    rig.Slide("bt_Opt");
    EXPECT_EQ(form.size(), QSize(600, 275));
}

TEST(Play, ARecordThatCannotBeWrittenIsReportedAndNotClaimed) {
    Rig rig;
    Player p(rig);
    fs::create_directories(rig.base / "save" / "record.lst");  // a folder in the file's place
    p.Enter();
    p.Countdown();
    for (const char* keys : {"ai", "ue", "ie", "aoi", "oi"}) {
        p.Keys(keys);
        p.Enter();
    }
    p.Tick(1000);
    p.Keys("iu");
    p.AnswerWith('c');
    p.Enter();
    const auto messages = rig.dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Warning);
    EXPECT_EQ(
        messages[0].text.substr(0, kotopa::PathToSjis(rig.base / "save" / "record.lst").size()),
        kotopa::PathToSjis(rig.base / "save" / "record.lst"));
    ASSERT_TRUE(p.shown.opened);
    EXPECT_EQ(p.shown.memo.find("☆"), std::string::npos) << "no best is claimed";
    EXPECT_EQ(rig.Text("lb_Kaisu"), "    1");
    EXPECT_FALSE(fs::exists(rig.base / "save" / "Act01.lst"));
}

TEST(Play, TheTimerSleepsUntilThePlayCanChangeAndTicksRightAfterKeys) {
    Rig rig;
    Player p(rig);
    TMainForm& form = *rig.form;
    QTimer& timer = form.Timer();
    p.Enter();
    EXPECT_EQ(timer.interval(), 1);
    p.Tick(0);
    EXPECT_EQ(timer.interval(), 101) << "the first countdown step is due after more than 100 ms";
    p.Tick(50);
    EXPECT_EQ(timer.interval(), 51);
    p.Tick(51);
    EXPECT_EQ(timer.interval(), 101);
    for (int i = 0; i < 29; ++i) p.Tick(101);
    ASSERT_EQ(form.GameState(), PlayState::Typing);
    EXPECT_EQ(timer.interval(), 1000) << "typing: the next whole second";
    p.Key('a');
    EXPECT_EQ(timer.interval(), 1) << "after a key the counters show a millisecond later";
    p.Tick(300);
    EXPECT_EQ(timer.interval(), 700);
    p.Key('i');  // the line is complete; the clock runs on
    p.Tick(700);
    EXPECT_EQ(timer.interval(), 1000);
    EXPECT_EQ(rig.Text("lb_Keika"), "00:01");
    p.AnswerWith('c');
    p.Esc();
    EXPECT_FALSE(timer.isActive());
}

TEST(Play, TheTimerWaitsTheSameAcrossTheWrapOfTheTickCounter) {
    kotopa::KeyTable table;
    table.LoadKeyBytes(KeyFile());
    testutil::FakeRandom random;
    kotopa::PlaySession session(table, random);
    kotopa::ActLoad load;
    load.refusal = load.script.Parse(ActText(SixLines()));
    load.headerRead = true;
    session.LoadAct(std::move(load));
    // A countdown step due after the counter wraps.
    uint32_t now = 0xFFFFFFFFu - 20;
    ASSERT_TRUE(session.StartPlay(kotopa::PlayOptions{}, now));
    EXPECT_EQ(kotopa::NextTickDelay(session, now + 40), 61u);
    ASSERT_TRUE(session.Stop(now));
    EXPECT_EQ(kotopa::NextTickDelay(session, now), 0u);
    // The next whole second of a typing clock that started before the wrap.
    now = 0xFFFFFFFFu - 5000;
    ASSERT_TRUE(session.Replay(kotopa::PlayOptions{}, now));
    for (int i = 0; i < 30; ++i) session.OnTick(now += 101);
    ASSERT_EQ(session.GameState(), PlayState::Typing);
    ASSERT_GT(now + 2300, 0u);
    ASSERT_LT(now + 2300, now) << "the counter has wrapped";
    EXPECT_EQ(kotopa::NextTickDelay(session, now + 2300), 700u);
}

// The kana style: keys are judged by their place on the kana keyboard, whatever character
// the layout gives, the lists show the kana on the keys, and the play is recorded apart.
TEST(Play, TheKanaStyleJudgesKeysByPlaceAndRecordsApart) {
    Rig rig;
    WriteBytes(rig.base / "key" / "mykana.key",
               Sj("[MOZI]\r\nKAZU=7\r\n0=\"あ 3\"\r\n1=\"い e\"\r\n2=\"ぃ E\"\r\n3=\"う 4\"\r\n"
                  "4=\"え 5\"\r\n5=\"お 6\"\r\n6=\"○ ○\"\r\n"));
    rig.WriteSettings("[PLAY]\r\nKANA=1\r\n");
    Player p(rig);
    EXPECT_TRUE(rig.Get<QRadioButton>("rd_Kana")->isChecked());
    EXPECT_TRUE(rig.form->Keys().Rules().IsCaseSensitive());  // key/mykana.key was read
    // A key event as the platform gives it: the scan code of the place (X11: evdev + 8) and
    // a character the kana layout would not give there.
    const auto place = [&](uint32_t scan, bool shift = false) {
#ifdef Q_OS_WIN
        const uint32_t native = scan;
#else
        const uint32_t native = scan + 8;
#endif
        QKeyEvent event(QEvent::KeyPress, Qt::Key_Q, shift ? Qt::ShiftModifier : Qt::NoModifier,
                        native, 0, 0, QStringLiteral("q"));
        QApplication::sendEvent(p.Box(), &event);
    };
    const std::map<std::string, uint32_t> scans = {
        {"あ", 0x04}, {"い", 0x12}, {"う", 0x05}, {"え", 0x06}, {"お", 0x07}};
    p.Enter();
    p.Countdown();
    ASSERT_EQ(rig.form->GameState(), PlayState::Typing);
    EXPECT_EQ(rig.Get<QListWidget>("lst_1")->item(0)->text().toStdString(), "あ");
    place(0x04);
    EXPECT_EQ(rig.Get<QListWidget>("lst_1")->item(0)->text().toStdString(), "い");
    place(0x12, true);  // Shift: ぃ, a mistype here
    EXPECT_EQ(rig.form->Session().Counts().MissCount, 1);
    place(0x12);
    EXPECT_EQ(rig.form->GameState(), PlayState::LineComplete);
    EXPECT_EQ(rig.Get<QListWidget>("lst_2")->item(0)->text().toStdString(), "Enter!");
    p.Enter();
    for (const char* line : {"うえ", "いえ", "あおい", "おい", "いう"}) {
        const std::u16string kana = kotopa::Utf8ToUtf16(line);
        for (const char16_t c : kana) place(scans.at(kotopa::Utf16ToUtf8(std::u16string(1, c))));
        p.Tick(1000);
        if (std::string(line) == "いう") p.AnswerWith('c');
        p.Enter();
    }
    ASSERT_TRUE(p.shown.opened);
    EXPECT_EQ(rig.form->Session().Counts().MissCount, 1);
    // Kana lists and bests; the romaji ones untouched.
    EXPECT_TRUE(fs::exists(rig.base / "save" / "record-kana.lst"));
    EXPECT_TRUE(fs::exists(rig.base / "save" / "Act01-kana.lst"));
    EXPECT_FALSE(fs::exists(rig.base / "save" / "record.lst"));
    EXPECT_FALSE(fs::exists(rig.base / "save" / "Act01.lst"));
    EXPECT_NE(rig.Settings().find("[KANA]\r\nKEY="), std::string::npos) << U8(rig.Settings());
    EXPECT_EQ(rig.Settings().find("[TOP]"), std::string::npos) << U8(rig.Settings());

    // Back to romaji: its table, its (empty) lists and bests; the choice is kept at exit.
    rig.Get<QRadioButton>("rd_Romaji")->click();
    EXPECT_FALSE(rig.form->Keys().Rules().IsCaseSensitive());
    EXPECT_TRUE(rig.form->ActRecords().empty());
    EXPECT_EQ(rig.Text("lb_Kaisu"), "    1");
    rig.form->close();
    EXPECT_NE(rig.Settings().find("KANA=0\r\n"), std::string::npos) << U8(rig.Settings());
}

// The guide in the kana style spells the keys still to type as the kana on them, not as the
// key file's tokens.
TEST(Play, TheGuideInTheKanaStyleShowsTheKanaOnTheKeys) {
    Rig rig;
    WriteBytes(rig.base / "key" / "mykana.key",
               Sj("[MOZI]\r\nKAZU=7\r\n0=\"あ 3\"\r\n1=\"い e\"\r\n2=\"ぃ E\"\r\n3=\"う 4\"\r\n"
                  "4=\"え 5\"\r\n5=\"お 6\"\r\n6=\"○ ○\"\r\n"));
    rig.WriteSettings("[PLAY]\r\nKANA=1\r\nGUIDE=1\r\n");
    Player p(rig);
    auto* yomi = rig.Get<kotopa::ReadingBox>("ed_Yomi");
    p.Enter();
    p.Countdown();
    ASSERT_TRUE(yomi->GuideOn());
    EXPECT_EQ(yomi->GuideRest().toStdString(), "あい");
#ifdef Q_OS_WIN
    const uint32_t native = 0x04;
#else
    const uint32_t native = 0x04 + 8;
#endif
    QKeyEvent event(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, native, 0, 0, QStringLiteral("q"));
    QApplication::sendEvent(p.Box(), &event);  // the key of あ
    EXPECT_EQ(yomi->GuideTyped().toStdString(), "");
    EXPECT_EQ(yomi->GuideRest().toStdString(), "い");
    EXPECT_EQ(rig.form->Session().Counts().MissCount, 0);
}
