#include "settings.h"

#include <algorithm>

#include "messages.h"
#include "sjiscodec.h"

namespace kotopa {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTop = "TOP";
constexpr std::string_view kPlay = "PLAY";
constexpr std::string_view kFile = "FILE";

// Applies one radio key the way a button reacts to being set: selecting it deselects the
// rest of its group, deselecting clears only that button.
template <typename T>
void ApplyRadio(std::optional<T>& group, T button, bool selected) {
    if (selected) {
        group = button;
    } else if (group == button) {
        group.reset();
    }
}

}  // namespace

Settings ReadSettings(const IniFile& ini) {
    Settings s;
    s.bests.BestKeysPerMin = ini.ReadInteger(kTop, "KEY", 0);
    s.bests.BestCharsPerMin = ini.ReadInteger(kTop, "MOZI", 0);
    s.bests.PlayCount = ini.ReadInteger(kPlay, "COUNT", 1);
    s.kanaBests.BestKeysPerMin = ini.ReadInteger("KANA", "KEY", 0);
    s.kanaBests.BestCharsPerMin = ini.ReadInteger("KANA", "MOZI", 0);
    s.kanaBests.PlayCount = ini.ReadInteger("KANA", "COUNT", 1);
    ApplyRadio(s.order, ProblemOrder::Normal, ini.ReadBool(kPlay, "NOMAL", true));
    ApplyRadio(s.order, ProblemOrder::Random, ini.ReadBool(kPlay, "RANDOM", false));
    ApplyRadio(s.end, EndCondition::Eof, ini.ReadBool(kPlay, "ENDEOF", true));
    ApplyRadio(s.end, EndCondition::Seconds, ini.ReadBool(kPlay, "ENDMILI", false));
    ApplyRadio(s.end, EndCondition::Lines, ini.ReadBool(kPlay, "ENDGYOU", false));
    s.value = ClampSpinValue(ini.ReadInteger(kPlay, "VALUE", 60));
    s.sound = ini.ReadBool(kPlay, "SOUND", true);
    s.style = ini.ReadBool(kPlay, "KANA", false) ? InputStyle::Kana : InputStyle::Romaji;
    s.guide = ini.ReadBool(kPlay, "GUIDE", false);
    s.last = ini.ReadString(kFile, "LAST", Settings::kNoLastAct);
    return s;
}

std::string_view KeyFileName(InputStyle style) {
    return style == InputStyle::Kana ? "mykana.key" : "mykey.key";
}

SettingsLoad LoadSettings(const std::filesystem::path& path) {
    SettingsLoad load;
    IniFile ini;
    load.status = ini.Load(path, kSettingsFileLimit);
    load.settings = ReadSettings(ini);
    return load;
}

fs::path SetSettingsAside(const fs::path& path) {
    fs::path aside = path;
    aside += ".damaged";
    std::error_code ec;
    fs::rename(path, aside, ec);
    return ec ? fs::path() : aside;
}

namespace {

// Loads the file, applies the writes and saves it whole. A file that exists but cannot
// be read is left alone: writing over it would drop every key the program could not see.
template <typename F>
bool UpdateIni(const std::filesystem::path& path, F&& write) {
    IniFile ini;
    if (NotRead(ini.Load(path, kSettingsFileLimit))) return false;
    write(ini);
    return ini.Save(path);
}

}  // namespace

bool SaveShutdownSettings(const std::filesystem::path& path, const Settings& s) {
    return UpdateIni(path, [&](IniFile& ini) {
        ini.WriteBool(kPlay, "NOMAL", s.order == ProblemOrder::Normal);
        ini.WriteBool(kPlay, "RANDOM", s.order == ProblemOrder::Random);
        ini.WriteBool(kPlay, "ENDEOF", s.end == EndCondition::Eof);
        ini.WriteBool(kPlay, "ENDMILI", s.end == EndCondition::Seconds);
        ini.WriteBool(kPlay, "ENDGYOU", s.end == EndCondition::Lines);
        ini.WriteInteger(kPlay, "VALUE", s.value);
        ini.WriteBool(kPlay, "SOUND", s.sound);
        // A file that never saw the kana style stays as it was.
        const bool kana = s.style == InputStyle::Kana;
        if (kana || ini.ReadString(kPlay, "KANA", "\x01") != "\x01") {
            ini.WriteBool(kPlay, "KANA", kana);
        }
        if (s.guide || ini.ReadString(kPlay, "GUIDE", "\x01") != "\x01") {
            ini.WriteBool(kPlay, "GUIDE", s.guide);
        }
        // The quotes keep blanks at either end of the path through the reader's trimming.
        // A path with a line break cannot stand on one line; written as it is, its pieces
        // would be read back as keys of their own, so no last Act is stored instead.
        const bool storable =
            s.last.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
        const std::string last = storable ? s.last : std::string(Settings::kNoLastAct);
        ini.WriteString(kFile, "LAST", "\"" + last + "\"");
    });
}

