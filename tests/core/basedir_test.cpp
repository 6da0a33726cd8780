// The choice of BaseDir: the portable layout while the program may write beside itself,
// otherwise the user's own folder, seeded without ever replacing the user's files.
#include "basedir.h"

#include <gtest/gtest.h>

#include <set>

#include "printers.h"
#include "test_util.h"

using kotopa::BaseDirChoice;
using kotopa::CanCreateFilesIn;
using kotopa::ChooseBaseDir;
using kotopa::PortableLayoutUsable;
using kotopa::SeedUserFolder;
using testutil::ReadBytes;
using testutil::TempDir;
using testutil::WriteBytes;
namespace fs = std::filesystem;

namespace {

// An installed program folder: the executable, the three seeded folders (one with a
// subfolder), the help and a save/ that must never be copied.
fs::path MakeProgram(const TempDir& dir) {
    const fs::path p = dir / "program";
    for (const char* sub : {"key", "ktp/extra", "system", "help", "save"})
        fs::create_directories(p / sub);
    WriteBytes(p / "kotopa", "ELF");
    WriteBytes(p / "key" / "mykey.key", "[MOZI]\r\nKAZU=0\r\n");
    WriteBytes(p / "ktp" / "Act01.ktp", "act one");
    WriteBytes(p / "ktp" / "Act02.ktp", "act two");
    WriteBytes(p / "ktp" / "extra" / "Act99.ktp", "act ninety-nine");
    WriteBytes(p / "system" / "Glaph.bmp", "BM...");
    WriteBytes(p / "help" / "index.html", "<html>");
    WriteBytes(p / "save" / "kotopa.ini", "[TOP]");
    return p;
}

std::set<std::string> FilesUnder(const fs::path& root) {
    std::set<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_regular_file()) files.insert(e.path().lexically_relative(root).generic_string());
    }
    return files;
}

// Every file and folder under root.
std::set<std::string> EntriesUnder(const fs::path& root) {
    std::set<std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        entries.insert(e.path().lexically_relative(root).generic_string());
    }
    return entries;
}

// The start-up's three steps: the choice, which must leave every file and folder as it
// was, then the user's folder made and filled.
BaseDirChoice Prepare(const fs::path& program, const fs::path& user,
                      const kotopa::WritableTest& writable) {
    const fs::path top = program.parent_path();
    const auto before = EntriesUnder(top);
    BaseDirChoice choice = ChooseBaseDir(program, user, writable);
    EXPECT_EQ(EntriesUnder(top), before) << "nothing is written before the guards are held";
    kotopa::MakeBaseDir(choice, program);
    kotopa::SeedBaseDir(choice, program);
    return choice;
}

const std::set<std::string> kSeeded = {"key/mykey.key", "ktp/Act01.ktp", "ktp/Act02.ktp",
                                       "ktp/extra/Act99.ktp", "system/Glaph.bmp"};

}  // namespace

TEST(BaseDir, AFolderTakesFilesOnlyWhenOneCanReallyBeCreated) {
    TempDir dir;
    EXPECT_TRUE(CanCreateFilesIn(dir.path()));
    EXPECT_TRUE(fs::is_empty(dir.path())) << "the probe is removed again";
    EXPECT_FALSE(CanCreateFilesIn(dir / "missing"));
    WriteBytes(dir / "file", "x");
    EXPECT_FALSE(CanCreateFilesIn(dir / "file"));
    // Read-only for every user, the superuser included (permission bits would not tell).
    if (fs::is_directory("/proc/self")) {
        EXPECT_FALSE(CanCreateFilesIn("/proc/self"));
    }
}

