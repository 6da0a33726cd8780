#include "inifile.h"

#include <charconv>
#include <iterator>
#include <unordered_map>

#include "sjis.h"

namespace kotopa {

namespace {

constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

bool ParseInt32(std::string_view text, int32_t& value) {
    if (text.empty()) return false;
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    int64_t v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = static_cast<int32_t>(v);
    return true;
}

void IniFile::Classify(Line& line) {
    const std::string_view t = line.text;
    std::size_t i = 0;
    while (i < t.size() && IsBlank(t[i])) ++i;
    line.kind = Kind::Other;
    if (i == t.size()) return;
    if (t[i] == '[') {
        // The name runs to the first ']' that is a character of its own.
        std::size_t j = i + 1;
        while (j < t.size() && t[j] != ']') j += CharLength(t, j);
        const std::string_view name = Trim(t.substr(i + 1, std::min(j, t.size()) - i - 1));
        line.kind = Kind::Section;
        line.nameBegin = static_cast<uint32_t>(name.data() - t.data());
        line.nameLen = static_cast<uint32_t>(name.size());
        return;
    }
    const std::size_t eq = t.find('=', i);  // '=' (0x3D) is never a trail byte
    if (eq == std::string_view::npos) return;
    const std::string_view name = Trim(t.substr(i, eq - i));
    line.kind = Kind::Key;
    line.nameBegin = static_cast<uint32_t>(name.data() - t.data());
    line.nameLen = static_cast<uint32_t>(name.size());
    line.valueBegin = static_cast<uint32_t>(eq + 1);
}

ReadStatus IniFile::Load(const std::filesystem::path& path, std::uintmax_t limit) {
    std::string bytes;
    const ReadStatus st = ReadFileBytes(path, bytes, limit);
    LoadBytes(bytes);
    return st;
}

void IniFile::LoadBytes(std::string_view bytes) {
    lines_.clear();
    // Lines keep their own line ends so that a rewrite gives back every other line
    // byte for byte. A NUL byte is kept as text: the file is not ours to cut short.
    std::size_t start = 0;
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        std::size_t end = i + 1;
        if (c == '\r' && end < n && bytes[end] == '\n') ++end;
        Line line{std::string(bytes.substr(start, i - start)),
                  std::string(bytes.substr(i, end - i))};
        Classify(line);
        lines_.push_back(std::move(line));
        start = end;
        i = end - 1;
    }
    if (start < n) {
        Line line{std::string(bytes.substr(start)), std::string()};
        Classify(line);
        lines_.push_back(std::move(line));
    }
}

long IniFile::FindSection(std::string_view section) const {
    const std::string_view want = Trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        ++linesSearched_;
        if (l.kind == Kind::Section && l.nameLen == want.size() && FoldedEqual(Name(l), want)) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

long IniFile::FindKey(long header, std::string_view key) const {
    const std::string_view want = Trim(key);
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        ++linesSearched_;
        if (l.kind == Kind::Section) break;
        if (l.kind == Kind::Key && l.nameLen == want.size() && FoldedEqual(Name(l), want)) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
    const long header = FindSection(section);
    if (header < 0) return std::string(def);
    const long at = FindKey(header, key);
    if (at < 0) return std::string(def);
    return std::string(Value(lines_[static_cast<std::size_t>(at)]));
}

std::string_view IniFile::Value(const Line& l) {
    std::string_view v = Trim(std::string_view(l.text).substr(l.valueBegin));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return v.substr(0, HeadLength(v, static_cast<int>(kMaxValue)));
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    int32_t v = 0;
    return ParseInt32(ReadString(section, key, ""), v) ? v : def;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::Insert(std::size_t at, std::string text) {
    // The line before a new one must end, or the two would run together.
    if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = "\r\n";
    Line line{std::move(text), "\r\n"};
    Classify(line);
    lines_.insert(lines_.begin() + static_cast<long>(at), std::move(line));
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string text;
    text.reserve(key.size() + value.size() + 1);
    text.append(key).append("=").append(value);
    const long header = FindSection(section);
    if (header < 0) {
        std::string header;
        header.append("[").append(section).append("]");
        Insert(lines_.size(), std::move(header));
        Insert(lines_.size(), std::move(text));
        return;
    }
    const long at = FindKey(header, key);
    if (at >= 0) {
        Line& l = lines_[static_cast<std::size_t>(at)];
        l.text = std::move(text);
        Classify(l);
        return;
    }
    // After the last line of the section that is not blank.
    std::size_t end = static_cast<std::size_t>(header) + 1;
    std::size_t insertAt = end;
    for (; end < lines_.size() && lines_[end].kind != Kind::Section; ++end) {
        if (!Trim(lines_[end].text).empty()) insertAt = end + 1;
    }
    Insert(insertAt, std::move(text));
}

namespace {

std::string KeyLine(const std::pair<std::string, std::string>& entry) {
    std::string text;
    text.reserve(entry.first.size() + entry.second.size() + 1);
    text.append(entry.first).append("=").append(entry.second);
    return text;
}

}  // namespace

long IniFile::SectionOrNew(std::string_view section) {
    const long header = FindSection(section);
    if (header >= 0) return header;
    std::string text;
    text.append("[").append(section).append("]");
    Insert(lines_.size(), std::move(text));
    return static_cast<long>(lines_.size()) - 1;
}

void IniFile::WriteSection(std::string_view section,
                           const std::vector<std::pair<std::string, std::string>>& entries,
                           const std::function<bool(std::string_view)>& drop) {
    const long header = SectionOrNew(section);
    std::unordered_map<std::string, std::size_t> wanted;  // folded name -> entry
    wanted.reserve(entries.size());
    for (std::size_t e = 0; e < entries.size(); ++e) {
        wanted.emplace(FoldedForm(Trim(entries[e].first)), e);
    }
    std::vector<bool> placed(entries.size());

    std::vector<Line> out;
    out.reserve(lines_.size() + entries.size());
    std::size_t i = 0;
    for (; i <= static_cast<std::size_t>(header); ++i) out.push_back(std::move(lines_[i]));
    std::size_t insertAt = out.size();  // after the section's last line that is not blank
    for (; i < lines_.size() && lines_[i].kind != Kind::Section; ++i) {
        Line& l = lines_[i];
        ++linesSearched_;
        if (l.kind == Kind::Key) {
            const auto found = wanted.find(FoldedForm(Name(l)));
            if (found != wanted.end()) {
                if (placed[found->second]) continue;
                placed[found->second] = true;
                l.text = KeyLine(entries[found->second]);
                Classify(l);
            } else if (drop && drop(Name(l))) {
                continue;
            }
        }
        out.push_back(std::move(l));
        if (!Trim(out.back().text).empty()) insertAt = out.size();
    }
    std::vector<Line> added;
    for (std::size_t e = 0; e < entries.size(); ++e) {
        if (placed[e]) continue;
        Line line{KeyLine(entries[e]), "\r\n"};
        Classify(line);
        added.push_back(std::move(line));
    }
    // The line before the new ones must end, or the two would run together.
    if (!added.empty() && insertAt > 0 && out[insertAt - 1].eol.empty()) {
        out[insertAt - 1].eol = "\r\n";
    }
    out.insert(out.begin() + static_cast<long>(insertAt), std::make_move_iterator(added.begin()),
               std::make_move_iterator(added.end()));
    for (; i < lines_.size(); ++i) out.push_back(std::move(lines_[i]));
    lines_ = std::move(out);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::Bytes() const {
    std::string out;
    for (const Line& l : lines_) out.append(l.text).append(l.eol);
    return out;
}

bool IniFile::Save(const std::filesystem::path& path) const {
    return WriteFileAtomic(path, Bytes());
}

}  // namespace kotopa
