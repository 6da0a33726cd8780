// Words for the practice Act of the weakness window: the phrases of the Acts in ktp/ and,
// where MeCab's IPA dictionary is present, its common words. The practice Act is made of
// them by the core and checked here against the key table as kotopa-tool check does.
#pragma once

#include <filesystem>
#include <string>
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

// The practice Act of the weakest kana of w: words of the Acts in ktpDir, then of the
// dictionary in dictionary (none when empty or not readable), every reading typed against
// keys, and the Act checked as a whole before it is given back.
PracticeAct MakeWeakPracticeAct(const Weakness& w, const std::filesystem::path& ktpDir,
                                const std::filesystem::path& dictionary, const KeyTable& keys);

}  // namespace kotopa::tool
