#include "sjis.h"

namespace kotopa {

std::size_t CharLength(std::string_view s, std::size_t pos) {
    return (IsLeadByte(s[pos]) && pos + 1 < s.size()) ? 2 : 1;
}

std::size_t HeadLength(std::string_view s, int count) {
    if (count < 1 || s.empty()) return 0;
    const auto limit = static_cast<std::size_t>(count);
    if (s.size() <= limit) return s.size();
    std::size_t pos = 0;
    while (pos < s.size()) {
        const std::size_t next = pos + CharLength(s, pos);
        if (next > limit) break;
        pos = next;
    }
    return pos;
}

std::string MbCopy(std::string_view s, int count) {
    return std::string(s.substr(0, HeadLength(s, count)));
}

int MbDelete(std::string& s, int count) {
    const std::size_t n = HeadLength(s, count);
    s.erase(0, n);
    return static_cast<int>(n);
}

bool FoldedEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    bool trail = false;  // the byte at i is the second byte of a double-byte character
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (trail) {
            if (a[i] != b[i]) return false;
            trail = false;
            continue;
        }
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
        // a[i] equals b[i] after folding; a lead byte is never folded, so both lead here.
        trail = IsLeadByte(a[i]);
    }
    return true;
}

std::string FoldedForm(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); i += CharLength(out, i)) out[i] = FoldAscii(out[i]);
    return out;
}

}  // namespace kotopa
