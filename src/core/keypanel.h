// The rules of the key customisation panel that need no window: what a row of the key
// table shows in the panel, which characters the candidate edits take and which edit a
// typed character goes to, the refusals of "設定" and how it rewrites a row, the key file
// a user may choose, and the panel's questions and messages (Shift_JIS).
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "keytable.h"

namespace kotopa {

// ed_kouho1 to ed_kouho5, counted from 0 here.
inline constexpr int kKouhoEdits = 5;
using KouhoTexts = std::array<std::string, kKouhoEdits>;

// What the panel shows for one row.
struct KeyRowView {
    std::string item;    // ed_koumoku
    std::string number;  // ed_KoumokuNo: the row's index in decimal
    KouhoTexts kouho;    // the first five candidates as the table's rules show them; "" for none
    // The lowest-numbered candidate edit left empty, which takes the focus; none when all
    // five hold a candidate.
    std::optional<int> focus;
    bool operator==(const KeyRowView&) const = default;
};

// The view of the row at index row (which must exist).
KeyRowView ViewKeyRow(const KeyTable& table, std::size_t row);

// FilterKouhoKey: the candidate edits take the keys the table's rules let them (EditKey):
// for a romaji table the digits 0 to 9 and the letters a to z, everything else, upper-case
// letters, signs, blanks and control characters included, being dropped.
bool FilterKouhoKey(char key, const KeyRules& rules = KeyRules::Romaji());

// The candidate edit that an accepted character typed into edit typed goes to: the first
// empty edit before it, which then holds that character alone, or typed itself.
int KouhoTarget(int typed, const std::array<bool, kKouhoEdits>& empty);

// The row that ed_KoumokuNo names: its text is the decimal index of a row of the table.
std::optional<std::size_t> ChosenRow(const KeyTable& table, std::string_view koumokuNo);

// Why "設定" refuses, checked in this order: no chosen row, no first candidate, a first
// candidate that is a sign row's key (a blank, a comma or a double quote, in either width,
// or the table's key for 、), since a sign row's first candidate is fixed.
enum class SetRowRefusal { None, NoRow, NoCandidate, SignRow };
SetRowRefusal CheckSetRow(const KeyTable& table, std::string_view koumokuNo,
                          std::string_view kouho1);
std::string_view SetRowRefusalMessage(SetRowRefusal refusal);

// The row's candidates become the edits that hold text, in order: empty edits are skipped,
// and candidates after the fifth are gone.
void SetRowCandidates(KeyRow& row, const KouhoTexts& kouho);

// A key file to load must end in .key, in any case.
bool HasKeyExtension(const std::filesystem::path& path);

// The texts of the panel's dialogs; paths are Shift_JIS, lines break with LF CR.
std::string SetRowQuestion(std::string_view item);
std::string_view StoreQuestion();
std::string LoadQuestion(std::string_view sjisPath);
std::string LoadedQuestion();
std::string BadKeyExtensionText(std::string_view sjisPath);
std::string KeyFileRefusalText(std::string_view sjisPath, KeyFileProblem problem);

}  // namespace kotopa
