// The program as a desktop runs it: the user's own folder of an installed copy and what the
// start-up says when it cannot be prepared, the help for each desktop, and the play log in
// the viewer of the desktops whose editors cannot read Shift_JIS.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app.h"
#include "app_test_support.h"
#include "dataform.h"
#include "desktopfiles.h"
#include "glaphform.h"
#include "playlogviewer.h"
#include "sjistext.h"

using namespace apptest;

TEST(UserFolder, LiesInTheDesktopsDataFolder) {
    testutil::TempDir dir;
    const QByteArray old = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir / "data").string()));
    EXPECT_EQ(kotopa::UserDataFolder(), dir / "data" / "kotopa");
    qputenv("XDG_DATA_HOME", old);
}

TEST(UserFolder, WhatCouldNotBePreparedIsNamed) {
    kotopa::BaseDirChoice ok;
    ok.baseDir = "/home/u/.local/share/kotopa";
    ok.perUser = true;
    EXPECT_EQ(kotopa::FolderWarning(ok), "");

    kotopa::BaseDirChoice noFolder;
    noFolder.baseDir = "/usr/lib/kotopa";
    noFolder.failed = {"/home/u/.local/share/kotopa"};
    EXPECT_EQ(
        U8(kotopa::FolderWarning(noFolder)),
        "/home/u/.local/share/kotopa\n\rフォルダを作成できません。設定と記録は保存されません。");

    kotopa::BaseDirChoice noCopy = ok;
    noCopy.failed = {"/home/u/.local/share/kotopa/ktp/Act01.ktp",
                     "/home/u/.local/share/kotopa/ktp/Act02.ktp"};
    EXPECT_EQ(U8(kotopa::FolderWarning(noCopy)),
              "/home/u/.local/share/kotopa/ktp/Act01.ktp に書き込めません\n\r"
              "付属のファイルをコピーできませんでした。");
}

TEST(UserFolder, WhereTheFilesAreIsToldOnceAtTheFirstStart) {
    kotopa::BaseDirChoice portable;
    portable.baseDir = "/media/u/KotoPA";
    EXPECT_EQ(kotopa::FolderNotice(portable, true), "") << "not the first start";
    portable.firstStart = true;
    EXPECT_EQ(U8(kotopa::FolderNotice(portable, true)),
              "/media/u/KotoPA\n\r設定・記録・プレイログは、このフォルダに保存します。");
    EXPECT_EQ(kotopa::FolderNotice(portable, false), "") << "the Linux desktop: as before";

    kotopa::BaseDirChoice moved;
    moved.baseDir = "/home/u/.local/share/kotopa";
    moved.perUser = true;
    moved.firstStart = true;
    moved.oldRecords = "/opt/kotopa/save";
    for (const bool windows : {false, true}) {
        EXPECT_EQ(
            U8(kotopa::FolderNotice(moved, windows)),
            "/opt/kotopa/save\n\rこのフォルダの記録には書き込めないため、これからの設定と記録は"
            "次のフォルダに保存します。\n\r/home/u/.local/share/kotopa\n\r"
            "前の記録は上のフォルダに残っています。");
    }
}

// ---------------------------------------------------------------------------------------
// The help

TEST(HelpButton, EachDesktopOpensItsOwnHelpFileAndSaysWhenItCannot) {
    struct Case {
        const char* what;
        bool windows;
        bool present;
        bool opens;
        const char* file;     // relative to the program's folder
        const char* message;  // after the path and LF CR, or "" for none
    };
    const Case cases[] = {
        {"other desktops: the HTML start page", false, true, true, "help/index.html", ""},
        {"Windows: the .chm", true, true, true, "kotopa.chm", ""},
        {"missing pages", false, false, true, "help/index.html",
         "ヘルプのファイルが見つかりません。"},
        {"no browser", false, true, false, "help/index.html",
         "ヘルプを開けません。このファイルをブラウザで開いてください。"},
        {"no .chm viewer", true, true, false, "kotopa.chm", "ヘルプを開けません。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        // An installed copy: the help lies beside the executable, not in the user's folder.
        const fs::path program = rig.dir / "program";
        fs::create_directories(program / "help");
        const fs::path file = program / c.file;
        if (c.present) WriteBytes(file, "help");
        rig.shell.windows = c.windows;
        rig.shell.opens = c.opens;
        rig.form = std::make_unique<kotopa::TMainForm>(kotopa::ProgramFolders(rig.base, program),
                                                       rig.services());
        rig.Get<QToolButton>("bt_Help")->click();

        EXPECT_EQ(rig.shell.opened,
                  c.present ? std::vector<fs::path>{file} : std::vector<fs::path>{});
        const auto messages = rig.dialogs.Messages();
        if (std::string(c.message).empty()) {
            EXPECT_TRUE(messages.empty());
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].kind, kotopa::platform::FakeDialogs::Kind::Warning);
            EXPECT_EQ(U8(messages[0].text), file.string() + "\n\r" + c.message);
        }
    }
}

