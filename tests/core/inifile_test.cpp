#include "inifile.h"

#include <gtest/gtest.h>

#include "printers.h"
#include "test_util.h"

using namespace kotopa;
using testutil::ReadBytes;
using testutil::Sj;
using testutil::TempDir;
using testutil::WriteBytes;

namespace {
IniFile FromBytes(std::string_view bytes) {
    IniFile ini;
    ini.LoadBytes(bytes);
    return ini;
}
}  // namespace

TEST(IniFile, ReadingTrimsUnquotesAndIgnoresCase) {
    const IniFile ini = FromBytes(
        "[play]\r\n"
        "  value =  90  \r\n"
        "Last=\"C:\\a b\\ktp\\Act02.ktp\"\r\n"
        "single=' x '\r\n"
        "mixed=\"abc'\r\n"
        "inner=a\"b\"\r\n"
        "empty=\r\n"
        "eq=a=b\r\n"
        "[ Top ]\r\n"
        "key=5\r\n");
    EXPECT_EQ(ini.ReadString("PLAY", "VALUE", "?"), "90");
    EXPECT_EQ(ini.ReadString("Play", "LAST", "?"), "C:\\a b\\ktp\\Act02.ktp");
    EXPECT_EQ(ini.ReadString("PLAY", "SINGLE", "?"), " x ");  // only the quotes go
    EXPECT_EQ(ini.ReadString("PLAY", "MIXED", "?"), "\"abc'");
    EXPECT_EQ(ini.ReadString("PLAY", "INNER", "?"), "a\"b\"");
    EXPECT_EQ(ini.ReadString("PLAY", "EMPTY", "?"), "");
    EXPECT_EQ(ini.ReadString("PLAY", "EQ", "?"), "a=b");
    EXPECT_EQ(ini.ReadString("TOP", "KEY", "?"), "5");
    EXPECT_EQ(ini.ReadString("TOP", "VALUE", "?"), "?");  // keys belong to their section
    EXPECT_EQ(ini.ReadString("FILE", "LAST", "NASI"), "NASI");
}

TEST(IniFile, IntegersAndBoolsFallBackToTheirDefaults) {
    const IniFile ini =
        FromBytes("[PLAY]\nA=-12\nB=abc\nC=\nD=2147483648\nE=+7\nF=1.5\nG=0\nH=2\nI= 3 \n");
    EXPECT_EQ(ini.ReadInteger("PLAY", "A", 60), -12);
    EXPECT_EQ(ini.ReadInteger("PLAY", "B", 60), 60);
    EXPECT_EQ(ini.ReadInteger("PLAY", "C", 60), 60);
    EXPECT_EQ(ini.ReadInteger("PLAY", "D", 60), 60);
    EXPECT_EQ(ini.ReadInteger("PLAY", "E", 60), 7);
    EXPECT_EQ(ini.ReadInteger("PLAY", "F", 60), 60);
    EXPECT_EQ(ini.ReadInteger("PLAY", "I", 60), 3);
    EXPECT_EQ(ini.ReadInteger("PLAY", "MISSING", 60), 60);
    EXPECT_FALSE(ini.ReadBool("PLAY", "G", true));
    EXPECT_TRUE(ini.ReadBool("PLAY", "H", false));  // anything but 0 is true
    EXPECT_TRUE(ini.ReadBool("PLAY", "B", true));   // not a number: the default
    EXPECT_FALSE(ini.ReadBool("PLAY", "B", false));
}

TEST(IniFile, TheFirstSectionAndKeyOfANameWin) {
    const IniFile ini = FromBytes("[A]\nk=1\nk=2\n[a]\nk=3\nj=4\n");
    EXPECT_EQ(ini.ReadString("A", "K", ""), "1");
    EXPECT_EQ(ini.ReadString("A", "J", "none"), "none");
}

TEST(IniFile, ValuesAreCutAt2047BytesWithoutSplittingACharacter) {
    const IniFile ini = FromBytes("[S]\nlong=" + std::string(3000, 'x') + "\nkana=a" + [] {
        std::string s;
        for (int i = 0; i < 1100; ++i) s += Sj("あ");
        return s;
    }() + "\n");
    EXPECT_EQ(ini.ReadString("S", "LONG", "").size(), 2047u);
    const std::string kana = ini.ReadString("S", "KANA", "");
    EXPECT_EQ(kana.size(), 2047u);  // "a" and 1023 whole kana
    EXPECT_EQ(kana.substr(kana.size() - 2), Sj("あ"));
}

