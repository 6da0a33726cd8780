#include "settings.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "messages.h"
#include "printers.h"
#include "test_util.h"

using namespace kotopa;
using testutil::ReadBytes;
using testutil::Sj;
using testutil::TempDir;
using testutil::WriteBytes;

namespace {

Settings FromText(std::string_view text) {
    IniFile ini;
    ini.LoadBytes(text);
    return ReadSettings(ini);
}

}  // namespace

TEST(Settings, NoFileGivesTheDefaults) {
    TempDir dir;
    const SettingsLoad load = LoadSettings(dir / "kotopa.ini");
    EXPECT_EQ(load.status, ReadStatus::Missing);
    const Settings& s = load.settings;
    EXPECT_EQ(s.bests, (Bests{0, 0, 1}));
    EXPECT_EQ(s.order, ProblemOrder::Normal);
    EXPECT_EQ(s.end, EndCondition::Eof);
    EXPECT_EQ(s.value, 60);
    EXPECT_TRUE(s.sound);
    EXPECT_EQ(s.last, "NASI");
    const PlayInfoLabels info = FormatPlayInfo(s.bests);
    EXPECT_EQ(info.lb_Kaisu, "    1");
    EXPECT_EQ(info.lb_TopNyu, "    0");
    EXPECT_EQ(info.lb_TopTime, "    0");
    const OptionLabels l = StartupOptionLabels(s.end, s.value);
    EXPECT_FALSE(l.sp_TimeEnabled);
    EXPECT_EQ(l.lb_Seigen, "00:00");
    // "EOF(標準)" is selected by design, so applying it runs no click handler: the problem
    // label keeps its design caption.
    EXPECT_EQ(l.lb_Mondai, "000 / 000");
}

TEST(Settings, ValueIsBroughtIntoRangeOrDefaulted) {
    EXPECT_EQ(FromText("[PLAY]\r\nVALUE=1000\r\n").value, 999);
    EXPECT_EQ(FromText("[PLAY]\r\nVALUE=3\r\n").value, 5);
    EXPECT_EQ(FromText("[PLAY]\r\nVALUE=-20\r\n").value, 5);
    EXPECT_EQ(FromText("[PLAY]\r\nVALUE=abc\r\n").value, 60);
    EXPECT_EQ(FromText("[PLAY]\r\nVALUE=12.5\r\n").value, 60);
    EXPECT_EQ(FromText("[play]\r\nvalue= 90 \r\n").value, 90);  // names in any case, blanks trimmed
    const Settings s = FromText("[TOP]\nKEY=250\nMOZI=x\n[PLAY]\nCOUNT=17\nSOUND=0\n");
    EXPECT_EQ(s.bests, (Bests{250, 0, 17}));
    EXPECT_FALSE(s.sound);
    EXPECT_FALSE(s.guide);  // the romaji guide is off unless the file turns it on
    EXPECT_TRUE(FromText("[PLAY]\nGUIDE=1\n").guide);
}

TEST(Settings, RadioKeysTheLastSelectedWinsAndNoneLeavesTheGroupEmpty) {
    EXPECT_EQ(FromText("[PLAY]\nNOMAL=1\nRANDOM=1\n").order, ProblemOrder::Random);
    EXPECT_EQ(FromText("[PLAY]\nRANDOM=5\n").order, ProblemOrder::Random);  // any non-zero is true
    EXPECT_EQ(FromText("[PLAY]\nENDEOF=1\nENDMILI=1\nENDGYOU=1\n").end, EndCondition::Lines);
    EXPECT_EQ(FromText("[PLAY]\nENDMILI=1\n").end, EndCondition::Seconds);

    const Settings none =
        FromText("[PLAY]\nNOMAL=0\nRANDOM=0\nENDEOF=0\nENDMILI=0\nENDGYOU=0\nVALUE=20\n");
    EXPECT_FALSE(none.order.has_value());
    EXPECT_FALSE(none.end.has_value());
    // The play runs as with the default buttons.
    const PlayOptions o = none.Options();
    EXPECT_EQ(o.end, EndCondition::Eof);
    EXPECT_EQ(o.order, ProblemOrder::Normal);
    // The labels keep their design captions and the spin box stays disabled.
    EXPECT_EQ(StartupOptionLabels(none.end, none.value), OptionLabels{});
}

