#include "practicewords.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string_view>

#include "actcheck.h"
#include "messages.h"
#include "morph.h"
#include "text.h"
#include "typing.h"

namespace kotopa::tool {

namespace {

// A compiled MeCab dictionary (sys.dic): a header, the double array of the surfaces, then a
// token of 16 bytes per entry (left and right context, part of speech, cost, the offset of
// its feature text) and the feature texts, NUL-terminated. The surfaces stay in the double
// array; the dictionary form among the features is the surface for the words taken here.
constexpr uint32_t kMagic = 0xEF718F77u;
constexpr std::size_t kHeaderBytes = 10 * 4 + 32;
constexpr std::size_t kTokenBytes = 16;

uint32_t U32(const char* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

struct Entry {
    int cost = 0;
    uint32_t feature = 0;
};

// The first fields of a feature text; fewer when it has fewer.
std::vector<std::string_view> Fields(std::string_view feature, std::size_t count) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (fields.size() < count) {
        const std::size_t comma = feature.find(',', start);
        fields.push_back(feature.substr(start, comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

bool CommonWordClass(const std::vector<std::string_view>& f) {
    if (f[0] == "名詞")
        return f[1] == "一般" || f[1] == "サ変接続" || f[1] == "形容動詞語幹" || f[1] == "副詞可能";
    if (f[0] == "動詞" || f[0] == "形容詞") return f[1] == "自立" && f[5] == "基本形";
    if (f[0] == "副詞") return f[1] == "一般" || f[1] == "助詞類接続";
    return false;
}

bool KanjiAndKana(std::u32string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char32_t c) {
        return (c >= 0x3041 && c <= 0x3096) || (c >= 0x30A1 && c <= 0x30FA) || c == 0x30FC ||
               c == 0x3005 || (c >= 0x4E00 && c <= 0x9FFF);
    });
}

// A katakana reading as hiragana; ヴヵヶ and ー stay, having no hiragana in Shift_JIS.
std::u32string Hiragana(std::u32string s) {
    for (char32_t& c : s) {
        if (c >= 0x30A1 && c <= 0x30F3) c -= 0x60;
    }
    return s;
}

std::string Katakana(std::string_view hiraganaUtf8) {
    std::u32string s = Utf8ToUtf32(hiraganaUtf8);
    for (char32_t& c : s) {
        if (c >= 0x3041 && c <= 0x3093) c += 0x60;
    }
    return Utf32ToUtf8(s);
}

// The token and feature sections of sys.dic, after checking its header.
bool ReadSections(const std::filesystem::path& file, std::string& tokens, std::string& features,
                  std::string& error) {
    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    std::array<char, kHeaderBytes> h{};
    if (!in || ec || !in.read(h.data(), h.size())) {
        error = "no dictionary in " + ShowPath(file.parent_path());
        return false;
    }
    DictionaryLayout layout;
    if (!ReadDictionaryHeader(std::string_view(h.data(), h.size()), size, layout, error)) {
        error = ShowPath(file) + ": " + error;
        return false;
    }
    tokens.resize(layout.tokenBytes);
    features.resize(layout.featureBytes);
    in.seekg(static_cast<std::streamoff>(layout.tokensAt));
    if (!in.read(tokens.data(), static_cast<std::streamsize>(tokens.size())) ||
        !in.read(features.data(), static_cast<std::streamsize>(features.size()))) {
        error = "cannot read " + ShowPath(file);
        return false;
    }
    return true;
}

// Every feature text once, with the lowest cost of its tokens, the commonest first.
std::vector<Entry> EntriesByCost(std::string_view tokens, std::size_t featureBytes) {
    std::vector<Entry> entries;
    entries.reserve(tokens.size() / kTokenBytes);
    for (std::size_t at = 0; at + kTokenBytes <= tokens.size(); at += kTokenBytes) {
        const auto wcost = static_cast<int16_t>(U32(&tokens[at + 4]) >> 16);
        const uint32_t feature = U32(&tokens[at + 8]);
        if (feature < featureBytes) entries.push_back({wcost, feature});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.feature != b.feature ? a.feature < b.feature : a.cost < b.cost;
    });
    entries.erase(
        std::unique(entries.begin(), entries.end(),
                    [](const Entry& a, const Entry& b) { return a.feature == b.feature; }),
        entries.end());
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.cost != b.cost ? a.cost < b.cost : a.feature < b.feature;
    });
    return entries;
}

}  // namespace

