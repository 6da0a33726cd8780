#include "keysource.h"

#include <gtest/gtest.h>

#include "test_util.h"

using namespace kotopa;
using namespace kotopa::tool;
using testutil::Sj;

namespace {

KeySource Parse(std::string_view text, std::vector<SourceError>& errors) {
    return ParseKeySource(text, errors);
}

std::string Messages(const std::vector<SourceError>& errors) {
    std::string s;
    for (const auto& e : errors) s += std::to_string(e.line) + ": " + e.message + "\n";
    return s;
}

}  // namespace

TEST(KeySource, ReadsRowsCommentsEscapesAndSignRows) {
    const std::string text =
        "\xEF\xBB\xBF# a comment\n"
        "\n"
        "し\tsi shi  ci\n"
        "ね ne\n"
        "ね ,\n"
        "、 ,\n"
        "<sp> <sp>\n"
        "<idsp>\t<sp>\n"
        "<hash> <hash>\r\n"
        "\" \"\n"
        ", ,\n"
        "” \"\n";
    std::vector<SourceError> errors;
    const KeySource src = Parse(text, errors);
    ASSERT_TRUE(errors.empty()) << Messages(errors);
    const std::vector<KeyRow> expected = {{Sj("し"), {"si", "shi", "ci"}},
                                          {Sj("ね"), {"ne"}},
                                          {Sj("ね"), {","}},
                                          {Sj("、"), {","}},
                                          {" ", {" "}},
                                          {Sj("　"), {" "}},
                                          {"#", {"#"}},
                                          {"\"", {"\""}},
                                          {",", {","}},
                                          {Sj("”"), {"\""}}};
    EXPECT_EQ(src.table.Rows(), expected);
    EXPECT_EQ(src.lines, (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST(KeySource, RefusesRowsThatWouldNotWorkWithTheirLine) {
    struct Case {
        const char* line;
        const char* says;
    };
    const Case cases[] = {
        {"ん n nn", "\"nn\" can never be typed"},     // shut out by its own prefix
        {"か ka KA", "twice"},                        // letter case does not matter
        {"ん n,", "cannot be kept in a key file"},    // a comma splits the candidate
        {"く \"ku", "cannot be kept in a key file"},  // a leading quote opens a field
        {"、 x ,", "is always \",\""},                // a sign row's first key is fixed
        {"□ a", "mark a key file keeps"},             // would load as a double quote
        {"き きー", "not a key"},                     // candidates are keys
        {"きゃくさ kyakusa", "three characters"},     // never looked up
        {"ab ab", "one-byte"},                        // one-byte heads take one byte
        {"か", "no candidates"},
        {"ゔ vu", "cannot be held in Shift_JIS"},
        {"　 <sp>", "<idsp>"},  // a literal ideographic space
        {"a\xC0\x80 a", "not UTF-8"},
    };
    for (const auto& c : cases) {
        std::vector<SourceError> errors;
        Parse(std::string("# first line\n") + c.line + "\n", errors);
        ASSERT_FALSE(errors.empty()) << c.line;
        EXPECT_EQ(errors.front().line, 2) << c.line;
        EXPECT_NE(errors.front().message.find(c.says), std::string::npos)
            << c.line << " -> " << errors.front().message;
    }
}

TEST(KeySource, AnItemTwiceIsRefusedExceptTheKanaCommaRow) {
    std::vector<SourceError> errors;
    Parse("か ka\nき ki\nか ca\n", errors);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, 3);
    EXPECT_NE(errors[0].message.find("line 1"), std::string::npos);
}

TEST(KeySource, FormatReadsBackAsTheSameTable) {
    std::vector<SourceError> errors;
    const KeySource src =
        Parse("きゃ kya\n<sp> <sp>\n<idsp> <sp>\n<hash> <hash>\nね ,\n\" \"\n, ,\n", errors);
    ASSERT_TRUE(errors.empty()) << Messages(errors);
    std::vector<SourceError> formatErrors;
    const std::string text = FormatKeySource(src.table, formatErrors);
    EXPECT_TRUE(formatErrors.empty());
    const KeySource again = Parse(text, errors);
    EXPECT_TRUE(errors.empty()) << Messages(errors);
    EXPECT_EQ(again.table.Rows(), src.table.Rows());
}

TEST(KeySource, FormatNamesRowsItCannotShow) {
    KeyTable t;
    t.SetRows({{Sj("あ"), {"a"}}, {"\x85\x40", {"x"}}, {"a b", {"c"}}});
    std::vector<SourceError> errors;
    const std::string text = FormatKeySource(t, errors);
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_NE(text.find("# row 1"), std::string::npos);
    EXPECT_NE(text.find("# row 2"), std::string::npos);
}

TEST(KeySource, BuildWritesAFreshFileThroughTheProgramsWriter) {
    testutil::TempDir dir;
    KeyTable t;
    t.SetRows({{Sj("あ"), {"a"}}, {Sj("、"), {","}}, {" ", {" "}}, {Sj("ね"), {","}}});
    // What the program writes when it stores this table into a new file.
    KeyTable program = t;
    ASSERT_TRUE(program.StoreKeyTable(dir / "program.key"));
    EXPECT_EQ(program.Rows(), t.Rows());

    // An older, longer key file in place: nothing of it may survive.
    testutil::WriteBytes(dir / "mykey.key",
                         "; old\r\n[MOZI]\r\nKAZU=9\r\n8=\"x y\"\r\n[OTHER]\r\na=1\r\n");
    std::string error;
    ASSERT_TRUE(BuildKeyFile(t, dir / "mykey.key", error)) << error;
    EXPECT_EQ(testutil::ReadBytes(dir / "mykey.key"), testutil::ReadBytes(dir / "program.key"));
    EXPECT_NE(testutil::ReadBytes(dir / "mykey.key").find("\x81\xA5 \x81\xA5"),
              std::string::npos);  // ▼ ▼

    // Nothing else is left in the folder.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 2);
}

TEST(KeySource, BuildIntoAMissingFolderWritesNothing) {
    testutil::TempDir dir;
    KeyTable t;
    t.SetRows({{Sj("あ"), {"a"}}});
    std::string error;
    EXPECT_FALSE(BuildKeyFile(t, dir / "nofolder" / "mykey.key", error));
    EXPECT_NE(error.find("does not exist"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(KeySource, BuildRefusesATableThatWouldNotReadBack) {
    testutil::TempDir dir;
    testutil::WriteBytes(dir / "mykey.key", "old");
    KeyTable t;
    t.SetRows({{Sj("ん"), {"n,"}}});  // the comma would split the candidate
    std::string error;
    EXPECT_FALSE(BuildKeyFile(t, dir / "mykey.key", error));
    EXPECT_NE(error.find("read back"), std::string::npos);
    EXPECT_EQ(testutil::ReadBytes(dir / "mykey.key"), "old");
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);
}

TEST(KeySource, ANulIsReportedWithItsPlaceAndTheRowsAfterItAreRead) {
    std::vector<SourceError> errors;
    using namespace std::string_literals;
    const KeySource src = Parse("あ a\nい i\0x\nう u\nう u\n"s, errors);
    ASSERT_EQ(errors.size(), 2u) << Messages(errors);
    EXPECT_EQ(errors[0].line, 2);
    EXPECT_EQ(errors[0].column, 4);
    EXPECT_NE(errors[0].message.find("NUL"), std::string::npos);
    EXPECT_EQ(errors[1].line, 4);  // the line after the NUL is read: う twice
}

TEST(KeySource, ErrorsComeInLineOrder) {
    // Line 2 is refused while reading, lines 1 and 3 while checking the rows.
    std::vector<SourceError> errors;
    Parse("ん n nn\nか ka ｋａ\nき\n", errors);
    std::vector<int> lines;
    for (const auto& e : errors) lines.push_back(e.line);
    EXPECT_EQ(lines, (std::vector<int>{1, 2, 3})) << Messages(errors);
}

TEST(KeySource, AKanaPositionTableKeepsLetterCaseAndShiftComma) {
    std::vector<SourceError> errors;
    // e and E are two keys there: no candidate is given twice, and 、 is Shift+comma.
    const KeySource src = Parse("い e\nぃ E\nか t\nが t@\n、 <\nね ,\n<sp> <sp>\n", errors);
    ASSERT_TRUE(errors.empty()) << Messages(errors);
    EXPECT_TRUE(src.table.Rules().IsCaseSensitive());
    Parse("い e\nぃ E\n、 ,\n", errors);  // the sign row's key in such a table
    ASSERT_EQ(errors.size(), 1u) << Messages(errors);
    EXPECT_NE(errors[0].message.find("is always \"<\""), std::string::npos) << Messages(errors);
    errors.clear();
    Parse("い e\nぃ E\nか t T\n", errors);  // T is Shift+T, a key of its own
    EXPECT_TRUE(errors.empty()) << Messages(errors);
}
