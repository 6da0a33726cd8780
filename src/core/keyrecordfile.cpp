#include "keyrecordfile.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <optional>

#include "sjis.h"

namespace kotopa {

namespace {

constexpr std::string_view kPlay = "play";
constexpr std::string_view kEnd = "end";
// An Act's name is a file name: 255 bytes at most, so its escaped line stays within bounds.
constexpr std::size_t kActNameMax = 255;

bool Escaped(unsigned char b, bool key) {
    return b <= 0x20 || b == 0x7F || b == '%' || b == '-' || (key && b >= 0x80);
}

void AppendEscaped(std::string& out, std::string_view bytes, bool key) {
    if (bytes.empty()) {
        out += '-';
        return;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (Escaped(b, key)) {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += c;
        }
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The bytes of an escaped field; nullopt when it is not one.
std::optional<std::string> Unescape(std::string_view field) {
    std::string out;
    if (field == "-") return out;
    if (field.empty()) return std::nullopt;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            // What the writer escapes may not stand raw, so a block reads and writes the same.
            if (Escaped(static_cast<unsigned char>(field[i]), false)) return std::nullopt;
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size()) return std::nullopt;
        const int hi = HexDigit(field[i + 1]), lo = HexDigit(field[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

// Splits a line at single blanks into at most n fields; the last takes the rest.
std::size_t Fields(std::string_view line, std::string_view* fields, std::size_t n) {
    std::size_t count = 0;
    while (count + 1 < n) {
        const std::size_t blank = line.find(' ');
        if (blank == std::string_view::npos) break;
        fields[count++] = line.substr(0, blank);
        line.remove_prefix(blank + 1);
    }
    fields[count++] = line;
    return count;
}

template <typename T>
bool ParseNumber(std::string_view s, T& value) {
    if (s.empty() || s.size() > 10) return false;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
    }
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

struct BlockScan {
    std::size_t begin = 0;  // where the block's play line starts in the file
    std::size_t end = 0;    // just after the "end" of its last line
    PlayKeys play;
};

class Parser {
public:
    explicit Parser(bool build) : build_(build) {}

    // Reads the lines of bytes; calls done(block) for every block read whole.
    template <typename F>
    int Run(std::string_view bytes, bool& headerOk, F&& done) {
        int unreadable = 0;
        bool first = true;
        headerOk = bytes.empty();
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            std::size_t eol = bytes.find('\n', pos);
            const std::size_t next = eol == std::string_view::npos ? bytes.size() : eol + 1;
            if (eol == std::string_view::npos) eol = bytes.size();
            std::string_view line = bytes.substr(pos, eol - pos);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            const std::size_t lineStart = pos;
            pos = next;
            if (first) {
                first = false;
                if (line == kKeyRecordHeader) {
                    headerOk = true;
                    continue;
                }
            }
            if (line.size() > kKeyRecordMaxLineBytes) {
                if (in_) bad_ = true;
                continue;
            }
            if (line.starts_with("play ")) {
                if (in_) ++unreadable;  // cut short: a new block began before its end
                Begin(line, lineStart);
                continue;
            }
            if (!in_) continue;  // not part of any block
            if (line == kEnd) {
                in_ = false;
                if (bad_ || keys_ != expectedKeys_) {
                    ++unreadable;
                } else {
                    scan_.end = lineStart + kEnd.size();  // without its line end
                    done(scan_);
                }
                continue;
            }
            if (!bad_ && !Event(line)) bad_ = true;
        }
        if (in_) ++unreadable;  // the file ends inside a block
        in_ = false;
        return unreadable;
    }

private:
    void Begin(std::string_view line, std::size_t at) {
        in_ = true;
        bad_ = false;
        keys_ = 0;
        ms_ = 0;
        scan_ = BlockScan{};
        scan_.begin = at;
        std::string_view f[5];
        if (Fields(line, f, 5) != 5 || f[1].size() != 14 ||
            !ParseNumber(f[2], scan_.play.elapsedMs) || !ParseNumber(f[3], expectedKeys_) ||
            expectedKeys_ > kKeyRecordMaxKeys) {
            bad_ = true;
            return;
        }
        for (char c : f[1]) {
            if (c < '0' || c > '9') bad_ = true;
        }
        std::optional<std::string> act = Unescape(f[4]);
        if (!act || act->size() > kActNameMax) {
            bad_ = true;
            return;
        }
        scan_.play.stamp = f[1];
        scan_.play.actName = std::move(*act);
        // The count is the file's claim: room for a usual play at most, so that a hostile
        // header cannot make every block ask for a million keys' worth of memory.
        if (build_) scan_.play.record.Reserve(std::min<std::size_t>(expectedKeys_, 1u << 14));
    }

    bool Event(std::string_view line) {
        if (++keys_ > expectedKeys_) return false;
        std::string_view f[5];
        const std::size_t n = Fields(line, f, 5);
        uint32_t dt = 0;
        if (n < 2 || f[1].size() != 1 || !ParseNumber(f[0], dt)) return false;
        const uint64_t ms = static_cast<uint64_t>(ms_) + dt;
        if (ms > std::numeric_limits<uint32_t>::max()) return false;
        ms_ = static_cast<uint32_t>(ms);
        const char kind = f[1][0];
        if (kind == 'e') return n == 2 && (!build_ || (scan_.play.record.LineEnd(ms_), true));
        if (n < 3) return false;
        const std::optional<std::string> key = Unescape(f[2]);
        if (!key || key->size() != 1) return false;
        KeyRecord& r = scan_.play.record;
        switch (kind) {
            case 'k':
                if (n != 3) return false;
                if (build_) r.Keystroke(ms_, key->front());
                return true;
            case 'u': {
                if (n != 4) return false;
                const std::optional<std::string> item = Unescape(f[3]);
                if (!item || item->empty() || item->size() > 255) return false;
                if (build_) r.Unit(ms_, key->front(), *item);
                return true;
            }
            case 'm': {
                if (n != 5) return false;
                const std::optional<std::string> head = Unescape(f[3]);
                const std::optional<std::string> expected = Unescape(f[4]);
                if (!head || !expected || head->size() > 2 ||
                    expected->size() > MistypeEntry::kExpectedMax) {
                    return false;
                }
                if (build_) r.Mistype(ms_, key->front(), *head, *expected);
                return true;
            }
            default:
                return false;
        }
    }

    bool build_;
    bool in_ = false;
    bool bad_ = false;
    std::size_t keys_ = 0, expectedKeys_ = 0;
    uint32_t ms_ = 0;
    BlockScan scan_;
};

}  // namespace

std::string KeyRecordStamp(int year, int month, int day, int hour, int minute, int second) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", year % 10000, month % 100, day % 100,
                  hour % 100, minute % 100, second % 100);
    return buf;
}

std::string KeyRecordBlock(std::string_view stamp, uint32_t elapsedMs, std::string_view actName,
                           const KeyRecord& record) {
    const auto& events = record.Events();
    std::string out;
    out.reserve(64 + events.size() * 12);
    char num[16];
    const auto number = [&](uint64_t v) {
        const auto r = std::to_chars(num, num + sizeof num, v);
        out.append(num, r.ptr);
    };
    out.append(kPlay).append(" ").append(stamp).append(" ");
    number(elapsedMs);
    out += ' ';
    number(events.size());
    out += ' ';
    AppendEscaped(out, actName.substr(0, HeadLength(actName, static_cast<int>(kActNameMax))),
                  false);
    out += "\r\n";
    uint32_t prev = 0;
    for (const KeyEvent& e : events) {
        number(e.ms - prev);
        prev = e.ms;
        switch (e.action) {
            case KeyAction::Keystroke:
                out += " k ";
                AppendEscaped(out, std::string_view(&e.key, 1), true);
                break;
            case KeyAction::Unit:
                out += " u ";
                AppendEscaped(out, std::string_view(&e.key, 1), true);
                out += ' ';
                AppendEscaped(out, record.Item(record.Units()[e.detail]), false);
                break;
            case KeyAction::Mistype: {
                const MistypeEntry& m = record.Mistypes()[e.detail];
                out += " m ";
                AppendEscaped(out, std::string_view(&e.key, 1), true);
                out += ' ';
                AppendEscaped(out, m.Head(), false);
                out += ' ';
                AppendEscaped(out, m.Expected(), true);
                break;
            }
            case KeyAction::LineEnd:
                out += " e";
                break;
        }
        out += "\r\n";
    }
    out.append(kEnd).append("\r\n");
    return out;
}

KeyRecordFile ParseKeyRecordFile(std::string_view bytes) {
    KeyRecordFile file;
    if (bytes.size() > kKeyRecordMaxFileBytes) {
        file.headerOk = false;
        file.unreadable = 1;
        return file;
    }
    Parser parser(true);
    file.unreadable = parser.Run(bytes, file.headerOk, [&](BlockScan& b) {
        file.plays.push_back(std::move(b.play));
        if (file.plays.size() > kKeyRecordPlays) file.plays.erase(file.plays.begin());
    });
    return file;
}

ReadStatus ReadKeyRecordFile(const std::filesystem::path& path, KeyRecordFile& file) {
    std::string bytes;
    const ReadStatus status = ReadFileBytes(path, bytes, kKeyRecordMaxFileBytes);
    file = status == ReadStatus::Ok ? ParseKeyRecordFile(bytes) : KeyRecordFile{};
    return status;
}

KeyRecordBytes IndexKeyRecordFile(std::string bytes) {
    KeyRecordBytes index;
    index.bytes = std::move(bytes);
    if (index.bytes.size() > kKeyRecordMaxFileBytes) {
        index.unreadable = 1;
        return index;
    }
    Parser parser(false);
    bool headerOk = false;
    index.unreadable = parser.Run(index.bytes, headerOk, [&](const BlockScan& b) {
        index.blocks.push_back({b.begin, b.end});
    });
    return index;
}

KeyRecordBytes KeyRecordBytesWith(const KeyRecordBytes& old, std::string_view block) {
    const std::vector<KeyRecordBytes::Span>& kept = old.blocks;
    const std::size_t drop = kept.size() >= kKeyRecordPlays ? kept.size() - kKeyRecordPlays + 1 : 0;
    KeyRecordBytes next;
    std::size_t size = kKeyRecordHeader.size() + 2 + block.size();
    for (std::size_t i = drop; i < kept.size(); ++i) size += kept[i].end - kept[i].begin + 2;
    next.bytes.reserve(size);
    next.blocks.reserve(kept.size() - drop + 1);
    next.bytes.append(kKeyRecordHeader).append("\r\n");
    const std::string_view from = old.bytes;
    for (std::size_t i = drop; i < kept.size(); ++i) {
        const std::size_t at = next.bytes.size();
        next.bytes.append(from.substr(kept[i].begin, kept[i].end - kept[i].begin)).append("\r\n");
        next.blocks.push_back({at, next.bytes.size() - 2});
    }
    // The new block's place as a reader of the whole file finds it: it starts on a line of
    // its own after a block's end, so read alone it reads the same.
    const std::size_t at = next.bytes.size();
    next.bytes.append(block);
    Parser parser(false);
    bool headerOk = false;
    next.unreadable = parser.Run(block, headerOk, [&](const BlockScan& b) {
        next.blocks.push_back({at + b.begin, at + b.end});
    });
    // A file above the bound is not read back at all.
    if (next.bytes.size() > kKeyRecordMaxFileBytes) next.blocks.clear();
    return next;
}

std::string KeyRecordFileWith(std::string_view oldBytes, std::string_view block) {
    return KeyRecordBytesWith(IndexKeyRecordFile(std::string(oldBytes)), block).bytes;
}

}  // namespace kotopa