TEST(Settings, ShutdownWritesEightKeysInOrderAndLastInQuotes) {
    TempDir dir;
    const auto path = dir / "kotopa.ini";
    Settings s;
    s.order = ProblemOrder::Random;
    s.end = EndCondition::Seconds;
    s.value = 90;
    s.sound = false;
    s.guide = true;
    s.last = "C:\\a b\\ktp\\Act02.ktp";
    ASSERT_TRUE(SaveShutdownSettings(path, s));
    EXPECT_EQ(ReadBytes(path),
              "[PLAY]\r\nNOMAL=0\r\nRANDOM=1\r\nENDEOF=0\r\nENDMILI=1\r\nENDGYOU=0\r\nVALUE=90\r\n"
              "SOUND=0\r\nGUIDE=1\r\n[FILE]\r\nLAST=\"C:\\a b\\ktp\\Act02.ktp\"\r\n");
    const Settings back = LoadSettings(path).settings;
    EXPECT_EQ(back.last, s.last);
    EXPECT_EQ(back.order, s.order);
    EXPECT_EQ(back.end, s.end);
    EXPECT_EQ(back.value, 90);
    EXPECT_FALSE(back.sound);
    EXPECT_TRUE(back.guide);
    EXPECT_TRUE(back.Options().romajiGuide);
    // Once in the file the key follows the option; a file that never had it on stays without.
    s.guide = false;
    ASSERT_TRUE(SaveShutdownSettings(path, s));
    EXPECT_NE(ReadBytes(path).find("SOUND=0\r\nGUIDE=0\r\n"), std::string::npos);
    const auto fresh = dir / "fresh.ini";
    ASSERT_TRUE(SaveShutdownSettings(fresh, s));
    EXPECT_EQ(ReadBytes(fresh).find("GUIDE"), std::string::npos);

    // Blanks at the ends of a path survive only thanks to the quotes.
    s.last = Sj(" C:\\ゲーム\\a.ktp ");
    ASSERT_TRUE(SaveShutdownSettings(path, s));
    EXPECT_EQ(LoadSettings(path).settings.last, s.last);

    // A path with a line break would turn into lines of its own: no last Act is stored.
    s.last = "/tmp/x\n[TOP]\nKEY=9999\n.ktp";
    ASSERT_TRUE(SaveShutdownSettings(path, s));
    EXPECT_EQ(LoadSettings(path).settings.last, "NASI");
    EXPECT_EQ(LoadSettings(path).settings.bests.BestKeysPerMin, 0);

    // With no button of a group selected, every key of the group is written as 0.
    s.end.reset();
    ASSERT_TRUE(SaveShutdownSettings(path, s));
    EXPECT_FALSE(LoadSettings(path).settings.end.has_value());
}

TEST(Settings, TheShutdownWriteKeepsTheBestsAndForeignLines) {
    TempDir dir;
    const auto path = dir / "kotopa.ini";
    WriteBytes(
        path,
        "; my notes\r\n[TOP]\r\nKEY=310\r\nMOZI=205\r\n[EXTRA]\r\nX=1\r\n[PLAY]\r\nCOUNT=42\r\n");
    Settings s;
    s.last = "ktp/Act05.ktp";
    ASSERT_TRUE(SaveShutdownSettings(path, s));
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.rfind("; my notes\r\n[TOP]\r\nKEY=310\r\nMOZI=205\r\n[EXTRA]\r\nX=1\r\n", 0),
              0u)
        << bytes;
    const Settings back = LoadSettings(path).settings;
    EXPECT_EQ(back.bests, (Bests{310, 205, 42}));
    EXPECT_EQ(back.last, "ktp/Act05.ktp");
    EXPECT_EQ(back.end, EndCondition::Eof);
}

