// The settings file save/kotopa.ini (sections TOP, PLAY, FILE): its twelve keys with their
// defaults, the write of the options at shutdown (the bests are written with a recorded
// play, in results.h), and the rules of the option controls and their labels as plain
// functions.
// Every write keeps the file's other lines and reaches the disk whole or not at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "basedir.h"
#include "inifile.h"
#include "play.h"

namespace kotopa {

// The play count and the two bests, written after every recorded play.
struct Bests {
    int32_t BestKeysPerMin = 0;
    int32_t BestCharsPerMin = 0;
    int32_t PlayCount = 1;
    bool operator==(const Bests&) const = default;
};

// key/'s file of a style: "mykey.key" for romaji, "mykana.key" for kana.
std::string_view KeyFileName(InputStyle style);

struct Settings {
    static constexpr std::string_view kNoLastAct = "NASI";

    Bests bests;      // TOP/KEY, TOP/MOZI, PLAY/COUNT: the romaji style's
    Bests kanaBests;  // KANA/KEY, KANA/MOZI, KANA/COUNT: the kana style's
    const Bests& BestsOf(InputStyle s) const { return s == InputStyle::Kana ? kanaBests : bests; }
    // The selected button of each radio group; empty when a hand-edited file selects none.
    std::optional<ProblemOrder> order = ProblemOrder::Normal;
    std::optional<EndCondition> end = EndCondition::Eof;
    int32_t value = 60;                          // sp_Time, 5 to 999
    bool sound = true;                           // ch_miss
    InputStyle style = InputStyle::Romaji;       // rd_Romaji, rd_Kana: PLAY/KANA
    bool guide = false;                          // ch_Guide, the romaji guide
    std::string last = std::string(kNoLastAct);  // FILE/LAST, a Shift_JIS path

    // What the next play runs with; a group without a selected button counts as its default.
    PlayOptions Options() const {
        PlayOptions o = PlayOptions::FromControls(end, value, order);
        o.romajiGuide = guide;
        return o;
    }
};

// All twelve keys, in the order the program applies them: among the radio keys of a group
// the last one at 1 wins, and none at 1 leaves the group without a selection; VALUE is
// brought into 5 to 999 (60 when it is not an integer).
Settings ReadSettings(const IniFile& ini);

// The settings file is a few hundred bytes; one larger than this is no settings file.
inline constexpr std::uintmax_t kSettingsFileLimit = 1 * kMiB;

struct SettingsLoad {
    Settings settings;
    // Missing: defaults, silently. Unreadable: defaults too, and the writers below refuse to
    // replace the file, so that keys the program could not read are not lost. TooLarge:
    // defaults, and the start-up moves the file aside (SetSettingsAside).
    ReadStatus status = ReadStatus::Missing;
};
SettingsLoad LoadSettings(const std::filesystem::path& path);

// Moves a settings file that is too large to its name + ".damaged", so that the defaults are
// written to a new one and the next start is clean: the new name, or empty when it could not
// be moved (then it is left as it is and never written over).
std::filesystem::path SetSettingsAside(const std::filesystem::path& path);

// Shutdown: PLAY/NOMAL, RANDOM, ENDEOF, ENDMILI, ENDGYOU, VALUE, SOUND, KANA (once the kana
// style was chosen), GUIDE (once the romaji guide was on) and FILE/LAST (in double quotes), in
// that order, as one write. False when the file was not written.
bool SaveShutdownSettings(const std::filesystem::path& path, const Settings& settings);

// --- The option controls -------------------------------------------------------------

// What the time-limit label, the problem label and the spin box show for an end condition.
struct OptionLabels {
    std::string lb_Seigen = "00:00";
    std::string lb_Mondai = "000 / 000";  // the design caption
    bool sp_TimeEnabled = false;
    bool operator==(const OptionLabels&) const = default;
};

// rd_EofClick, rd_MiliClick, rd_GyouClick with the spin box's value.
OptionLabels EndConditionClicked(EndCondition end, int32_t spinValue);

// The labels after start-up applied the settings: as the click handler of the selected
// button left them, or the design captions when no end button is selected or when it is
// "EOF(標準)", which is selected by design and so runs no click handler.
OptionLabels StartupOptionLabels(std::optional<EndCondition> end, int32_t spinValue);

// sp_TimeChange: the labels that change while the spin-box text is edited (a text that is
// not an integer counts as 0; a negative number shows as 00:00).
struct SpinTextLabels {
    std::optional<std::string> lb_Seigen;
    std::optional<std::string> lb_Mondai;
};
SpinTextLabels SpinTextChanged(std::string_view text, std::optional<EndCondition> selected);

// Setting the spin box's value stores the nearest number in 5 to 999.
int32_t ClampSpinValue(int64_t value);

// sp_TimeExit followed by the spin box's own bound check.
struct SpinExit {
    bool showMessage = false;  // msg::kSpinRange in a plain message box, then focus back
    int32_t value = 60;        // the value the box holds afterwards
};
SpinExit SpinTimeExit(std::string_view text);

// ShowPlayInfo: lb_Kaisu, lb_TopNyu, lb_TopTime, each "%5d".
struct PlayInfoLabels {
    std::string lb_Kaisu, lb_TopNyu, lb_TopTime;
};
PlayInfoLabels FormatPlayInfo(const Bests& bests);

// --- Resuming the last Act ----------------------------------------------------------

// FILE/LAST for the Act at act: its full path in Shift_JIS when Shift_JIS holds it (exactly:
// it reads back as the same path); otherwise, for an Act under baseDir, its path relative to
// baseDir when that can be held; otherwise "NASI", since a path with "?" in place of a
// character would name another file or none.
std::string StoredActPath(const std::filesystem::path& act, const std::filesystem::path& baseDir);
// The Act that FILE/LAST names, full or relative to baseDir; nothing for "NASI" or an empty
// value.
std::optional<std::filesystem::path> StoredActFile(std::string_view last,
                                                   const std::filesystem::path& baseDir);

// The question is asked only when the stored path is not "NASI", differs from the default
// Act's stored path (exact byte comparison) and names an existing file.
bool ShouldAskResume(std::string_view lastSjis, std::string_view defaultActSjis, bool lastExists);
// "前回プレイした内容" LF CR path LF CR "を読み込みますか ?"
std::string ResumeQuestionText(std::string_view lastSjis);

}  // namespace kotopa
