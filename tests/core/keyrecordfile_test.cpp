#include "keyrecordfile.h"

#include <gtest/gtest.h>

#include "test_util.h"

using namespace kotopa;
using testutil::Sj;

namespace {

// A record with every kind of key, and fields that need escaping: a blank as key and item,
// "%" and "-" as keys, a byte above 0x7F, an empty expected list, a line-end mistype.
KeyRecord Sample() {
    KeyRecord r;
    r.Mistype(5, 'x', Sj("し"), "s");
    r.Keystroke(12, 's');
    r.Unit(20, 'i', Sj("し"));
    r.Unit(31, ' ', " ");
    r.Mistype(40, '%', Sj("ー"), "");
    r.Unit(45, '-', Sj("ー"));
    r.Mistype(50, '\xB1', Sj("〆"), "\r");
    r.LineEnd(61);
    r.Keystroke(70, 'k');
    r.Unit(71, 'a', Sj("か"));
    r.LineEnd(90);
    return r;
}

void ExpectSame(const KeyRecord& a, const KeyRecord& b) {
    ASSERT_EQ(a.Events(), b.Events());
    ASSERT_EQ(a.Units().size(), b.Units().size());
    for (std::size_t i = 0; i < a.Units().size(); ++i) {
        const UnitEntry &x = a.Units()[i], &y = b.Units()[i];
        EXPECT_EQ(a.Item(x), b.Item(y)) << i;
        EXPECT_EQ(a.Keys(x), b.Keys(y)) << i;
        EXPECT_EQ(x.headMs, y.headMs) << i;
        EXPECT_EQ(x.firstKeyMs, y.firstKeyMs) << i;
        EXPECT_EQ(x.ms, y.ms) << i;
    }
    ASSERT_EQ(a.Mistypes().size(), b.Mistypes().size());
    for (std::size_t i = 0; i < a.Mistypes().size(); ++i) {
        EXPECT_EQ(a.Mistypes()[i].Head(), b.Mistypes()[i].Head()) << i;
        EXPECT_EQ(a.Mistypes()[i].Expected(), b.Mistypes()[i].Expected()) << i;
    }
}

std::string Block(int n, std::string_view act = "Act01") {
    return "play 202401010000" + std::to_string(10 + n % 90) + " 1000 2 " + std::string(act) +
           "\r\n10 k k\r\n20 u a " + Sj("か") + "\r\nend\r\n";
}

}  // namespace

TEST(KeyRecordFile, ABlockReadsBackAsTheRecordItWasWrittenFrom) {
    const KeyRecord r = Sample();
    const std::string block = KeyRecordBlock("20241231235958", 95400, Sj("練習 01"), r);
    EXPECT_EQ(block.substr(0, block.find("\r\n")),
              "play 20241231235958 95400 11 " + Sj("練習") + "%2001");
    EXPECT_NE(block.find("\r\n11 u %20 %20\r\n"), std::string::npos);
    EXPECT_NE(block.find("\r\n9 m %25 " + Sj("ー") + " -\r\n"), std::string::npos);
    EXPECT_NE(block.find("\r\n5 m %B1 " + Sj("〆") + " %0D\r\n"), std::string::npos);

    const KeyRecordFile file = ParseKeyRecordFile(KeyRecordFileWith("", block));
    EXPECT_TRUE(file.headerOk);
    EXPECT_EQ(file.unreadable, 0);
    ASSERT_EQ(file.plays.size(), 1u);
    EXPECT_EQ(file.plays[0].stamp, "20241231235958");
    EXPECT_EQ(file.plays[0].elapsedMs, 95400u);
    EXPECT_EQ(file.plays[0].actName, Sj("練習 01"));
    ExpectSame(file.plays[0].record, r);
    EXPECT_EQ(file.plays[0].record.Keys(file.plays[0].record.Units()[0]), "si");
}

