// The QString layer over the code page 932 converter: indexes in QString units, the ASCII
// shortcut and paths as Qt's file dialog and shell take them.
#include "sjistext.h"

#include <gtest/gtest.h>

using namespace kotopa;

TEST(SjisText, RoundTripsJapaneseText) {
    const QString text = QString::fromUtf8(u8"KotoPA  [ 練習 ] ～ 「きゃく」、ア　ヂ");
    const SjisEncoding e = EncodeSjis(text);
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(e.bytes.substr(0, 10), "KotoPA  [ ");
    EXPECT_EQ(FromSjis(e.bytes), text);
    EXPECT_EQ(EncodeSjis(QString::fromUtf8(u8"\u301C")).bytes, "\x81\x60");  // wave dash
}

TEST(SjisText, UnencodableCharactersAreFoundByTheirPlaceInTheQString) {
    EXPECT_EQ(EncodeSjis(QString::fromUtf8(u8"あいゔう")).badIndex, 2);
    EXPECT_EQ(EncodeSjis(QString::fromUtf8(u8"😀ゔ")).badIndex, 0);
    EXPECT_EQ(EncodeSjis(QString::fromUtf8(u8"あ😀")).badIndex, 1);
    EXPECT_EQ(ToSjisLossy(QString::fromUtf8(u8"a😀b")), "a?b");
}

TEST(SjisText, PathsKeepTheirNativeForm) {
    const std::filesystem::path p =
        PathFromQString(QString::fromUtf8(u8"/home/利用者/ktp/Act01.ktp"));
    EXPECT_EQ(PathToQString(p), QString::fromUtf8(u8"/home/利用者/ktp/Act01.ktp"));
    EXPECT_EQ(p, PathFromUtf8("/home/利用者/ktp/Act01.ktp"));
    EXPECT_EQ(PathFromSjis(PathToSjis(p)), p);
}

TEST(SjisText, PrintableAsciiDecodesToItself) {
    std::string ascii = "\t\n\r";
    for (int c = 0x20; c < 0x7F; ++c) ascii += static_cast<char>(c);
    EXPECT_EQ(FromSjis(ascii),
              QString::fromLatin1(ascii.data(), static_cast<qsizetype>(ascii.size())));
    EXPECT_EQ(FromSjis("ab\x82\xA0"), QString::fromUtf8(u8"abあ"));
    EXPECT_EQ(FromSjis("\x1A"), FromSjis(std::string("\x1A") + "\x82\xA0").left(1));
    EXPECT_EQ(FromSjis("\x81\x99\x85\x40"), QString::fromUtf8(u8"☆\uFFFD"));
}