// ---------------------------------------------------------------------------------------
// The play log

namespace {

using Fakes = apptest::FakeServices;

struct ViewerSeen {
    bool shown = false;
    QString title, text, note;
    int scroll = -1, scrollMax = -1, hscroll = -1;
    bool readOnly = false;
    bool closedByEsc = false;
};

// Runs action, which is to open the play-log viewer modally; records what the viewer shows
// and closes it with Esc as the user would.
ViewerSeen WatchViewer(const std::function<void()>& action) {
    ViewerSeen seen;
    QObject scope;  // no callback outlives this call
    QTimer::singleShot(0, &scope, [&] {
        auto* viewer = qobject_cast<kotopa::PlayLogViewer*>(QApplication::activeModalWidget());
        if (!viewer) return;
        seen.shown = true;
        seen.title = viewer->windowTitle();
        seen.text = viewer->Text();
        seen.note = viewer->Note();
        auto* log = viewer->findChild<QPlainTextEdit*>("me_Log");
        seen.readOnly = log->isReadOnly();
        seen.scroll = log->verticalScrollBar()->value();
        seen.scrollMax = log->verticalScrollBar()->maximum();
        seen.hscroll = log->horizontalScrollBar()->value();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : viewer,
                        Qt::Key_Escape);
        seen.closedByEsc = !viewer->isVisible();
        if (!seen.closedByEsc) viewer->reject();
    });
    action();
    return seen;
}

// One block of the play log as the result dialog writes it, in UTF-8 lines.
std::vector<std::string> Block(int n) {
    return {"202405060708" + std::to_string(10 + n % 50) + " -----",
            "■出題 標準",
            "■終了条件 ファイル末尾  24",
            "■Act         練習①～" + std::to_string(n),
            "■経過時間    01:05",
            "■打鍵数 (/分)  160 ■文字数 (/分)  105",
            "■文字数        114 ■タイプ数      174",
            "■ミスタイプ      0 ■正解タイプ率  100.00%",
            "☆ 最高打鍵数を [ " + std::to_string(n) + " ] 更新しました !! ",
            "▽ 最高文字数と同数でした。",
            ""};
}

}  // namespace

TEST(PlayLogViewer, ShowsAKnownLogDecodedWithTheNewestBlockInView) {
    testutil::TempDir dir;
    const fs::path log = dir / "playlog.log";
    std::string utf8, expected;
    for (int n = 1; n <= 40; ++n) {
        for (const std::string& line : Block(n)) {
            utf8 += line + "\r\n";
            expected += (expected.empty() ? "" : "\n") + line;
        }
    }
    WriteBytes(log, Sj(utf8));

    Fakes fakes;  // the shell of a desktop other than Windows
    const ViewerSeen seen =
        WatchViewer([&] { kotopa::OpenPlayLog(log, fakes.services(), nullptr); });

    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(fakes.shell.opened.empty());
    EXPECT_EQ(seen.text.toStdString(), expected) << "code page 932: ① and ～ included";
    EXPECT_EQ(seen.note.toStdString(), log.string());
    EXPECT_EQ(seen.title.toStdString(), "プレイログ");
    EXPECT_TRUE(seen.readOnly);
    EXPECT_GT(seen.scrollMax, 0) << "440 lines do not fit";
    EXPECT_EQ(seen.scroll, seen.scrollMax) << "the newest block at the bottom";
    EXPECT_EQ(seen.hscroll, 0);
    EXPECT_TRUE(seen.closedByEsc);
}

TEST(PlayLogViewer, AMissingLogSaysNoPlayIsRecordedYetAndAFolderIsUnreadable) {
    testutil::TempDir dir;
    Fakes fakes;
    const kotopa::platform::Services services = fakes.services();

    for (const fs::path& log : {dir / "missing.log", dir / "empty.log"}) {
        SCOPED_TRACE(log.filename());
        if (log.filename() == "empty.log") WriteBytes(log, "");
        const ViewerSeen seen = WatchViewer([&] { kotopa::OpenPlayLog(log, services, nullptr); });
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.text.toStdString(), "");
        EXPECT_EQ(seen.note.toStdString(), "まだプレイが記録されていません。");
        EXPECT_TRUE(seen.closedByEsc);
    }
    fs::create_directories(dir / "folder.log");
    const ViewerSeen seen =
        WatchViewer([&] { kotopa::OpenPlayLog(dir / "folder.log", services, nullptr); });
    EXPECT_EQ(seen.note.toStdString(), (dir / "folder.log").string() + " を読み込めません。");
    EXPECT_TRUE(fakes.dialogs.asked.empty());
}

