// The program as a desktop runs it: the user's own folder of an installed copy and what the
// start-up says when it cannot be prepared.
#include <gtest/gtest.h>

#include <QTest>

#include "app.h"
#include "app_test_support.h"
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

TEST(UserFolder, TheMainWindowWorksInTheUsersFolder) {
    Rig rig;
    const fs::path program = rig.dir / "usr-lib-kotopa";
    fs::create_directories(program);
    rig.form = std::make_unique<kotopa::TMainForm>(kotopa::ProgramFolders(rig.base, program),
                                                   rig.services());
    EXPECT_EQ(rig.form->BaseDir(), rig.base);
    EXPECT_EQ(rig.form->ProgramDir(), program);
    EXPECT_EQ(rig.form->ActPath(), rig.base / "ktp" / "Act01.ktp");
    EXPECT_TRUE(fs::is_directory(rig.base / "save"));
    EXPECT_FALSE(fs::exists(program / "save"));
}