TEST(Settings, AFileThatCannotBeReadOrWrittenIsNotReplaced) {
    TempDir dir;
    std::filesystem::create_directory(dir / "kotopa.ini");  // exists, but is no file
    EXPECT_EQ(LoadSettings(dir / "kotopa.ini").status, ReadStatus::Unreadable);
    EXPECT_FALSE(SaveShutdownSettings(dir / "kotopa.ini", Settings{}));
    EXPECT_FALSE(SaveShutdownSettings(dir / "no-such-folder" / "kotopa.ini", Settings{}));
#ifndef _WIN32
    // Something that could be replaced but not read (a pipe) is kept.
    const auto pipe = dir / "pipe.ini";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(SaveShutdownSettings(pipe, Settings{}));
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
#endif
}

TEST(SettingsControls, EndConditionButtonsSetTheLabels) {
    OptionLabels l = EndConditionClicked(EndCondition::Seconds, 90);
    EXPECT_EQ(l.lb_Seigen, "01:30");
    EXPECT_EQ(l.lb_Mondai, "  0 /   0");
    EXPECT_TRUE(l.sp_TimeEnabled);
    l = EndConditionClicked(EndCondition::Lines, 20);
    EXPECT_EQ(l.lb_Seigen, "00:00");
    EXPECT_EQ(l.lb_Mondai, "  0 /  20");
    EXPECT_TRUE(l.sp_TimeEnabled);
    l = EndConditionClicked(EndCondition::Eof, 20);
    EXPECT_EQ(l.lb_Seigen, "00:00");
    EXPECT_EQ(l.lb_Mondai, "  0 /   0");
    EXPECT_FALSE(l.sp_TimeEnabled);
    EXPECT_EQ(EndConditionClicked(EndCondition::Seconds, 999).lb_Seigen, "16:39");
}

TEST(SettingsControls, SpinBoxBoundsAndExitCheck) {
    EXPECT_EQ(ClampSpinValue(1000), 999);
    EXPECT_EQ(ClampSpinValue(-4), 5);

    SpinExit e = SpinTimeExit("3");
    EXPECT_FALSE(e.showMessage);
    EXPECT_EQ(e.value, 5);
    e = SpinTimeExit("1000");
    EXPECT_FALSE(e.showMessage);
    EXPECT_EQ(e.value, 999);
    for (const char* bad : {"", "-", "+", "1.5", "1,5", "abc"}) {
        e = SpinTimeExit(bad);
        EXPECT_TRUE(e.showMessage) << bad;
        EXPECT_EQ(e.value, 60) << bad;
    }
    EXPECT_EQ(std::string(msg::kSpinRange), Sj("5 - 999 までの数字を入力して下さい。"));
}

TEST(SettingsControls, EditingTheSpinTextUpdatesOnlyTheSelectedConditionsLabel) {
    SpinTextLabels t = SpinTextChanged("120", EndCondition::Seconds);
    EXPECT_EQ(t.lb_Seigen, "02:00");
    EXPECT_FALSE(t.lb_Mondai);
    t = SpinTextChanged("12", EndCondition::Lines);
    EXPECT_EQ(t.lb_Mondai, "  0 /  12");
    EXPECT_FALSE(t.lb_Seigen);
    t = SpinTextChanged("", EndCondition::Lines);
    EXPECT_EQ(t.lb_Mondai, "  0 /   0");
    t = SpinTextChanged("-5", EndCondition::Seconds);
    EXPECT_EQ(t.lb_Seigen, "00:00");
    t = SpinTextChanged("120", EndCondition::Eof);
    EXPECT_FALSE(t.lb_Seigen || t.lb_Mondai);
    t = SpinTextChanged("120", std::nullopt);
    EXPECT_FALSE(t.lb_Seigen || t.lb_Mondai);
}

TEST(SettingsResume, AskedOnlyForAnotherExistingAct) {
    EXPECT_FALSE(ShouldAskResume("NASI", "/k/ktp/Act01.ktp", true));
    EXPECT_FALSE(ShouldAskResume("/k/ktp/Act01.ktp", "/k/ktp/Act01.ktp", true));
    EXPECT_FALSE(ShouldAskResume("/k/ktp/Act03.ktp", "/k/ktp/Act01.ktp", false));
    EXPECT_TRUE(ShouldAskResume("/k/ktp/ACT01.ktp", "/k/ktp/Act01.ktp", true));  // exact comparison
    EXPECT_EQ(ResumeQuestionText("C:\\x\\Act03.ktp"),
              Sj("前回プレイした内容") + "\n\rC:\\x\\Act03.ktp\n\r" + Sj("を読み込みますか ?"));
}

