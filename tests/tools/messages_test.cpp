// The message table and its constants: the committed constants are what the table gives,
// they hold the table's Shift_JIS bytes, and a wrong table line is named.
#include "messages.h"

#include <gtest/gtest.h>

#include "messagetable.h"
#include "test_util.h"

using kotopa::tool::Finding;
using kotopa::tool::MessagesHeader;
using testutil::Sj;

namespace {

const std::filesystem::path kTable = kotopa::PathFromUtf8(KOTOPA_SOURCE_DIR "/src/messages");

}  // namespace

TEST(Messages, TheCommittedConstantsAreWhatTheTableGives) {
    std::vector<Finding> findings;
    const auto header = MessagesHeader(testutil::ReadBytes(kTable / "messages.txt"), findings);
    ASSERT_TRUE(header.has_value()) << findings.front().line << ": " << findings.front().message;
    EXPECT_EQ(*header, testutil::ReadBytes(kTable / "messages.inc"))
        << "src/messages/messages.inc is not what messages.txt gives: run scripts/build-data.sh";
}

TEST(Messages, ConstantsHoldTheTextsBytes) {
    namespace msg = kotopa::msg;
    EXPECT_EQ(msg::kLfCr, "\n\r");
    EXPECT_EQ(msg::kWarningTitle, Sj("警告"));       // a trail byte in the ASCII range
    EXPECT_EQ(msg::kActLabel, Sj("■Act         "));  // a letter after an escape
    EXPECT_EQ(msg::kCannotWrite, Sj(" に書き込めません"));

    std::vector<Finding> findings;
    const auto header = MessagesHeader("[t]\nA \"\\\"\\\\\\t\"\n", findings);
    ASSERT_TRUE(header.has_value());
    EXPECT_NE(header->find("inline constexpr std::string_view kA = \"\\\"\\\\\\t\";"),
              std::string::npos)
        << *header;
}

TEST(Messages, AWrongLineIsNamedAndNothingIsMade) {
    const struct {
        const char* table;
        int line;
        const char* message;
    } cases[] = {
        {"A \"x\"\n", 1, "a constant before the first [namespace]"},
        {"[t]\n\nA \"x\"\nA \"y\"\n", 4, "A again in t"},
        {"[t]\nA x\n", 2, "a text in double quotes"},
        {"[t]\nA \"x\n", 2, "no closing double quote"},
        {"[t]\nA \"x\" y\n", 2, "something after the closing double quote"},
        {"[t]\nA \"\\q\"\n", 2, "unknown escape (\\\" \\\\ \\n \\r \\t)"},
        {"[t]\nA \"😀\"\n", 2, "Shift_JIS cannot hold \"😀\""},
        {"[t]\nA\"x\"\n", 2, "blanks after the name"},
        {"[t]\n\"x\"\n", 2, "a constant begins with its name (letters, digits)"},
        {"[t x]\n", 1, "a namespace is [name]"},
        {"[t]\n[t]\n", 2, "namespace t again"},
        {"# nothing\n", 0, "no constants"},
        {"[t]\nA \"\xFF\"\n", 0, "not UTF-8 text"},
    };
    for (const auto& c : cases) {
        std::vector<Finding> findings;
        EXPECT_FALSE(MessagesHeader(c.table, findings).has_value()) << c.table;
        ASSERT_EQ(findings.size(), 1u) << c.table;
        EXPECT_EQ(findings[0].line, c.line) << c.table;
        EXPECT_EQ(findings[0].message, c.message) << c.table;
    }
}
