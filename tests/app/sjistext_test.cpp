#include "sjistext.h"

#include <gtest/gtest.h>

using namespace kotopa;

TEST(SjisText, RoundTripsJapaneseText) {
    const QString text = QString::fromUtf8(u8"KotoPA  [ 練習 ] ～ 「きゃく」、ア　ヂ");
    const SjisEncoding e = EncodeSjis(text);
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(e.bytes.substr(0, 10), "KotoPA  [ ");
    EXPECT_EQ(FromSjis(e.bytes), text);
    EXPECT_EQ(FirstInvalidSjis(e.bytes), -1);
}

TEST(SjisText, LookAlikesMapToTheCharactersCodePage932Holds) {
    EXPECT_EQ(EncodeSjis(QString::fromUtf8(u8"\u301C")).bytes, "\x81\x60");  // wave dash
    EXPECT_EQ(EncodeSjis(QString::fromUtf8(u8"\uFF5E")).bytes, "\x81\x60");  // full-width tilde
    EXPECT_EQ(EncodeSjis(QString::fromUtf8(u8"\u2212")).bytes, "\x81\x7C");  // minus sign
    EXPECT_EQ(EncodeSjis(QString::fromUtf8(u8"\u2014")).bytes, "\x81\x5C");  // em dash
    EXPECT_EQ(EncodeSjis(QStringLiteral("\\~")).bytes, "\\~");                // ASCII stays ASCII
}

TEST(SjisText, UnencodableCharactersAreFoundByPlace) {
    const SjisEncoding e = EncodeSjis(QString::fromUtf8(u8"あいゔう"));
    EXPECT_EQ(e.badIndex, 2);
    EXPECT_EQ(EncodeSjis(QString::fromUtf8(u8"ab😀")).badIndex, 2);
    EXPECT_EQ(ToSjisLossy(QString::fromUtf8(u8"a😀b")), "a?b");
}

TEST(SjisText, InvalidBytesAreFound) {
    EXPECT_EQ(FirstInvalidSjis("abc"), -1);
    EXPECT_EQ(FirstInvalidSjis("ab\x82"), 2);          // lone lead byte at the end
    EXPECT_EQ(FirstInvalidSjis("a\x82\x20"), 1);       // trail byte out of range
    EXPECT_EQ(FirstInvalidSjis("\x85\x40"), 0);        // unassigned row
    EXPECT_EQ(FirstInvalidSjis("\x80"), 0);
    EXPECT_EQ(FirstInvalidSjis("\xB1\xB2"), -1);       // half-width katakana
}

TEST(SjisText, PathsKeepTheirNativeForm) {
    const std::filesystem::path p = PathFromQString(QString::fromUtf8(u8"/home/利用者/ktp/Act01.ktp"));
    EXPECT_EQ(PathToQString(p), QString::fromUtf8(u8"/home/利用者/ktp/Act01.ktp"));
    EXPECT_EQ(PathFromSjis(PathToSjis(p)), p);
}

TEST(SjisText, PrintableAsciiDecodesToItself) {
    std::string ascii = "\t\n\r";
    for (int c = 0x20; c < 0x7F; ++c) ascii += static_cast<char>(c);
    EXPECT_EQ(FromSjis(ascii), QString::fromLatin1(ascii.data(), static_cast<qsizetype>(ascii.size())));
    EXPECT_EQ(FromSjis("\\~"), QStringLiteral("\\~"));  // not the yen sign and the overline
    EXPECT_EQ(FromSjis("ab\x82\xA0"), QString::fromUtf8(u8"abあ"));
    // The converter's own table decides the other control bytes, also in short texts.
    EXPECT_EQ(FromSjis("\x1A"), FromSjis(std::string("\x1A") + "\x82\xA0").left(1));
    EXPECT_EQ(FromSjis("\x81\x99"), QString::fromUtf8(u8"☆"));
}
