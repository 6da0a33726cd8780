// INI files read and written like the Windows private-profile calls: names matched
// without regard to ASCII case, values trimmed and unquoted on reading, a write
// changing only its own line. Changes are made in memory and written once, whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "textfile.h"

namespace kotopa {

class IniFile {
public:
    // Longest value a read returns, in bytes.
    static constexpr std::size_t kMaxValue = 2047;

    // Reads the file, of at most limit bytes (ReadFileBytes); a missing file is an empty INI
    // whose first write creates it, and so is one that was not read.
    ReadStatus Load(const std::filesystem::path& path, std::uintmax_t limit);
    void LoadBytes(std::string_view bytes);

    // The value of key in section, blanks around it removed and one pair of matching
    // enclosing quotes (double or single) removed; def when section or key is missing.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // A decimal integer with an optional sign; def when missing or not an integer.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    // Read as an integer with the default 1 or 0; any value but 0 is true.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // Calls f(name, value) for every key line of the first section of that name, in file
    // order, the value prepared as by ReadString. Lets a reader take a large section in one pass.
    template <typename F>
    void ForEachKey(std::string_view section, F&& f) const {
        const long header = FindSection(section);
        if (header < 0) return;
        for (std::size_t i = static_cast<std::size_t>(header) + 1; i < lines_.size(); ++i) {
            const Line& l = lines_[i];
            if (l.kind == Kind::Section) break;
            if (l.kind == Kind::Key) f(Name(l), Value(l));
        }
    }

    // Replaces the value where the key stands, or adds the key at the end of its section,
    // or adds the section at the end of the file. Every other line stays byte for byte.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // Many writes to one section in a single pass over the file, with the result of
    // WriteString for each entry in order: a key that stands in the section takes its new
    // value where it stands, the others follow the section's last line that is not blank.
    // Further lines of an entry's name, and the key lines for which drop(name) is true, are
    // removed, so that a section can be replaced by exactly the keys given; every other line
    // stays byte for byte. Entries are (key, value) pairs with distinct names.
    void WriteSection(std::string_view section,
                      const std::vector<std::pair<std::string, std::string>>& entries,
                      const std::function<bool(std::string_view)>& drop);

    // How many lines the searches for sections and keys have passed over since the object
    // was made: lets a caller tell a write of many keys done in one pass from one done key
    // by key.
    std::size_t LinesSearched() const { return linesSearched_; }

    // The file as it now stands.
    std::string Bytes() const;
    // Writes the file whole and atomically; false leaves the old file untouched.
    bool Save(const std::filesystem::path& path) const;

private:
    enum class Kind : uint8_t { Other, Section, Key };
    struct Line {
        std::string text;  // without its line end
        std::string eol;   // "\r\n", "\n", "\r" or empty for a last line without one
        Kind kind = Kind::Other;
        uint32_t nameBegin = 0, nameLen = 0;  // section or key name, trimmed
        uint32_t valueBegin = 0;              // key lines: first byte after '='
    };
    static void Classify(Line& line);
    static std::string_view Value(const Line& line);
    std::string_view Name(const Line& line) const {
        return std::string_view(line.text).substr(line.nameBegin, line.nameLen);
    }
    // Index of the header of the first section of that name, or -1.
    long FindSection(std::string_view section) const;
    long SectionOrNew(std::string_view section);  // its header line, appended when missing
    // Index of the first key line of that name in the section starting at header, or -1.
    long FindKey(long header, std::string_view key) const;
    void Insert(std::size_t at, std::string text);

    std::vector<Line> lines_;
    mutable std::size_t linesSearched_ = 0;
};

// Decimal integer with optional sign within the 32-bit range; false otherwise.
bool ParseInt32(std::string_view text, int32_t& value);

}  // namespace kotopa