TEST(IniFile, AWriteChangesOnlyItsOwnLine) {
    const std::string foreign = "; " + Sj("ユーザーのメモ") + "\r\n";
    const std::string before = foreign + "[PLAY]\r\nNOMAL=1\r\nX" + Sj("ソ") +
                               "=odd\r\n\r\n[FILE]\nLAST=\"" + Sj("ソ表") + "\"\n";
    IniFile ini = FromBytes(before);
    ini.WriteString("play", "nomal", "0");  // case of the stored name does not matter
    ini.WriteInteger("PLAY", "VALUE", 90);  // appended after the section's last line
    ini.WriteString("TOP", "KEY", "5");     // new section at the end
    EXPECT_EQ(ini.Bytes(), foreign + "[PLAY]\r\nnomal=0\r\nX" + Sj("ソ") +
                               "=odd\r\nVALUE=90\r\n\r\n[FILE]\nLAST=\"" + Sj("ソ表") +
                               "\"\n[TOP]\r\nKEY=5\r\n");
    EXPECT_EQ(ini.ReadString("FILE", "LAST", ""), Sj("ソ表"));  // ソ ends in 0x5C, left alone
}

TEST(IniFile, AppendingAfterALastLineWithoutLineEnd) {
    IniFile ini = FromBytes("[A]\nk=1");
    ini.WriteString("A", "j", "2");
    EXPECT_EQ(ini.Bytes(), "[A]\nk=1\r\nj=2\r\n");
}

TEST(IniFile, AnEmptySectionTakesItsFirstKeyRightAfterTheHeader) {
    IniFile ini = FromBytes("[A]\r\n\r\n[B]\r\n");
    ini.WriteString("A", "k", "v");
    EXPECT_EQ(ini.Bytes(), "[A]\r\nk=v\r\n\r\n[B]\r\n");
}

TEST(IniFile, SectionNamesRespectDoubleByteCharacters) {
    // ソ is 83 5C and ]  is 5D: a trail byte must not close the name.
    const std::string name = Sj("表ソ");
    IniFile ini = FromBytes("[" + name + "]\nk=1\n");
    EXPECT_EQ(ini.ReadString(name, "k", ""), "1");
}

TEST(IniFile, SaveCreatesAMissingFileButNoFolder) {
    TempDir dir;
    IniFile ini;
    EXPECT_EQ(ini.Load(dir / "kotopa.ini", kMiB), ReadStatus::Missing);
    ini.WriteBool("PLAY", "SOUND", true);
    ASSERT_TRUE(ini.Save(dir / "kotopa.ini"));
    EXPECT_EQ(ReadBytes(dir / "kotopa.ini"), "[PLAY]\r\nSOUND=1\r\n");
    EXPECT_FALSE(ini.Save(dir / "save" / "kotopa.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir / "save"));
}

TEST(IniFile, BytesRoundTripUntouchedWhenNothingIsWritten) {
    const std::string odd = "\xEF\xBB\xBF[x]\r\n\tk = v \n\r==\n[broken\n\x82\xA0=\x82\xA2\r";
    EXPECT_EQ(FromBytes(odd).Bytes(), odd);
}

TEST(IniFile, ASectionWrittenInOnePassGivesWhatWritesKeyByKeyGive) {
    using Entries = std::vector<std::pair<std::string, std::string>>;
    const Entries entries = {{"KAZU", "3"}, {"0", "a"}, {"1", "b"}, {"2", "c"}};
    for (const std::string& before : std::vector<std::string>{
             "", "[X]\r\nk=1", "[M]\r\n", "[M]\r\n\r\n[N]\r\nk=1\r\n", "; top\r\n[m]\r\nkazu=9\r\n",
             "[M]\nx=1\n1=old\n\n; note\n\n[N]\n0=keep\n", "[M]\r\n2=z\r\nKAZU=1\r\nlast=1",
             "[M]\r\n0=\"" + Sj("表ソ") + "\"\r\n[M]\r\n1=second section\r\n"}) {
        SCOPED_TRACE(before);
        IniFile keyByKey = FromBytes(before);
        for (const auto& [k, v] : entries) keyByKey.WriteString("M", k, v);
        IniFile onePass = FromBytes(before);
        onePass.WriteSection("M", entries, nullptr);
        EXPECT_EQ(onePass.Bytes(), keyByKey.Bytes());
    }
}

TEST(IniFile, ASectionWrittenInOnePassDropsLaterLinesOfANameAndTheKeysItIsTold) {
    IniFile ini = FromBytes(
        "[M]\r\nKAZU=5\r\n0=old\r\n; mine\r\n7=gone\r\nkeep=1\r\n0=twice\r\n\r\n[N]\r\n7=x\r\n");
    ini.WriteSection("M", {{"KAZU", "1"}, {"0", "new"}},
                     [](std::string_view name) { return name == "7"; });
    EXPECT_EQ(ini.Bytes(), "[M]\r\nKAZU=1\r\n0=new\r\n; mine\r\nkeep=1\r\n\r\n[N]\r\n7=x\r\n");
}
