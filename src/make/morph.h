// The morphological analyser behind kotopa-tool make: it cuts a sentence into words and gives
// each its part of speech and its reading. MeCab with the IPA dictionary where the build has
// MeCab; a build without it has no analyser and says so.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace kotopa::tool {

// One word of a sentence, with the IPA dictionary's part of speech.
struct Morpheme {
    std::size_t begin = 0, end = 0;  // bytes of the sentence (UTF-8)
    std::string pos;                 // 名詞, 助詞, 動詞, 記号 ...
    std::string pos1;     // the first subdivision: 接尾, 非自立, 括弧開 ...; "*" when none
    std::string form;     // how an inflected word is inflected (連用形 ...); "*" if not
    std::string base;     // the dictionary form (する for し)
    std::string reading;  // katakana; empty when the dictionary does not know the word
};

// Bytes of a sentence that must come out as one noun (a reading the author gave).
struct FixedWord {
    std::size_t begin = 0, end = 0;
};

class Analyzer {
public:
    virtual ~Analyzer() = default;
    // The words of a UTF-8 sentence in order; blanks between words are left out.
    virtual std::vector<Morpheme> Analyze(const std::string& sentence,
                                          const std::vector<FixedWord>& fixed) = 0;
};

// The folder of the IPA dictionary (UTF-8) that this build looks in.
std::string DefaultDictionary();

// MeCab with the IPA dictionary in folder; nothing, with the reason in error, when the
// dictionary cannot be opened, is not the IPA dictionary in UTF-8, or the build has no MeCab.
std::unique_ptr<Analyzer> OpenMecab(const std::string& folder, std::string& error);

}  // namespace kotopa::tool