bool ReadDictionaryHeader(std::string_view header, std::uintmax_t fileSize,
                          DictionaryLayout& layout, std::string& error) {
    if (header.size() < kHeaderBytes) {
        error = "not a MeCab dictionary";
        return false;
    }
    const char* h = header.data();
    const uint32_t dsize = U32(&h[24]), tsize = U32(&h[28]), fsize = U32(&h[32]);
    const std::string_view charset(&h[40], strnlen(&h[40], 32));
    if ((U32(&h[0]) ^ kMagic) != fileSize ||
        kHeaderBytes + std::uintmax_t{dsize} + tsize + fsize != fileSize || tsize % kTokenBytes) {
        error = "not a MeCab dictionary";
        return false;
    }
    if (charset != "UTF-8" && charset != "utf-8" && charset != "utf8" && charset != "UTF8") {
        error = "not in UTF-8";
        return false;
    }
    layout = {kHeaderBytes + dsize, tsize, fsize};
    return true;
}

std::vector<PracticeWord> DictionarySectionWords(std::string_view tokens, std::string_view features,
                                                 const std::vector<std::string>& kanaUtf8,
                                                 std::size_t limit) {
    std::vector<PracticeWord> words;
    std::vector<std::string> katakana;
    for (const std::string& k : kanaUtf8) katakana.push_back(Katakana(k));
    for (const Entry& e : EntriesByCost(tokens, features.size())) {
        if (words.size() >= limit) break;
        const char* text = features.data() + e.feature;
        const std::string_view feature(text, strnlen(text, features.size() - e.feature));
        const std::vector<std::string_view> f = Fields(feature, 8);
        if (f.size() < 8 || !CommonWordClass(f)) continue;
        if (std::none_of(katakana.begin(), katakana.end(), [&](const std::string& k) {
                return f[7].find(k) != std::string_view::npos;
            }))
            continue;
        const std::u32string base = Utf8ToUtf32(f[6]), reading = Utf8ToUtf32(f[7]);
        if (!KanjiAndKana(base) || reading.size() < 2 ||
            !std::all_of(reading.begin(), reading.end(),
                         [](char32_t c) { return (c >= 0x30A1 && c <= 0x30FA) || c == 0x30FC; }))
            continue;
        auto written = Utf8ToSjis(f[6]);
        auto read = Utf8ToSjis(Utf32ToUtf8(Hiragana(reading)));
        if (written && read) words.push_back({std::move(*written), std::move(*read)});
    }
    return words;
}

std::vector<PracticeWord> DictionaryWords(const std::filesystem::path& folder,
                                          const std::vector<std::string>& kanaUtf8,
                                          std::size_t limit, std::string& error) {
    std::string tokens, features;
    if (!ReadSections(folder / "sys.dic", tokens, features, error)) return {};
    return DictionarySectionWords(tokens, features, kanaUtf8, limit);
}

PracticeAct MakeWeakPracticeAct(const Weakness& w, const std::filesystem::path& ktpDir,
                                const std::filesystem::path& dictionary, const KeyTable& keys) {
    const PracticeOptions options;
    const std::vector<std::string> weak = w.Weakest(options.kana);
    std::vector<PracticeWord> words = ActFolderWords(ktpDir);
    if (!dictionary.empty() && !weak.empty()) {
        std::vector<std::string> kana;
        for (const std::string& k : weak) kana.push_back(SjisToUtf8(k));
        std::string error;  // without the dictionary the Acts' words are all there is
        for (PracticeWord& d :
             DictionaryWords(dictionary, kana, options.kana * options.wordsPerKana, error))
            words.push_back(std::move(d));
    }
    const auto typable = [&keys](std::string_view reading) {
        return UntypableCharacters(keys, reading).empty();
    };
    PracticeAct act = MakePracticeAct(weak, words, PracticeSeed(w), typable, options);
    if (!act.ok()) return act;
    const ActCheck check = CheckAct(act.bytes, &keys);
    if (!check.findings.empty()) {
        act.refusal = std::string(msg::kPracticeUnchecked) +
                      SjisFromUtf8Lossy(check.findings.front().message);
        act.bytes.clear();
    }
    return act;
}

}  // namespace kotopa::tool
