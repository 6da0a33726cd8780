// The written-form box of the real main window against the width kotopa-tool make splits
// long sentences to: what make writes must show whole in ed_Kanji, with the line-end marker.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPoint>

#include "actmake.h"
#include "app_test_support.h"

using namespace apptest;

namespace {

// True when the box shows the whole text. setText puts the cursor at the end, as a play
// does, so a text that does not fit is scrolled and its first character is not at the left.
bool ShowsWhole(QLineEdit* box, const QString& text) {
    box->setText(text);
    box->grab();  // painting lays the text out and scrolls it
    const QRect inside = box->contentsRect().marginsRemoved(box->textMargins());
    return box->cursorPositionAt(QPoint(inside.left() + 3, inside.center().y())) == 0;
}

}  // namespace

TEST(KanjiBox, ShowsTheFullWidthCharactersMakeCountsOn) {
    Rig rig;
    rig.StartShown();
    QLineEdit* box = rig.Get<QLineEdit>("ed_Kanji");
    const int n = kotopa::tool::kKanjiBoxChars;
    const QString wide = QStringLiteral("漢");
    EXPECT_TRUE(ShowsWhole(box, wide.repeated(n))) << n;
    EXPECT_FALSE(ShowsWhole(box, wide.repeated(n + 1))) << n + 1 << ": the box shows more";
    // make keeps a written form and its marker within n full-width characters, a
    // half-width character counting as half: the widest such line shows whole too.
    const QString marker = QStringLiteral("〆");
    EXPECT_TRUE(ShowsWhole(box, wide.repeated(n - 1) + marker));
    EXPECT_TRUE(ShowsWhole(box, QStringLiteral("W ").repeated(n - 1) + marker));
    EXPECT_TRUE(ShowsWhole(box, QStringLiteral("漢字 ").repeated((n - 1) / 3) + marker));
}