OptionLabels EndConditionClicked(EndCondition end, int32_t spinValue) {
    OptionLabels l;
    l.lb_Seigen = "00:00";
    l.lb_Mondai = FormatLineOfTotal(0, 0);
    switch (end) {
        case EndCondition::Eof:
            break;
        case EndCondition::Seconds:
            l.sp_TimeEnabled = true;
            l.lb_Seigen = FormatMinSec(static_cast<uint32_t>(std::max(spinValue, 0)));
            break;
        case EndCondition::Lines:
            l.sp_TimeEnabled = true;
            l.lb_Mondai = FormatLineOfTotal(0, spinValue);
            break;
    }
    return l;
}

OptionLabels StartupOptionLabels(std::optional<EndCondition> end, int32_t spinValue) {
    // "EOF(標準)" is the button selected by design: selecting it again runs no click handler.
    if (!end || *end == EndCondition::Eof) return OptionLabels{};
    return EndConditionClicked(*end, spinValue);
}

SpinTextLabels SpinTextChanged(std::string_view text, std::optional<EndCondition> selected) {
    int32_t v = 0;
    if (!ParseInt32(text, v)) v = 0;
    SpinTextLabels l;
    if (selected == EndCondition::Seconds) {
        l.lb_Seigen = FormatMinSec(static_cast<uint32_t>(std::max(v, 0)));
    } else if (selected == EndCondition::Lines) {
        l.lb_Mondai = FormatLineOfTotal(0, v);
    }
    return l;
}

int32_t ClampSpinValue(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, PlayOptions::kMinValue, PlayOptions::kMaxValue));
}

SpinExit SpinTimeExit(std::string_view text) {
    SpinExit e;
    int32_t v = 0;
    if (!ParseInt32(text, v)) {
        e.showMessage = true;
        e.value = 60;
        return e;
    }
    e.value = ClampSpinValue(v);
    return e;
}

PlayInfoLabels FormatPlayInfo(const Bests& b) {
    return {FormatWidth(b.PlayCount, 5), FormatWidth(b.BestKeysPerMin, 5),
            FormatWidth(b.BestCharsPerMin, 5)};
}

namespace {

// The path's Shift_JIS text, when it reads back as the very same path.
std::optional<std::string> ExactSjis(const std::filesystem::path& path) {
    const SjisEncoding encoded = SjisFromUtf8(PathToUtf8(path));
    if (!encoded.ok() || PathFromSjis(encoded.bytes) != path) return std::nullopt;
    return encoded.bytes;
}

}  // namespace

std::string StoredActPath(const std::filesystem::path& act, const std::filesystem::path& baseDir) {
    if (const auto full = ExactSjis(act)) return *full;
    const std::filesystem::path normal = act.lexically_normal();
    std::filesystem::path base = baseDir.lexically_normal();
    if (!base.has_filename()) base = base.parent_path();  // a trailing separator
    const std::filesystem::path relative = normal.lexically_relative(base);
    if (relative.empty() || relative.has_root_path() || *relative.begin() == ".." ||
        relative == ".") {
        return std::string(Settings::kNoLastAct);
    }
    if (const auto inside = ExactSjis(relative)) return *inside;
    return std::string(Settings::kNoLastAct);
}

std::optional<std::filesystem::path> StoredActFile(std::string_view last,
                                                   const std::filesystem::path& baseDir) {
    if (last.empty() || last == Settings::kNoLastAct) return std::nullopt;
    std::filesystem::path path = PathFromSjis(last);
    // Only a plain relative path counts from baseDir; "\\x" or "C:x" are left as written.
    if (!path.has_root_path()) path = baseDir / path;
    return path;
}

bool ShouldAskResume(std::string_view lastSjis, std::string_view defaultActSjis, bool lastExists) {
    return lastSjis != Settings::kNoLastAct && lastSjis != defaultActSjis && lastExists;
}

std::string ResumeQuestionText(std::string_view lastSjis) {
    std::string text(msg::kResumeHead);
    text += msg::kLfCr;
    text += lastSjis;
    text += msg::kLfCr;
    text += msg::kResumeTail;
    return text;
}

}  // namespace kotopa
