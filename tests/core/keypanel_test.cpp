#include "keypanel.h"

#include <gtest/gtest.h>

#include "printers.h"
#include "test_util.h"

using namespace kotopa;
using testutil::Sj;
using List = std::vector<std::string>;

namespace {

KeyTable Table() {
    KeyTable t;
    t.SetRows({
        {Sj("あ"), {}},
        {Sj("し"), {"si", "shi", "ci"}},
        {Sj("ちゃ"), {"tya", "cha", "cya", "tyxa", "chixya"}},
        {Sj("きゃ"), {"kya", "k1", "k2", "k3", "k4", "k5", "k6"}},
        {Sj("ア"), {"XA", Sj("ア"), "Ka" + Sj("ア")}},  // ア is 83 41: its second byte is an "A"
        {"\x81\x41", {",", "ten"}},                     // 、
    });
    return t;
}

}  // namespace

TEST(KeyPanel, ARowShowsItsFirstFiveCandidatesAndWhereTheFocusGoes) {
    struct Case {
        std::size_t row;
        KouhoTexts kouho;
        std::optional<int> focus;
    };
    const Case cases[] = {
        {0, {"", "", "", "", ""}, 0},
        {1, {"si", "shi", "ci", "", ""}, 3},
        {2, {"tya", "cha", "cya", "tyxa", "chixya"}, std::nullopt},
        {3, {"kya", "k1", "k2", "k3", "k4"}, std::nullopt},  // the sixth and seventh stay unseen
        {4, {"xa", Sj("ア"), "ka" + Sj("ア"), "", ""}, 3},   // letters lower, kana untouched
        {5, {",", "ten", "", "", ""}, 2},
    };
    const KeyTable table = Table();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const KeyRowView view = ViewKeyRow(table, c.row);
        EXPECT_EQ(view.item, table.Rows()[c.row].item);
        EXPECT_EQ(view.number, std::to_string(c.row));
        EXPECT_EQ(view.kouho, c.kouho);
        EXPECT_EQ(view.focus, c.focus);
    }
}

TEST(KeyPanel, CandidateEditsTakeDigitsAndSmallLettersOnly) {
    for (const char c : std::string("0123456789abcdefghijklmnopqrstuvwxyz")) {
        EXPECT_TRUE(FilterKouhoKey(c)) << c;
    }
    // The neighbours of the ranges, upper case, signs, blanks, control keys, lead bytes.
    for (const char c : std::string("/:`{@[AZ- ,.\"\x08\x0D\x1B\x7F\x81\x82\xE0", 21)) {
        EXPECT_FALSE(FilterKouhoKey(c)) << static_cast<int>(static_cast<unsigned char>(c));
    }
}

TEST(KeyPanel, ATypedCharacterFillsTheFirstEmptyEarlierEdit) {
    struct Case {
        int typed;
        std::array<bool, kKouhoEdits> empty;
        int target;
    };
    const Case cases[] = {
        {0, {true, true, true, true, true}, 0},
        {2, {true, true, true, true, true}, 0},  // k into ed_kouho3 with 1 and 2 empty
        {2, {false, true, true, true, true}, 1},
        {2, {false, false, true, true, true}, 2},  // its own emptiness does not matter
        {4, {false, false, true, false, false}, 2},
        {4, {false, false, false, false, false}, 4},
        {1, {false, false, true, true, true}, 1},  // later empty edits do not matter
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KouhoTarget(c.typed, c.empty), c.target) << "typed into " << c.typed;
    }
}

TEST(KeyPanel, SettingARowIsRefusedInOrder) {
    struct Case {
        std::string number;
        std::string kouho1;
        SetRowRefusal refusal;
    };
    const Case cases[] = {
        {"", "", SetRowRefusal::NoRow},  // the first check wins
        {"", "ka", SetRowRefusal::NoRow},
        {"6", "ka", SetRowRefusal::NoRow},  // beyond the table
        {"1a", "ka", SetRowRefusal::NoRow},
        {"1", "", SetRowRefusal::NoCandidate},
        {"5", " ", SetRowRefusal::SignRow},
        {"5", Sj("　"), SetRowRefusal::SignRow},
        {"5", Sj("”"), SetRowRefusal::SignRow},
        {"5", "\"", SetRowRefusal::SignRow},
        {"5", Sj("、"), SetRowRefusal::SignRow},
        {"5", ",", SetRowRefusal::SignRow},
        {"5", ",,", SetRowRefusal::None},  // only the signs themselves
        {"5", "ten", SetRowRefusal::None},
        {"0", "a", SetRowRefusal::None},
    };
    const KeyTable table = Table();
    for (const Case& c : cases) {
        EXPECT_EQ(CheckSetRow(table, c.number, c.kouho1), c.refusal) << c.number << " " << c.kouho1;
    }
    EXPECT_EQ(ChosenRow(table, "3"), std::optional<std::size_t>(3));
    EXPECT_EQ(ChosenRow(table, "99999999999999999999"), std::nullopt);
}