TEST(BaseDir, PortableLayoutWhileTheProgramFolderOrItsSaveTakesFiles) {
    struct Case {
        const char* what;
        bool programWritable;
        const char* save;  // "" none, "dir" writable folder, "ro" read-only folder, "file"
        bool portable;
    };
    const Case cases[] = {
        {"writable folder, first start", true, "", true},
        {"writable folder, save made read-only: the writes report it", true, "ro", true},
        {"installed, first start", false, "", false},
        {"read-only folder with a writable save", false, "dir", true},
        {"read-only folder and save", false, "ro", false},
        {"read-only folder, save is a file", false, "file", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path program = dir / "program";
        fs::create_directories(program);
        const std::string save = c.save;
        if (save == "dir" || save == "ro") fs::create_directories(program / "save");
        if (save == "file") WriteBytes(program / "save", "x");
        const auto writable = [&](const fs::path& p) {
            if (p == program) return c.programWritable;
            if (p == program / "save") return save == "dir";
            ADD_FAILURE() << "asked about " << p;
            return false;
        };
        EXPECT_EQ(PortableLayoutUsable(program, writable), c.portable);
    }
}

TEST(BaseDir, SeedingCopiesTheThreeFoldersAndNeverReplacesTheUsersFiles) {
    TempDir dir;
    const fs::path program = MakeProgram(dir);
    const fs::path user = dir / "user";

    const auto first = SeedUserFolder(program, user);
    EXPECT_TRUE(first.failed.empty());
    EXPECT_EQ(first.copied.size(), kSeeded.size());
    EXPECT_EQ(FilesUnder(user), kSeeded) << "no executable, help or save/ in the user's folder";
    EXPECT_EQ(ReadBytes(user / "ktp" / "extra" / "Act99.ktp"), "act ninety-nine");

    // The user changes the key table, deletes an Act and puts a folder where a file was.
    WriteBytes(user / "key" / "mykey.key", "mine");
    fs::remove(user / "ktp" / "Act02.ktp");
    fs::remove(user / "system" / "Glaph.bmp");
    fs::create_directories(user / "system" / "Glaph.bmp");
    WriteBytes(user / "ktp" / "Act50.ktp", "own act");

    const auto again = SeedUserFolder(program, user);
    EXPECT_TRUE(again.failed.empty());
    ASSERT_EQ(again.copied.size(), 1u) << "only what is missing is copied";
    EXPECT_EQ(again.copied[0], user / "ktp" / "Act02.ktp");
    EXPECT_EQ(ReadBytes(user / "key" / "mykey.key"), "mine");
    EXPECT_TRUE(fs::is_directory(user / "system" / "Glaph.bmp"));
    EXPECT_EQ(ReadBytes(user / "ktp" / "Act50.ktp"), "own act");

    EXPECT_TRUE(SeedUserFolder(program, user).copied.empty()) << "nothing left to copy";
}

TEST(BaseDir, CopiesOfAReadOnlyInstallationAreTheUsersToChange) {
    TempDir dir;
    const fs::path program = MakeProgram(dir);
    for (const auto& e : fs::recursive_directory_iterator(program)) {
        fs::permissions(e.path(),
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }
    const fs::path user = dir / "user";
    EXPECT_TRUE(SeedUserFolder(program, user).failed.empty());
    for (const std::string& file : kSeeded) {
        SCOPED_TRACE(file);
        EXPECT_NE(fs::status(user / file).permissions() & fs::perms::owner_write, fs::perms::none);
        EXPECT_NE(fs::status((user / file).parent_path()).permissions() & fs::perms::owner_write,
                  fs::perms::none);
    }
    for (const auto& e : fs::recursive_directory_iterator(program)) {
        fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
    }
}

TEST(BaseDir, WhatCannotBeCopiedIsNamedAndTheRestIsCopied) {
    TempDir dir;
    const fs::path program = MakeProgram(dir);
    const fs::path user = dir / "user";
    fs::create_directories(user);
    WriteBytes(user / "ktp", "a file where the Acts' folder should be");

    const auto out = SeedUserFolder(program, user);
    const std::set<fs::path> failed(out.failed.begin(), out.failed.end());
    EXPECT_EQ(failed, (std::set<fs::path>{user / "ktp" / "Act01.ktp", user / "ktp" / "Act02.ktp",
                                          user / "ktp" / "extra" / "Act99.ktp"}));
    EXPECT_EQ(ReadBytes(user / "ktp"), "a file where the Acts' folder should be");
    EXPECT_EQ(ReadBytes(user / "key" / "mykey.key"), "[MOZI]\r\nKAZU=0\r\n");
    EXPECT_EQ(ReadBytes(user / "system" / "Glaph.bmp"), "BM...");
}

TEST(BaseDir, ChoiceFollowsTheProgramFolderAndFallsBackWhenNoUserFolderCanBeMade) {
    enum class Base { Program, User };
    struct Case {
        const char* what;
        bool programWritable;
        const char* user;  // relative to the temporary folder; "" for none
        Base base;
        bool failed;
    };
    const Case cases[] = {
        {"portable: the home folder is left alone", true, "home/.local/share/kotopa", Base::Program,
         false},
        {"installed", false, "home/.local/share/kotopa", Base::User, false},
        {"no home folder", false, "", Base::Program, false},
        {"the user's folder cannot be made", false, "file/kotopa", Base::Program, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path program = MakeProgram(dir);
        fs::remove_all(program / "save");
        WriteBytes(dir / "file", "not a folder");
        const fs::path user = *c.user ? dir / c.user : fs::path();
        const BaseDirChoice choice = Prepare(program, user, [&](const fs::path& p) {
            return p == program ? c.programWritable : CanCreateFilesIn(p);
        });
        EXPECT_EQ(choice.baseDir, c.base == Base::User ? user : program);
        EXPECT_EQ(choice.perUser, c.base == Base::User);
        EXPECT_EQ(choice.failed, c.failed ? std::vector<fs::path>{user} : std::vector<fs::path>{});
        EXPECT_EQ(fs::exists(dir / "home"), c.base == Base::User);
        if (c.base == Base::User) {
            EXPECT_EQ(FilesUnder(user), kSeeded);
        }
    }
}

// The first start in a folder, and records left behind in a program folder that can no
// longer be written: what the start-up tells the user once.
TEST(ChooseBaseDir, FirstStartOldRecordsAndTheInstallersMark) {
    const auto choose = [](const fs::path& program, const fs::path& user, bool writable) {
        return Prepare(program, user, [&](const fs::path& p) {
            return p == program || p == program / "save" ? writable : CanCreateFilesIn(p);
        });
    };
    {
        SCOPED_TRACE("portable, first start and the next");
        TempDir dir;
        const fs::path program = MakeProgram(dir);
        fs::remove_all(program / "save");
        BaseDirChoice choice = choose(program, dir / "user", true);
        EXPECT_EQ(choice.baseDir, program);
        EXPECT_TRUE(choice.firstStart);
        EXPECT_TRUE(choice.oldRecords.empty());
        fs::create_directories(program / "save");
        EXPECT_FALSE(choose(program, dir / "user", true).firstStart);
    }
    {
        SCOPED_TRACE("a read-only program folder whose save/ holds records");
        TempDir dir;
        const fs::path program = MakeProgram(dir);
        WriteBytes(program / "save" / "record.lst", "10 100 0\r\n");
        const BaseDirChoice choice = choose(program, dir / "user", false);
        EXPECT_EQ(choice.baseDir, dir / "user");
        EXPECT_TRUE(choice.firstStart);
        EXPECT_EQ(choice.oldRecords, program / "save");
        fs::create_directories(dir / "user" / "save");
        EXPECT_FALSE(choose(program, dir / "user", false).firstStart) << "told once";
    }
    {
        SCOPED_TRACE("a read-only program folder without records");
        TempDir dir;
        const fs::path program = MakeProgram(dir);
        fs::remove_all(program / "save");
        fs::create_directories(program / "save" / "sub.lst");  // a folder, not a record list
        WriteBytes(program / "save" / "notes.txt", "mine");
        const BaseDirChoice choice = choose(program, dir / "user", false);
        EXPECT_TRUE(choice.perUser);
        EXPECT_TRUE(choice.oldRecords.empty());
    }
    {
        SCOPED_TRACE("an installed copy keeps to the user's folder though it could write");
        TempDir dir;
        const fs::path program = MakeProgram(dir);
        fs::remove_all(program / "save");
        WriteBytes(program / kotopa::kInstalledMarker, "");
        const BaseDirChoice choice = choose(program, dir / "user", true);
        EXPECT_EQ(choice.baseDir, dir / "user");
        EXPECT_TRUE(choice.perUser);
        EXPECT_TRUE(choice.firstStart);
        EXPECT_EQ(FilesUnder(dir / "user"), kSeeded);
        EXPECT_FALSE(fs::exists(program / "save"));
    }
}