TEST(PlayLogViewer, AHugeLogIsNotReadAndSaysSo) {
    testutil::TempDir dir;
    Fakes fakes;
    const kotopa::platform::Services services = fakes.services();
    WriteBytes(dir / "playlog.log", "");
    fs::resize_file(dir / "playlog.log", std::uintmax_t(64) << 30);
    const ViewerSeen seen =
        WatchViewer([&] { kotopa::OpenPlayLog(dir / "playlog.log", services, nullptr); });
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.text.toStdString(), "");
    EXPECT_EQ(seen.note.toStdString(),
              (dir / "playlog.log").string() + " は大きすぎるため表示できません。");
}

// On Windows the shell shows the log; what the viewer says elsewhere is told in a message:
// no play recorded yet, or no application that opens it.
TEST(PlayLogViewer, TheWindowsShellsFailureIsTold) {
    using Kind = kotopa::platform::FakeDialogs::Kind;
    testutil::TempDir dir;
    Fakes fakes;
    fakes.shell.windows = true;
    const fs::path log = dir / "playlog.log";
    const std::string path = kotopa::PathToSjis(log);
    kotopa::OpenPlayLog(log, fakes.services(), nullptr);
    auto messages = fakes.dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::Information);
    EXPECT_EQ(messages[0].text, path + "\n\r" + Sj("まだプレイが記録されていません。"));
    EXPECT_TRUE(fakes.shell.opened.empty());

    WriteBytes(log, Sj("■出題 標準\r\n"));
    fakes.shell.opens = false;
    kotopa::OpenPlayLog(log, fakes.services(), nullptr);
    messages = fakes.dialogs.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].kind, Kind::Warning);
    EXPECT_EQ(messages[1].text.rfind(path + "\n\r" + Sj("プレイログを開けません。"), 0), 0u);
    EXPECT_EQ(fakes.shell.opened, std::vector<fs::path>{log});

    fakes.shell.opens = true;
    kotopa::OpenPlayLog(log, fakes.services(), nullptr);
    EXPECT_EQ(fakes.dialogs.Messages().size(), 2u) << "an opened log needs no word";
    EXPECT_EQ(fakes.shell.opened.size(), 2u);
}

TEST(PlayLogViewer, ResultDialogAndGraphWindowOpenItOnTheirLog) {
    Rig rig;
    const fs::path log = rig.base / "save" / "playlog.log";
    fs::create_directories(log.parent_path());
    WriteBytes(log, Sj("■出題 ランダム\r\n"));

    kotopa::ResultView result;
    result.memo = {Sj("■Act         Act01")};
    kotopa::TDataForm dataForm(result, log, rig.services());
    ViewerSeen seen =
        WatchViewer([&] { dataForm.findChild<QToolButton*>("SpeedButtonOpen")->click(); });
    EXPECT_EQ(seen.text.toStdString(), "■出題 ランダム");

    kotopa::TGlaphForm graph(rig.base, rig.base / "ktp" / "Act01.ktp", {}, {}, rig.services());
    seen = WatchViewer([&] { graph.findChild<QToolButton*>("SpeedButton")->click(); });
    EXPECT_EQ(seen.text.toStdString(), "■出題 ランダム");
    EXPECT_EQ(seen.note.toStdString(), log.string());
    EXPECT_TRUE(rig.shell.opened.empty());
}

TEST(AppIcon, HoldsEverySizeOfTheIconTheme) {
    const QIcon icon = kotopa::AppIcon();
    QList<QSize> sizes;
    for (const int n : {16, 22, 24, 32, 48, 64, 128, 256}) sizes << QSize(n, n);
    EXPECT_EQ(icon.availableSizes(), sizes);
    for (const QSize& size : sizes) {
        const QImage image = icon.pixmap(size).toImage();
        EXPECT_EQ(image.size(), size);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "rounded corners";
        EXPECT_EQ(qAlpha(image.pixel(size.width() / 2, size.height() / 2)), 255);
    }
}

TEST(ButtonPictures, EachButtonHasItsPictureAndItsDisabledLook) {
    apptest::Rig rig;
    rig.Start();
    for (const char* name :
         {"bt_start", "bt_end", "bt_Opt", "bt_FileOpen", "bt_Glaph", "bt_Help", "bt_ViewOpen"}) {
        const QIcon icon = rig.Get<QAbstractButton>(name)->icon();
        const QImage normal = icon.pixmap(QSize(16, 16)).toImage();
        const QImage disabled = icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage();
        EXPECT_EQ(normal.size(), QSize(16, 16)) << name;
        EXPECT_EQ(disabled.size(), QSize(16, 16)) << name;
        EXPECT_NE(normal, disabled) << name;
        EXPECT_EQ(icon.actualSize(QSize(24, 24)), QSize(16, 16)) << name;
    }
}
