#include "keypanel.h"

#include "act.h"
#include "sjis.h"
#include "textfile.h"

namespace kotopa {

namespace {

constexpr std::string_view kLfCr = "\n\r";

// The first candidates of the sign rows, which "設定" must not replace.
constexpr std::array<std::string_view, 6> kSignKeys{
    " ",
    "\x81\x40",  // ideographic space
    "\x81\x68",  // ”
    "\"",
    "\x81\x41",  // 、
    ",",
};

// Letters A to Z become a to z; double-byte characters are left whole.
std::string LowerLetters(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); i += CharLength(out, i)) {
        if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] + 32);
    }
    return out;
}

}  // namespace

KeyRowView ViewKeyRow(const KeyTable& table, std::size_t row) {
    const KeyRow& r = table.Rows().at(row);
    KeyRowView view;
    view.item = r.item;
    view.number = std::to_string(row);
    for (std::size_t n = 0; n < view.kouho.size() && n < r.candidates.size(); ++n) {
        view.kouho[n] = LowerLetters(r.candidates[n]);
    }
    for (int n = 0; n < kKouhoEdits; ++n) {
        if (view.kouho[static_cast<std::size_t>(n)].empty()) {
            view.focus = n;
            break;
        }
    }
    return view;
}

bool FilterKouhoKey(char key) {
    return (key >= '0' && key <= '9') || (key >= 'a' && key <= 'z');
}

int KouhoTarget(int typed, const std::array<bool, kKouhoEdits>& empty) {
    for (int n = 0; n < typed && n < kKouhoEdits; ++n) {
        if (empty[static_cast<std::size_t>(n)]) return n;
    }
    return typed;
}

std::optional<std::size_t> ChosenRow(const KeyTable& table, std::string_view koumokuNo) {
    if (koumokuNo.empty() || koumokuNo.size() > 9) return std::nullopt;
    std::size_t row = 0;
    for (const char c : koumokuNo) {
        if (c < '0' || c > '9') return std::nullopt;
        row = row * 10 + static_cast<std::size_t>(c - '0');
    }
    if (row >= table.Rows().size()) return std::nullopt;
    return row;
}

SetRowRefusal CheckSetRow(const KeyTable& table, std::string_view koumokuNo,
                          std::string_view kouho1) {
    if (!ChosenRow(table, koumokuNo)) return SetRowRefusal::NoRow;
    if (kouho1.empty()) return SetRowRefusal::NoCandidate;
    for (const std::string_view sign : kSignKeys) {
        if (kouho1 == sign) return SetRowRefusal::SignRow;
    }
    return SetRowRefusal::None;
}

std::string_view SetRowRefusalMessage(SetRowRefusal refusal) {
    switch (refusal) {
        case SetRowRefusal::NoRow:  // カスタマイズの対象が不明です。
            return "\x83\x4A\x83\x58\x83\x5E\x83\x7D\x83\x43\x83\x59\x82\xCC\x91\xCE"
                   "\x8F\xDB\x82\xAA\x95\x73\x96\xBE\x82\xC5\x82\xB7\x81\x42";
        case SetRowRefusal::NoCandidate:  // 入力キー候補がありません。
            return "\x93\xFC\x97\xCD\x83\x4C\x81\x5B\x8C\xF3\x95\xE2\x82\xAA\x82\xA0\x82\xE8"
                   "\x82\xDC\x82\xB9\x82\xF1\x81\x42";
        case SetRowRefusal::SignRow:  // この項目は編集できません。
            return "\x82\xB1\x82\xCC\x8D\x80\x96\xDA\x82\xCD\x95\xD2\x8F\x57\x82\xC5\x82\xAB"
                   "\x82\xDC\x82\xB9\x82\xF1\x81\x42";
        case SetRowRefusal::None:
            break;
    }
    return {};
}

void SetRowCandidates(KeyRow& row, const KouhoTexts& kouho) {
    row.candidates.clear();
    for (const std::string& k : kouho) {
        if (!k.empty()) row.candidates.push_back(k);
    }
}

bool HasKeyExtension(const std::filesystem::path& path) {
    return HasExtension(path, ".key");
}

std::string SetRowQuestion(std::string_view item) {
    std::string s = "\x8D\x80\x96\xDA \x81\x79 ";  // 項目 【
    s += item;
    s += " \x81\x7A";  // 】
    s += kLfCr;
    // のキー配列を新たに設定します。
    s += "\x82\xCC\x83\x4C\x81\x5B\x94\x7A\x97\xF1\x82\xF0\x90\x56\x82\xBD\x82\xC9"
         "\x90\xDD\x92\xE8\x82\xB5\x82\xDC\x82\xB7\x81\x42";
    s += kLfCr;
    s += "\x82\xE6\x82\xA2\x82\xC5\x82\xB5\x82\xE5\x82\xA4\x82\xA9 ?";  // よいでしょうか ?
    return s;
}

std::string_view StoreQuestion() {
    // キーカスタマイズ内容を mykey.key に保存しますか ?
    return "\x83\x4C\x81\x5B\x83\x4A\x83\x58\x83\x5E\x83\x7D\x83\x43\x83\x59\x93\xE0"
           "\x97\x65\x82\xF0 mykey.key \x82\xC9\x95\xDB\x91\xB6\x82\xB5\x82\xDC\x82\xB7"
           "\x82\xA9 ?";
}

std::string LoadQuestion(std::string_view sjisPath) {
    // キー定義ファイル
    std::string s = "\x83\x4C\x81\x5B\x92\xE8\x8B\x60\x83\x74\x83\x40\x83\x43\x83\x8B";
    s += kLfCr;
    s += sjisPath;
    s += kLfCr;
    s += "\x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB7\x82\xA9 ?";  // を読み込みますか ?
    return s;
}

std::string_view LoadedQuestion() {
    // 読み込みが完了しました。 LF CR この定義内容を、起動時に読み込む mykey にしますか ?
    return "\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xAA\x8A\xAE\x97\xB9\x82\xB5\x82\xDC"
           "\x82\xB5\x82\xBD\x81\x42\n\r"
           "\x82\xB1\x82\xCC\x92\xE8\x8B\x60\x93\xE0\x97\x65\x82\xF0\x81\x41\x8B\x4E"
           "\x93\xAE\x8E\x9E\x82\xC9\x93\xC7\x82\xDD\x8D\x9E\x82\xDE mykey \x82\xC9"
           "\x82\xB5\x82\xDC\x82\xB7\x82\xA9 ?";
}

std::string BadKeyExtensionText(std::string_view sjisPath) {
    return RefusalText(sjisPath, ActRefusal::BadExtension);
}

std::string KeyFileRefusalText(std::string_view sjisPath, KeyFileProblem problem) {
    std::string s(sjisPath);
    s += kLfCr;
    switch (problem) {
        case KeyFileProblem::Missing:
            s += RefusalMessage(ActRefusal::Missing);
            break;
        case KeyFileProblem::Unreadable:
            s += RefusalMessage(ActRefusal::Unreadable);
            break;
        case KeyFileProblem::NoRows:  // キーの定義が 1 つもありません。
            s += "\x83\x4C\x81\x5B\x82\xCC\x92\xE8\x8B\x60\x82\xAA 1 \x82\xC2\x82\xE0"
                 "\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x42";
            break;
        case KeyFileProblem::NotShiftJis:  // only the start-up's warnings (KeyFileWarning)
        case KeyFileProblem::NoKeys:
        case KeyFileProblem::None:
            break;
    }
    return s;
}

}  // namespace kotopa