TEST(KeyRecordFile, ABlockThatCannotBeReadIsSkippedAndCounted) {
    const std::string good = Block(1);
    const std::string head = "play 20240101000000 1000 2 Act01\r\n";
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"no end", head + "10 k k\r\n20 e\r\n"},
        {"fewer keys than said", head + "10 k k\r\nend\r\n"},
        {"more keys than said", head + "1 k k\r\n1 k k\r\n1 e\r\nend\r\n"},
        {"unknown kind", head + "10 k k\r\n20 z k\r\nend\r\n"},
        {"time not a number", head + "1x k k\r\n20 e\r\nend\r\n"},
        {"time past 32 bits", head + "4294967295 k k\r\n1 e\r\nend\r\n"},
        {"broken escape", head + "10 k %2\r\n20 e\r\nend\r\n"},
        {"two-byte key", head + "10 k ab\r\n20 e\r\nend\r\n"},
        {"empty item", head + "10 k k\r\n20 u a -\r\nend\r\n"},
        {"mistype without expected", head + "10 m k a\r\n20 e\r\nend\r\n"},
        {"stamp too short", "play 2024 1000 2 Act01\r\n10 k k\r\n20 e\r\nend\r\n"},
        {"too many keys", "play 20240101000000 1000 99999999 A\r\n10 e\r\nend\r\n"},
        {"raw control byte", head + "10 k \x01\r\n20 e\r\nend\r\n"},
        {"long line", head + "10 k k\r\n20 u a " + std::string(1100, 'a') + "\r\nend\r\n"},
    };
    for (const auto& [what, bad] : damaged) {
        SCOPED_TRACE(what);
        const KeyRecordFile file =
            ParseKeyRecordFile(std::string(kKeyRecordHeader) + "\r\n" + bad + good);
        EXPECT_EQ(file.unreadable, 1);
        ASSERT_EQ(file.plays.size(), 1u);
        EXPECT_EQ(file.plays[0].stamp, "20240101000011");
        // The next recording writes the file whole again, without the damaged block.
        EXPECT_EQ(KeyRecordFileWith(std::string(kKeyRecordHeader) + "\r\n" + bad + good, good),
                  std::string(kKeyRecordHeader) + "\r\n" + good + good);
    }
    // A file cut inside its last block; a file without its header; LF line ends.
    KeyRecordFile cut = ParseKeyRecordFile(good + good.substr(0, good.size() - 7));
    EXPECT_FALSE(cut.headerOk);
    EXPECT_EQ(cut.unreadable, 1);
    EXPECT_EQ(cut.plays.size(), 1u);
    EXPECT_EQ(ParseKeyRecordFile("play 20240101000000 1 1 A\n1 e\nend").plays.size(), 1u);
    EXPECT_TRUE(ParseKeyRecordFile("").headerOk);
}

TEST(KeyRecordFile, TheNewest150PlaysAreKept) {
    std::string bytes = std::string(kKeyRecordHeader) + "\r\n";
    for (int i = 0; i < 150; ++i) bytes += Block(i);
    const std::string next = KeyRecordFileWith(bytes, Block(150, "Act02"));
    const KeyRecordFile file = ParseKeyRecordFile(next);
    ASSERT_EQ(file.plays.size(), 150u);
    EXPECT_EQ(file.plays.front().stamp, "20240101000011");  // the first of 150 is gone
    EXPECT_EQ(file.plays.back().actName, "Act02");
    // A file edited to hold more keeps its newest 150 when read.
    const KeyRecordFile more = ParseKeyRecordFile(bytes + Block(150) + Block(151));
    ASSERT_EQ(more.plays.size(), 150u);
    EXPECT_EQ(more.plays.front().stamp, "20240101000012");
    EXPECT_EQ(more.unreadable, 0);
}

// The blocks a recording notes while it writes the file are the ones a reader of that file
// finds, so the file after the next play, made from them without reading them again, is the
// one made by reading the file through. Each case is an old file as a recording finds it.
TEST(KeyRecordFile, TheBlocksNotedWhileWritingAreWhereAReaderFindsThem) {
    std::string full = std::string(kKeyRecordHeader) + "\r\n";
    for (int i = 0; i < 150; ++i) full += Block(i);
    const std::string lf = "play 20240101000001 1 1 A\n1 e\nend\n";
    const std::vector<std::pair<const char*, std::string>> olds = {
        {"missing", ""},
        {"no header, LF line ends, no last line end", lf + "play 20240101000002 1 1 A\n1 e\nend"},
        {"damaged and cut short", Block(1) + "play 2024 x\r\nend\r\n" + Block(2) + "play 2"},
        {"150 plays", full},
        {"more than 150 plays", full + Block(150) + Block(151)},
        {"text around the blocks", "note\r\n" + Block(3) + "end\r\n\r\n" + Block(4) + "x"},
    };
    for (const auto& [what, old] : olds) {
        SCOPED_TRACE(what);
        KeyRecordBytes file = IndexKeyRecordFile(old);
        for (int play = 0; play < 3; ++play) {
            const std::string block = Block(200 + play, "Act02");
            const KeyRecordBytes next = KeyRecordBytesWith(file, block);
            EXPECT_EQ(next.bytes, KeyRecordFileWith(file.bytes, block));
            EXPECT_EQ(next.blocks, IndexKeyRecordFile(next.bytes).blocks);
            const KeyRecordFile read = ParseKeyRecordFile(next.bytes);
            EXPECT_EQ(read.unreadable, 0);
            ASSERT_EQ(read.plays.size(), next.blocks.size());
            EXPECT_EQ(read.plays.back().actName, "Act02");
            file = next;
        }
    }
    // A new block that cannot be read is written once and left out of the next file.
    const std::string cut = "play 20240101000003 1 2 A\r\n1 e\r\nend\r\n";
    const KeyRecordBytes withCut = KeyRecordBytesWith(IndexKeyRecordFile(Block(5)), cut);
    EXPECT_EQ(withCut.unreadable, 1);
    ASSERT_EQ(withCut.blocks.size(), 1u);
    EXPECT_EQ(KeyRecordBytesWith(withCut, Block(6)).bytes,
              std::string(kKeyRecordHeader) + "\r\n" + Block(5) + Block(6));
}
