#include "keypanel.h"

#include "act.h"
#include "messages.h"
#include "sjis.h"
#include "textfile.h"

namespace kotopa {

KeyRowView ViewKeyRow(const KeyTable& table, std::size_t row) {
    const KeyRow& r = table.Rows().at(row);
    KeyRowView view;
    view.item = r.item;
    view.number = std::to_string(row);
    for (std::size_t n = 0; n < view.kouho.size() && n < r.candidates.size(); ++n) {
        view.kouho[n] = table.Rules().ShownCandidate(r.candidates[n]);
    }
    for (int n = 0; n < kKouhoEdits; ++n) {
        if (view.kouho[static_cast<std::size_t>(n)].empty()) {
            view.focus = n;
            break;
        }
    }
    return view;
}

bool FilterKouhoKey(char key, const KeyRules& rules) {
    return rules.EditKey(key);
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
    if (table.Rules().IsSignKey(kouho1)) return SetRowRefusal::SignRow;
    return SetRowRefusal::None;
}

std::string_view SetRowRefusalMessage(SetRowRefusal refusal) {
    switch (refusal) {
        case SetRowRefusal::NoRow:
            return msg::kSetRowNoRow;
        case SetRowRefusal::NoCandidate:
            return msg::kSetRowNoCandidate;
        case SetRowRefusal::SignRow:
            return msg::kSetRowSignRow;
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
    std::string s(msg::kSetRowItemHead);
    s += item;
    s += msg::kSetRowItemTail;
    s += msg::kLfCr;
    s += msg::kSetRowQuestion;
    s += msg::kLfCr;
    s += msg::kSetRowConfirm;
    return s;
}

std::string_view StoreQuestion() {
    return msg::kStoreQuestion;
}

std::string LoadQuestion(std::string_view sjisPath) {
    std::string s(msg::kLoadHead);
    s += msg::kLfCr;
    s += sjisPath;
    s += msg::kLfCr;
    s += msg::kLoadTail;
    return s;
}

std::string LoadedQuestion() {
    std::string s(msg::kLoadDone);
    s += msg::kLfCr;
    s += msg::kLoadedQuestion;
    return s;
}

std::string BadKeyExtensionText(std::string_view sjisPath) {
    return RefusalText(sjisPath, ActRefusal::BadExtension);
}

std::string KeyFileRefusalText(std::string_view sjisPath, KeyFileProblem problem) {
    return PathMessage(sjisPath, KeyFileCauseOf(problem).refused);
}

}  // namespace kotopa
