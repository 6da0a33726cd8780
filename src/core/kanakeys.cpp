#include "kanakeys.h"

#include <array>

#include "sjis.h"

namespace kotopa {

namespace {

// Row by row from the digits down; ー on the ¥ key, ろ left of the right Shift. Shift gives
// the small kana, を, 「」、。・ where JIS X 6002 puts them, ！ on the ぬ key and ？ on the ろ
// key, which JIS X 6002 leaves free.
constexpr std::array<KanaKey, 49> kKeys{{
    {0x02, '1', "\x82\xCA", '!', "\x81\x49"},    // ぬ ！
    {0x03, '2', "\x82\xD3", '2', "\x82\xD3"},    // ふ
    {0x04, '3', "\x82\xA0", '#', "\x82\x9F"},    // あ ぁ
    {0x05, '4', "\x82\xA4", '$', "\x82\xA3"},    // う ぅ
    {0x06, '5', "\x82\xA6", '%', "\x82\xA5"},    // え ぇ
    {0x07, '6', "\x82\xA8", '&', "\x82\xA7"},    // お ぉ
    {0x08, '7', "\x82\xE2", '\'', "\x82\xE1"},   // や ゃ
    {0x09, '8', "\x82\xE4", '(', "\x82\xE3"},    // ゆ ゅ
    {0x0A, '9', "\x82\xE6", ')', "\x82\xE5"},    // よ ょ
    {0x0B, '0', "\x82\xED", '~', "\x82\xF0"},    // わ を
    {0x0C, '-', "\x82\xD9", '-', "\x82\xD9"},    // ほ
    {0x0D, '^', "\x82\xD6", '^', "\x82\xD6"},    // へ
    {0x7D, '\\', "\x81\x5B", '\\', "\x81\x5B"},  // ー
    {0x10, 'q', "\x82\xBD", 'q', "\x82\xBD"},    // た
    {0x11, 'w', "\x82\xC4", 'w', "\x82\xC4"},    // て
    {0x12, 'e', "\x82\xA2", 'E', "\x82\xA1"},    // い ぃ
    {0x13, 'r', "\x82\xB7", 'r', "\x82\xB7"},    // す
    {0x14, 't', "\x82\xA9", 't', "\x82\xA9"},    // か
    {0x15, 'y', "\x82\xF1", 'y', "\x82\xF1"},    // ん
    {0x16, 'u', "\x82\xC8", 'u', "\x82\xC8"},    // な
    {0x17, 'i', "\x82\xC9", 'i', "\x82\xC9"},    // に
    {0x18, 'o', "\x82\xE7", 'o', "\x82\xE7"},    // ら
    {0x19, 'p', "\x82\xB9", 'p', "\x82\xB9"},    // せ
    {0x1A, '@', "\x81\x4A", '@', "\x81\x4A"},    // ゛
    {0x1B, '[', "\x81\x4B", '{', "\x81\x75"},    // ゜ 「
    {0x1E, 'a', "\x82\xBF", 'a', "\x82\xBF"},    // ち
    {0x1F, 's', "\x82\xC6", 's', "\x82\xC6"},    // と
    {0x20, 'd', "\x82\xB5", 'd', "\x82\xB5"},    // し
    {0x21, 'f', "\x82\xCD", 'f', "\x82\xCD"},    // は
    {0x22, 'g', "\x82\xAB", 'g', "\x82\xAB"},    // き
    {0x23, 'h', "\x82\xAD", 'h', "\x82\xAD"},    // く
    {0x24, 'j', "\x82\xDC", 'j', "\x82\xDC"},    // ま
    {0x25, 'k', "\x82\xCC", 'k', "\x82\xCC"},    // の
    {0x26, 'l', "\x82\xE8", 'l', "\x82\xE8"},    // り
    {0x27, ';', "\x82\xEA", ';', "\x82\xEA"},    // れ
    {0x28, ':', "\x82\xAF", ':', "\x82\xAF"},    // け
    {0x2B, ']', "\x82\xDE", '}', "\x81\x76"},    // む 」
    {0x2C, 'z', "\x82\xC2", 'Z', "\x82\xC1"},    // つ っ
    {0x2D, 'x', "\x82\xB3", 'x', "\x82\xB3"},    // さ
    {0x2E, 'c', "\x82\xBB", 'c', "\x82\xBB"},    // そ
    {0x2F, 'v', "\x82\xD0", 'v', "\x82\xD0"},    // ひ
    {0x30, 'b', "\x82\xB1", 'b', "\x82\xB1"},    // こ
    {0x31, 'n', "\x82\xDD", 'n', "\x82\xDD"},    // み
    {0x32, 'm', "\x82\xE0", 'm', "\x82\xE0"},    // も
    {0x33, ',', "\x82\xCB", '<', "\x81\x41"},    // ね 、
    {0x34, '.', "\x82\xE9", '>', "\x81\x42"},    // る 。
    {0x35, '/', "\x82\xDF", '?', "\x81\x45"},    // め ・
    {0x73, '_', "\x82\xEB", '|', "\x81\x48"},    // ろ ？
    {0x39, ' ', " ", ' ', " "},                  // space
}};

}  // namespace

std::span<const KanaKey> KanaKeys() {
    return kKeys;
}

char KanaKeyToken(uint32_t scan, bool shift) {
    for (const KanaKey& k : kKeys) {
        if (k.scan == scan) return shift ? k.shiftKey : k.key;
    }
    return 0;
}

uint32_t ScanCodeOfEvdev(uint32_t evdev) {
    switch (evdev) {
        case 89:  // KEY_RO
            return 0x73;
        case 124:  // KEY_YEN
            return 0x7D;
        default:
            return evdev;
    }
}

std::string KanaKeyTops(std::string_view keys) {
    std::string out;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (CharLength(keys, i) == 2) {  // a double-byte character is no key: kept whole
            out += keys.substr(i, 2);
            ++i;
            continue;
        }
        const char c = keys[i];
        std::string_view top;
        for (const KanaKey& k : kKeys) {
            if (k.key == c) top = k.top;
            if (k.shiftKey == c && k.shiftKey != k.key) top = k.shiftTop;
            if (!top.empty()) break;
        }
        if (top.empty()) {
            out += c;
        } else {
            out += top;
        }
    }
    return out;
}

std::optional<std::string> KanaKeysOfTops(std::string_view tops) {
    std::string keys;
    for (std::size_t i = 0; i < tops.size();) {
        const std::size_t len = CharLength(tops, i);
        const std::string_view ch = tops.substr(i, len);
        char found = 0;
        for (const KanaKey& k : kKeys) {
            if (k.top == ch) found = k.key;
            if (!found && k.shiftTop == ch) found = k.shiftKey;
            if (found) break;
        }
        if (!found) return std::nullopt;
        keys += found;
        i += len;
    }
    return keys;
}

}  // namespace kotopa
