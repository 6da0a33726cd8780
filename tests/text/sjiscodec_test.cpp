// The system's code page 932 converter as the program uses it: the whole table both ways
// against the one written from the Linux converter (so Windows must agree with it), the
// bytes that are no character, what cannot be stored, and paths as text.
#include "sjiscodec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "test_util.h"

using namespace kotopa;
namespace fs = std::filesystem;

namespace {

struct TableEntry {
    std::u16string text;
    std::string back;  // the code the character encodes to
};

std::string Bytes(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

std::string Hex(std::string_view bytes) {
    std::string out;
    char buf[4];
    for (const char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X",
                      static_cast<unsigned>(static_cast<unsigned char>(c)));
        out += buf;
    }
    return out;
}

std::string Hex(std::u16string_view text) {
    std::string out;
    char buf[8];
    for (const char16_t c : text) {
        std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(c));
        out += buf;
    }
    return out;
}

const std::map<std::string, TableEntry>& Table() {
    static const std::map<std::string, TableEntry> table = [] {
        std::map<std::string, TableEntry> t;
        std::ifstream in(PathFromUtf8(KOTOPA_CP932_TABLE));
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream fields(line);
            std::string code, text, back;
            fields >> code >> text >> back;
            const std::string bytes = Bytes(code);
            std::u16string u;
            for (std::size_t i = 0; i + 3 < text.size(); i += 4)
                u += static_cast<char16_t>(std::stoi(text.substr(i, 4), nullptr, 16));
            t[bytes] = {u, back.empty() ? bytes : Bytes(back)};
        }
        return t;
    }();
    return table;
}

// Every single byte and every lead byte with every byte after it.
std::vector<std::string> EveryCode() {
    std::vector<std::string> codes;
    for (int b = 0; b < 0x100; ++b) {
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        if (!lead) codes.emplace_back(1, static_cast<char>(b));
        for (int t = 0; lead && t < 0x100; ++t) {
            codes.push_back({static_cast<char>(b), static_cast<char>(t)});
        }
    }
    return codes;
}

}  // namespace

TEST(Cp932Table, EveryCodeConvertsBothWaysAsTheTableSays) {
    const auto& table = Table();
    ASSERT_GT(table.size(), 9000u) << "no table at " << KOTOPA_CP932_TABLE;
    int decodeWrong = 0, encodeWrong = 0, invalidWrong = 0;
    std::string firstWrong;
    auto note = [&](int& count, const std::string& what) {
        if (count++ == 0 && firstWrong.empty()) firstWrong = what;
    };
    for (const std::string& code : EveryCode()) {
        const std::u16string text = SjisToUtf16(code);
        const auto it = table.find(code);
        if (it == table.end()) {
            // Not a character: one replacement for the pair, or for a lead byte whose next
            // byte cannot follow it (that byte is then a character of its own).
            std::u16string wanted = u"\uFFFD";
            const auto second = code.size() == 2 ? static_cast<unsigned char>(code[1]) : 0;
            if (code.size() == 2 && (second < 0x40 || second == 0x7F || second > 0xFC))
                wanted += SjisToUtf16(code.substr(1));
            if (text != wanted) note(decodeWrong, "decoding " + Hex(code) + " gave " + Hex(text));
            if (FirstInvalidSjis(code) != 0) note(invalidWrong, "no error found in " + Hex(code));
            continue;
        }
        if (text != it->second.text)
            note(decodeWrong, "decoding " + Hex(code) + " gave " + Hex(text));
        if (FirstInvalidSjis(code) != -1) note(invalidWrong, Hex(code) + " was called invalid");
        const SjisEncoding e = SjisFromUtf16(it->second.text);
        if (!e.ok() || e.bytes != it->second.back)
            note(encodeWrong, "encoding " + Hex(it->second.text) + " gave " + Hex(e.bytes));
    }
    EXPECT_EQ(decodeWrong, 0) << firstWrong;
    EXPECT_EQ(encodeWrong, 0) << firstWrong;
    EXPECT_EQ(invalidWrong, 0) << firstWrong;
}