TEST(KeyPanel, SettingARowKeepsTheFilledEditsInOrder) {
    struct Case {
        KouhoTexts kouho;
        List candidates;
    };
    const Case cases[] = {
        {{"si", "", "shi", "", ""}, {"si", "shi"}},  // a gap: the later candidate moves up
        {{"a", "b", "c", "d", "e"}, {"a", "b", "c", "d", "e"}},
        {{"", "", "", "", "x"}, {"x"}},
    };
    for (const Case& c : cases) {
        KeyRow row{Sj("きゃ"), {"kya", "k1", "k2", "k3", "k4", "k5", "k6"}};
        SetRowCandidates(row, c.kouho);
        EXPECT_EQ(row.candidates, c.candidates);
        EXPECT_EQ(row.item, Sj("きゃ"));
    }
}

TEST(KeyPanel, KeyFilesAreChosenByTheirExtensionInAnyCase) {
    EXPECT_TRUE(HasKeyExtension("/k/mine.key"));
    EXPECT_TRUE(HasKeyExtension("/k/MINE.KEY"));
    EXPECT_TRUE(HasKeyExtension("/k/mine.Key"));
    EXPECT_TRUE(HasKeyExtension("/k/.key"));
    EXPECT_FALSE(HasKeyExtension("/k/mine"));
    EXPECT_FALSE(HasKeyExtension("/k/mine.keys"));
    EXPECT_FALSE(HasKeyExtension("/k/mine.key.bak"));
    EXPECT_FALSE(HasKeyExtension("/k.key/mine"));
}

TEST(KeyPanel, QuestionsAndMessagesReadAsTheUserSeesThem) {
    const std::string path = Sj("/ホーム/key/自作.key");
    const std::pair<std::string, std::string> texts[] = {
        {SetRowQuestion(Sj("し")),
         "項目 【 し 】\n\rのキー配列を新たに設定します。\n\rよいでしょうか ?"},
        {std::string(StoreQuestion()), "キーカスタマイズ内容を mykey.key に保存しますか ?"},
        {LoadQuestion(path), "キー定義ファイル\n\r/ホーム/key/自作.key\n\rを読み込みますか ?"},
        {std::string(LoadedQuestion()),
         "読み込みが完了しました。\n\rこの定義内容を、起動時に読み込む mykey にしますか ?"},
        {BadKeyExtensionText(path),
         "/ホーム/key/自作.key\n\r正しい拡張子のファイルではありません。"},
        {KeyFileRefusalText(path, KeyFileProblem::Missing),
         "/ホーム/key/自作.key\n\rファイルが存在しません。"},
        {KeyFileRefusalText(path, KeyFileProblem::Unreadable),
         "/ホーム/key/自作.key\n\rファイルを読み込めません。"},
        {KeyFileRefusalText(path, KeyFileProblem::NoRows),
         "/ホーム/key/自作.key\n\rキーの定義が 1 つもありません。"},
        {KeyFileRefusalText(path, KeyFileProblem::NotShiftJis),
         "/ホーム/key/自作.key\n\rキーファイルが Shift_JIS ではありません。"},
        {KeyFileRefusalText(path, KeyFileProblem::NoKeys),
         "/ホーム/key/自作.key\n\rキーファイルにキーの定義がありません。"},
        {KeyFileRefusalText(path, KeyFileProblem::TooLarge),
         "/ホーム/key/自作.key\n\rファイルが大きすぎます。"},
        {std::string(SetRowRefusalMessage(SetRowRefusal::NoRow)), "カスタマイズの対象が不明です。"},
        {std::string(SetRowRefusalMessage(SetRowRefusal::NoCandidate)),
         "入力キー候補がありません。"},
        {std::string(SetRowRefusalMessage(SetRowRefusal::SignRow)), "この項目は編集できません。"},
    };
    for (const auto& [got, utf8] : texts) EXPECT_EQ(got, Sj(utf8)) << utf8;
}
