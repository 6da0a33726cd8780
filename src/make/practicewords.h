// Words for the practice Act of the weakness window: the phrases of the Acts in ktp/ and,
// where MeCab's IPA dictionary is present, its common words. The practice Act is made of
// them by the core and checked here against the key table as kotopa-tool check does.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "keytable.h"
#include "practice.h"
#include "weakness.h"

namespace kotopa::tool {

// The dictionary's common words whose readings (hiragana, UTF-8) hold one of kanaUtf8, the
// commonest (lowest cost) first, at most limit of them: nouns (not proper nouns, numbers,
// pronouns or suffixes), verbs and adjectives in their dictionary form, and adverbs, written
// in kanji and kana alone and read in two kana or more. Written form and reading Shift_JIS.
// Nothing, with the reason in error, when folder holds no IPA dictionary in UTF-8 that can
// be read.
std::vector<PracticeWord> DictionaryWords(const std::filesystem::path& folder,
                                          const std::vector<std::string>& kanaUtf8,
                                          std::size_t limit, std::string& error);

// The parts of DictionaryWords, apart for the fuzz target: where the token and feature
// sections of a dictionary file of fileSize bytes lie, from its first 72 bytes (false, with
// the reason, for a header that is not a MeCab dictionary's in UTF-8 or does not fit the
// size), and the words of those sections.
struct DictionaryLayout {
    std::uintmax_t tokensAt = 0;  // the features follow the tokens
    std::uintmax_t tokenBytes = 0;
    std::uintmax_t featureBytes = 0;
};
bool ReadDictionaryHeader(std::string_view header, std::uintmax_t fileSize,
                          DictionaryLayout& layout, std::string& error);
std::vector<PracticeWord> DictionarySectionWords(std::string_view tokens, std::string_view features,
                                                 const std::vector<std::string>& kanaUtf8,
                                                 std::size_t limit);

// The practice Act of the weakest kana of w: words of the Acts in ktpDir, then of the
// dictionary in dictionary (none when empty or not readable), every reading typed against
// keys, and the Act checked as a whole before it is given back.
PracticeAct MakeWeakPracticeAct(const Weakness& w, const std::filesystem::path& ktpDir,
                                const std::filesystem::path& dictionary, const KeyTable& keys);

}  // namespace kotopa::tool