TEST(Cp932Table, AWholeTextConvertsInOneGoAsCharacterByCharacter) {
    // Runs of many characters, bad pairs among them, take the converter's fast path and its
    // recovery; they must agree with the table character by character.
    std::string bytes;
    std::u16string expected;
    for (const auto& [code, entry] : Table()) {
        bytes += code;
        expected += entry.text;
        if (code == "\x88\x9F") {  // 亜, then an unassigned pair and a lone lead byte
            bytes +=
                "\x85\x40"
                "\x82"
                " ";
            expected += u"\uFFFD\uFFFD ";
        }
    }
    const std::u16string got = SjisToUtf16(bytes);
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    EXPECT_EQ(at, expected.size())
        << Hex(got.substr(at, 8)) << " for " << Hex(expected.substr(at, 8));
    EXPECT_EQ(got.size(), expected.size());
    const SjisEncoding back = SjisFromUtf16(expected.substr(0, expected.find(u'\uFFFD')));
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(SjisToUtf16(back.bytes), expected.substr(0, expected.find(u'\uFFFD')));
}

TEST(SjisCodec, BytesThatAreNoCharacterBecomeOneReplacementEach) {
    const struct {
        const char* bytes;
        std::u16string text;
        std::ptrdiff_t firstInvalid;
    } cases[] = {
        {"abc", u"abc", -1},
        {"ab\x82", u"ab\uFFFD", 2},            // lone lead byte at the end
        {"a\x82\x20z", u"a\uFFFD z", 1},       // a blank cannot follow a lead byte
        {"\x85\x40\x82\xA0", u"\uFFFDあ", 0},  // unassigned row
        {"\x82\xA0\x80\xA0\xFD", u"あ\uFFFD\uFFFD\uFFFD", 2},
        {"\xB1\xB2", u"ｱｲ", -1},  // half-width katakana
        {"\\~", u"\\~", -1},      // not the yen sign and the overline
        {"\x81\x99\x81\x59", u"☆〆", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SjisToUtf16(c.bytes), c.text) << Hex(c.bytes);
        EXPECT_EQ(FirstInvalidSjis(c.bytes), c.firstInvalid) << Hex(c.bytes);
    }
    EXPECT_EQ(SjisToUtf8("\x97\xFB\x8F\x4B"), "練習");
}

TEST(SjisCodec, LookAlikesAreStoredAsTheCharactersCodePage932Holds) {
    const struct {
        std::u16string text;
        const char* bytes;
    } cases[] = {
        {u"\u301C", "\x81\x60"},  // wave dash
        {u"\uFF5E", "\x81\x60"},  // full-width tilde
        {u"\u2212", "\x81\x7C"},  // minus sign
        {u"\u2014", "\x81\x5C"},  // em dash
        {u"\u2016", "\x81\x61"},  // double vertical line
        {u"\u00A2\u00A3\u00AC", "\x81\x91\x81\x92\x81\xCA"},
        {u"\\~", "\\~"},
        {u"KotoPA  [ 練習 ] 「きゃく」、ア　ヂ", nullptr},
    };
    for (const auto& c : cases) {
        const SjisEncoding e = SjisFromUtf16(c.text);
        ASSERT_TRUE(e.ok()) << Hex(c.text);
        if (c.bytes) {
            EXPECT_EQ(Hex(e.bytes), Hex(c.bytes));
        } else {
            EXPECT_EQ(SjisToUtf16(e.bytes), c.text);
        }
    }
}