// FILE/LAST: the full path where Shift_JIS holds it, else the path under BaseDir, else NASI;
// read back either way.
TEST(SettingsResume, StoredActPathsShiftJisCannotHold) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path("/") / "Users";
    const fs::path zoe = root / PathFromUtf8("Zoë") / "KotoPA";
    const fs::path taro = root / PathFromUtf8("太郎") / "KotoPA";
    const fs::path act02 = fs::path("ktp") / "Act02.ktp";
    const struct {
        fs::path act, base;
        std::string stored;  // empty: NASI
        const char* why;
    } cases[] = {
        {taro / act02, taro, PathToSjis(taro / act02), "the full path, as always"},
        {zoe / act02, zoe, PathToSjis(act02), "relative to BaseDir"},
        {zoe / act02, zoe / "", PathToSjis(act02), "BaseDir with its trailing separator"},
        {zoe / "ktp" / PathFromUtf8("Noël.ktp"), zoe, "", "its name Shift_JIS cannot hold"},
        {root / PathFromUtf8("Zoë.ktp"), taro, "", "elsewhere, with such a name"},
        {zoe / ".." / PathFromUtf8("Zoë2") / "a.ktp", zoe, "", "beside BaseDir, not under it"},
        {zoe, zoe, "", "BaseDir itself"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string stored = StoredActPath(c.act, c.base);
        EXPECT_EQ(stored, c.stored.empty() ? std::string("NASI") : c.stored);
        EXPECT_EQ(stored.find('?'), std::string::npos) << "no wrong path";
        const auto back = StoredActFile(stored, c.base);
        if (c.stored.empty()) {
            EXPECT_FALSE(back.has_value());
        } else {
            ASSERT_TRUE(back.has_value());
            EXPECT_EQ(back->lexically_normal(), c.act.lexically_normal());
        }
    }
    // A full path stored by an earlier run still names its Act; NASI and nothing name none.
    EXPECT_EQ(StoredActFile(PathToSjis(taro / act02), zoe), taro / act02);
    EXPECT_FALSE(StoredActFile("", zoe).has_value());
    // The resume question compares the stored forms: a relative LAST of the default Act asks
    // nothing, of another Act it asks.
    EXPECT_FALSE(ShouldAskResume(StoredActPath(zoe / "ktp" / "Act01.ktp", zoe),
                                 StoredActPath(zoe / "ktp" / "Act01.ktp", zoe), true));
    EXPECT_TRUE(
        ShouldAskResume(PathToSjis(act02), StoredActPath(zoe / "ktp" / "Act01.ktp", zoe), true));
}

TEST(Settings, TheInputStyleIsKeptOnceKanaWasChosen) {
    EXPECT_EQ(FromText("").style, InputStyle::Romaji);
    EXPECT_EQ(FromText("[PLAY]\r\nKANA=1\r\n").style, InputStyle::Kana);
    EXPECT_EQ(KeyFileName(InputStyle::Romaji), "mykey.key");
    EXPECT_EQ(KeyFileName(InputStyle::Kana), "mykana.key");
    TempDir dir;
    const auto path = dir / "kotopa.ini";
    Settings s;
    s.style = InputStyle::Kana;
    ASSERT_TRUE(SaveShutdownSettings(path, s));
    EXPECT_NE(ReadBytes(path).find("SOUND=1\r\nKANA=1\r\n"), std::string::npos);
    EXPECT_EQ(LoadSettings(path).settings.style, InputStyle::Kana);
    s.style = InputStyle::Romaji;  // back to romaji: the key stays and says so
    ASSERT_TRUE(SaveShutdownSettings(path, s));
    EXPECT_NE(ReadBytes(path).find("KANA=0\r\n"), std::string::npos);
    EXPECT_EQ(LoadSettings(path).settings.style, InputStyle::Romaji);
}
