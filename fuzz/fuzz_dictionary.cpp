// A MeCab dictionary file as the practice Act reads its words: whatever the bytes, the
// header is refused or places the sections inside the file, and every word given back is
// Shift_JIS with a reading that holds a kana asked for. Each input is also tried with its
// header mended to fit its size, so that mutations reach the sections.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "practicewords.h"
#include "sjiscodec.h"

namespace {

void Put32(std::string& s, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t Get32(const std::string& s, std::size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

void Words(const std::string& file) {
    kotopa::tool::DictionaryLayout layout;
    std::string error;
    if (!kotopa::tool::ReadDictionaryHeader(file, file.size(), layout, error)) {
        FUZZ_CHECK(!error.empty());
        return;
    }
    FUZZ_CHECK(layout.tokensAt + layout.tokenBytes + layout.featureBytes == file.size());
    const std::string_view all(file);
    const auto words = kotopa::tool::DictionarySectionWords(
        all.substr(layout.tokensAt, layout.tokenBytes),
        all.substr(layout.tokensAt + layout.tokenBytes), {"か", "ー"}, 20);
    FUZZ_CHECK(words.size() <= 20);
    static const std::string ka = kotopa::SjisFromUtf8("か").bytes;
    static const std::string bar = kotopa::SjisFromUtf8("ー").bytes;
    for (const kotopa::PracticeWord& w : words) {
        FUZZ_CHECK(!w.written.empty() && kotopa::FirstInvalidSjis(w.written) < 0);
        FUZZ_CHECK(kotopa::FirstInvalidSjis(w.reading) < 0);
        FUZZ_CHECK(w.reading.find(ka) != std::string::npos ||
                   w.reading.find(bar) != std::string::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string file(reinterpret_cast<const char*>(data), size);
    Words(file);
    if (size < 72) return 0;
    // The same bytes under a header that fits: magic and feature size from the file's size.
    const uint64_t before = 72ull + Get32(file, 24) + (Get32(file, 28) / 16 * 16);
    if (before > size) return 0;
    Put32(file, 0, static_cast<uint32_t>(size) ^ 0xEF718F77u);
    Put32(file, 28, Get32(file, 28) / 16 * 16);
    Put32(file, 32, static_cast<uint32_t>(size - before));
    std::memcpy(&file[40], "UTF-8\0", 6);
    Words(file);
    return 0;
}
