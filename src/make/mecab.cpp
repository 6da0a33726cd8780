// The analyser on MeCab's C++ library.
#ifdef _WIN32
#include <windows.h>
#endif
#include <mecab.h>

#include <array>
#include <filesystem>
#include <string_view>

#include "morph.h"
#include "sjiscodec.h"

namespace kotopa::tool {

namespace {

// The first fields of a feature (comma-separated), as views of it; "*" for those missing.
std::array<std::string_view, 8> Fields(std::string_view feature) {
    std::array<std::string_view, 8> fields;
    fields.fill("*");
    std::size_t start = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t comma = feature.find(',', start);
        fields[i] = feature.substr(start, comma - start);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

class Mecab : public Analyzer {
public:
    Mecab(MeCab::Model* model, MeCab::Tagger* tagger, MeCab::Lattice* lattice)
        : model_(model), tagger_(tagger), lattice_(lattice) {}

    std::vector<Morpheme> Analyze(const std::string& sentence,
                                  const std::vector<FixedWord>& fixed) override {
        std::vector<Morpheme> words;
        lattice_->clear();
        lattice_->set_sentence(sentence.c_str());
        // A constrained span becomes one word with the feature given; the reading is the
        // caller's, so it is left unknown here.
        for (const FixedWord& f : fixed)
            lattice_->set_feature_constraint(f.begin, f.end, "名詞,一般,*,*,*,*,*");
        if (!tagger_->parse(lattice_.get())) return words;
        std::size_t count = 0;
        for (const MeCab::Node* n = lattice_->bos_node(); n; n = n->next) ++count;
        words.reserve(count);
        for (const MeCab::Node* n = lattice_->bos_node(); n; n = n->next) {
            if (n->stat == MECAB_BOS_NODE || n->stat == MECAB_EOS_NODE) continue;
            const std::array<std::string_view, 8> f = Fields(n->feature);
            Morpheme m;
            m.begin = static_cast<std::size_t>(n->surface - sentence.c_str());
            m.end = m.begin + n->length;
            m.pos = f[0];
            m.pos1 = f[1];
            m.form = f[5];
            m.base = f[6];
            if (f[7] != "*") m.reading = f[7];
            words.push_back(std::move(m));
        }
        return words;
    }

private:
    std::unique_ptr<MeCab::Model> model_;
    std::unique_ptr<MeCab::Tagger> tagger_;
    std::unique_ptr<MeCab::Lattice> lattice_;
};

}  // namespace

#ifdef _WIN32
// The dictionary ships in the program's folder, wherever that was unpacked or installed.
std::string DefaultDictionary() {
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        if (n == 0) return std::string();
        if (n < exe.size()) {
            exe.resize(n);
            break;
        }
        exe.resize(exe.size() * 2);
    }
    return PathToUtf8(std::filesystem::path(exe).parent_path() / L"dic" / L"ipadic-utf8");
}
#else
std::string DefaultDictionary() {
    return KOTOPA_MECAB_DIC;
}
#endif

std::unique_ptr<Analyzer> OpenMecab(const std::string& folder, std::string& error) {
    // The folder as one argument, so that a blank in it (C:\Program Files) stays in it; and the
    // dictionary's own dicrc as MeCab's settings, so that no mecabrc of the system or the user
    // (nor its absence, on Windows) changes what is made.
    std::string args[] = {"kotopa", "-r", PathToUtf8(PathFromUtf8(folder) / "dicrc"), "-d", folder};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), args[4].data()};
    std::unique_ptr<MeCab::Model> model(MeCab::createModel(5, argv));
    if (!model) {
        error = "MeCab cannot open the dictionary in " + folder +
                " (the IPA dictionary in UTF-8 is the Debian package mecab-ipadic-utf8)";
        return nullptr;
    }
    const std::string_view charset = model->dictionary_info()->charset;
    if (charset != "UTF-8" && charset != "utf-8" && charset != "utf8" && charset != "UTF8") {
        error = "the dictionary in " + folder + " is in " + std::string(charset) +
                ", not UTF-8 (use the one of mecab-ipadic-utf8)";
        return nullptr;
    }
    MeCab::Tagger* tagger = model->createTagger();
    MeCab::Lattice* lattice = model->createLattice();
    if (!tagger || !lattice) {
        delete tagger;
        delete lattice;
        error = "MeCab cannot work with the dictionary in " + folder;
        return nullptr;
    }
    auto mecab = std::make_unique<Mecab>(model.release(), tagger, lattice);
    // The IPA dictionary knows this word as a noun read ニホン or ニッポン; another dictionary
    // lays out its features differently, and the phrases and readings would come out wrong.
    const std::vector<Morpheme> probe = mecab->Analyze("日本", {});
    if (probe.size() != 1 || probe[0].pos != "名詞" || probe[0].reading.empty() ||
        probe[0].reading.find("ニ") != 0) {
        error = "the dictionary in " + folder + " is not the IPA dictionary (mecab-ipadic-utf8)";
        return nullptr;
    }
    return mecab;
}

}  // namespace kotopa::tool