TEST(SjisCodec, WhatCannotBeHeldIsFoundByPlace) {
    const struct {
        std::u16string text;
        std::ptrdiff_t bad;
    } cases[] = {
        {u"あいゔう", 2},
        {u"ab😀", 2},
        {u"¥100", 0},  // would be stored as \ and read back as a backslash
        {u"a‾", 1},    // likewise ~
        {u"aé", 1},
        {u"a\xD800"
         u"b",
         1},  // a lone surrogate
        {u"ab\xDC00", 2},
        {u"\u0080", 0},
        {u"\uF8F0", 0},
    };
    for (const auto& c : cases) {
        const SjisEncoding e = SjisFromUtf16(c.text);
        EXPECT_EQ(e.badIndex, c.bad) << Hex(c.text);
        EXPECT_TRUE(e.bytes.empty());
    }
    // UTF-8: the place is a byte offset; malformed bytes cannot be held either.
    EXPECT_EQ(SjisFromUtf8("あいゔう").badIndex, 6);
    EXPECT_EQ(SjisFromUtf8("ab\xFF").badIndex, 2);
    EXPECT_EQ(SjisFromUtf8("a\xE3\x81").badIndex, 1);
    EXPECT_EQ(SjisFromUtf8("練習").bytes, "\x97\xFB\x8F\x4B");
    // Lossy forms put "?" where something must be shown.
    EXPECT_EQ(SjisFromUtf16Lossy(u"a😀bゔ"), "a?b?");
    EXPECT_EQ(SjisFromUtf8Lossy("¥練"), "?\x97\xFB");
}

TEST(SjisCodec, Utf8AndUtf16ConvertWithReplacementForMalformedInput) {
    EXPECT_EQ(Utf8ToUtf16("a練😀"), u"a練😀");
    EXPECT_EQ(Utf16ToUtf8(u"a練😀"), "a練😀");
    EXPECT_EQ(Utf8ToUtf16("a\xC0\x80z"), u"a\uFFFD\uFFFDz");        // overlong NUL
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // an encoded surrogate
    EXPECT_EQ(Utf16ToUtf8(u"a\xD800"), "a\xEF\xBF\xBD");
    EXPECT_EQ(FirstInvalidUtf8("a練😀"), std::string_view::npos);
    EXPECT_EQ(FirstInvalidUtf8("ab\xF4\x90\x80\x80"), 2u);  // above U+10FFFF
    EXPECT_EQ(FirstInvalidUtf8("ab\xE3\x81"), 2u);          // cut short
}

TEST(SjisCodec, PathsTurnIntoTextAndBack) {
    const fs::path p = PathFromUtf8("ユーザー/練習/Act01.ktp");
    EXPECT_EQ(PathToUtf8(p), "ユーザー/練習/Act01.ktp");
    EXPECT_EQ(PathToUtf16(p), u"ユーザー/練習/Act01.ktp");
    EXPECT_EQ(PathFromUtf16(PathToUtf16(p)), p);
    EXPECT_EQ(PathToSjis(p), testutil::Sj("ユーザー/練習/Act01.ktp"));
    EXPECT_EQ(PathFromSjis(PathToSjis(p)), p);
    EXPECT_EQ(p.filename(), PathFromUtf8("Act01.ktp"));
    EXPECT_EQ(p.parent_path().filename(), PathFromUtf8("練習"));
    // What Shift_JIS cannot hold is shown as "?" (and such a path is not stored back).
    EXPECT_EQ(PathToSjis(PathFromUtf8("한국/a")),
              "?"
              "?/a");
}

TEST(SjisCodec, JapaneseFileNamesReachTheFileSystem) {
    testutil::TempDir dir;
    const fs::path folder = dir / "練習フォルダ";
    fs::create_directories(folder);
    const fs::path file = PathFromSjis(PathToSjis(folder / PathFromUtf8("練習01.ktp")));
    testutil::WriteBytes(file, "x");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(PathToUtf8(e.path().filename()));
    EXPECT_EQ(names, std::vector<std::string>{"練習01.ktp"});
    EXPECT_EQ(testutil::ReadBytes(folder / PathFromUtf8("練習01.ktp")), "x");
}
