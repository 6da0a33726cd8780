#include "commands.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "act.h"
#include "actcheck.h"
#include "actfiles.h"
#include "actmake.h"
#include "keysource.h"
#include "keytable.h"
#include "romaji.h"
#include "sjis.h"
#include "text.h"
#include "textfile.h"
#include "typing.h"

namespace kotopa::tool {

namespace fs = std::filesystem;

namespace {

std::size_t CharOffset(std::string_view s, int index) {
    std::size_t at = 0;
    for (int i = 0; i < index && at < s.size(); ++i) at += CharLength(s, at);
    return at;
}

}  // namespace

int Try(const std::vector<std::string>& args, Io io) {
    const Args a = ParseArgs(args, 1, {"--keys"}, {});
    if (a.help) return io.out << kHelp.at("try"), kClean;
    if (!a.error.empty()) return Usage(io, "try", a.error);
    if (a.positional.size() != 2 || !a.options.count("--keys")) {
        return Usage(io, "try", "give --keys KEYFILE, the reading and the keys");
    }
    const auto table = ReadKeyFile(ArgPath(a.options.at("--keys")), io);
    if (!table) return kUnusable;
    int column = 0;
    const auto reading = Utf8ToSjis(a.positional[0], &column);
    if (FirstInvalidUtf8(a.positional[0]) != std::string::npos) {
        io.err << "READING is not UTF-8 text\n";
        return kUnusable;
    }
    if (!reading) {
        io.err << "READING: character " << column << " cannot be held in Shift_JIS\n";
        return kUnusable;
    }
    if (reading->empty()) {
        io.err << "READING is empty\n";
        return kUnusable;
    }
    const std::string& keys = a.positional[1];
    for (const char c : keys) {
        if (c < 0x20 || c > 0x7E) {
            io.err << "ROMAJI: keys are ASCII letters, digits, signs and blanks\n";
            return kUnusable;
        }
    }
    const TryResult r = TryTyping(*table, *reading, keys);
    io.out << "KeyCount  " << r.KeyCount << '\n'
           << "CharCount " << r.CharCount << '\n'
           << "MissCount " << r.MissCount << '\n'
           << "completed " << (r.completed ? "yes" : "no") << '\n';
    if (r.firstMissKey < 0) {
        io.out << "first mistype: none\n";
    } else {
        io.out << "first mistype: key " << r.firstMissKey + 1 << " '"
               << keys[static_cast<std::size_t>(r.firstMissKey)] << "', at character "
               << r.firstMissChar + 1 << " of the reading ("
               << SjisToUtf8(MbCopy(
                      std::string_view(*reading).substr(CharOffset(*reading, r.firstMissChar)), 2))
               << ")\n";
    }
    io.out << "units:";
    for (const auto& u : r.units) io.out << ' ' << SjisToUtf8(u.text) << '=' << u.keys;
    io.out << '\n';
    if (r.keysAfterEnd > 0) io.out << r.keysAfterEnd << " keys after the line was complete\n";
    return r.completed && r.MissCount == 0 && r.keysAfterEnd == 0 ? kClean : kFindings;
}

}  // namespace kotopa::tool
