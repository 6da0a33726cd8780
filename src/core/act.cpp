#include "act.h"

#include <limits>
#include <utility>

#include "sjis.h"
#include "textfile.h"

namespace kotopa {

namespace fs = std::filesystem;

ActRefusal ActScript::Parse(std::string text) {
    text_ = std::move(text);
    kanji_.clear();
    yomi_.clear();
    for (auto& h : header) h.clear();
    if (text_.size() > std::numeric_limits<uint32_t>::max()) return ActRefusal::TooShort;

    std::size_t lineNo = 0;
    bool written = true;  // the next non-empty body line is a written form
    ForEachLine(text_, [&](std::string_view line) {
        if (lineNo < header.size()) {
            header[lineNo++].assign(line);
            return;
        }
        ++lineNo;
        if (line.empty()) return;
        const Span span{static_cast<uint32_t>(line.data() - text_.data()),
                        static_cast<uint32_t>(line.size())};
        (written ? kanji_ : yomi_).push_back(span);
        written = !written;
    });
    if (lineNo < header.size()) return ActRefusal::TooShort;
    if (!written) return ActRefusal::OddLines;
    if (kanji_.size() < 5) return ActRefusal::TooFewPairs;
    return ActRefusal::None;
}

bool HasActExtension(const fs::path& path) {
    return HasExtension(path, ".ktp");
}

ActLoad ReadAct(const fs::path& path) {
    ActLoad load;
    if (!HasActExtension(path)) {
        load.refusal = ActRefusal::BadExtension;
        return load;
    }
    std::string bytes;
    switch (ReadFileBytes(path, bytes)) {
        case ReadStatus::Missing:
            load.refusal = ActRefusal::Missing;
            return load;
        case ReadStatus::Unreadable:
            load.refusal = ActRefusal::Unreadable;
            return load;
        case ReadStatus::Ok:
            break;
    }
    load.refusal = load.script.Parse(std::move(bytes));
    load.headerRead = load.refusal == ActRefusal::None || load.refusal == ActRefusal::OddLines ||
                      load.refusal == ActRefusal::TooFewPairs;
    return load;
}

std::string_view RefusalMessage(ActRefusal refusal) {
    switch (refusal) {
        case ActRefusal::None:
            return {};
        case ActRefusal::BadExtension:  // 正しい拡張子のファイルではありません。
            return "\x90\xB3\x82\xB5\x82\xA2\x8A\x67\x92\xA3\x8E\x71\x82\xCC\x83\x74\x83\x40\x83\x43"
                   "\x83\x8B\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x42";
        case ActRefusal::Missing:  // ファイルが存在しません。
            return "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x91\xB6\x8D\xDD\x82\xB5\x82\xDC\x82\xB9"
                   "\x82\xF1\x81\x42";
        case ActRefusal::Unreadable:  // ファイルを読み込めません。
            return "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82\xDC"
                   "\x82\xB9\x82\xF1\x81\x42";
        case ActRefusal::TooShort:  // 見出しの 5 行がそろっていません。
            return "\x8C\xA9\x8F\x6F\x82\xB5\x82\xCC 5 \x8D\x73\x82\xAA\x82\xBB\x82\xEB\x82\xC1\x82"
                   "\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81\x42";
        case ActRefusal::OddLines:  // 【漢字】の数と【読み】の数が合っていません。
            return "\x81\x79\x8A\xBF\x8E\x9A\x81\x7A\x82\xCC\x90\x94\x82\xC6\x81\x79\x93\xC7\x82\xDD"
                   "\x81\x7A\x82\xCC\x90\x94\x82\xAA\x8D\x87\x82\xC1\x82\xC4\x82\xA2\x82\xDC\x82\xB9"
                   "\x82\xF1\x81\x42";
        case ActRefusal::TooFewPairs:  // 問題が 5 問以下です。
            return "\x96\xE2\x91\xE8\x82\xAA 5 \x96\xE2\x88\xC8\x89\xBA\x82\xC5\x82\xB7\x81\x42";
    }
    return {};
}

std::string RefusalText(std::string_view sjisPath, ActRefusal refusal) {
    std::string text(sjisPath);
    text += "\n\r";
    text += RefusalMessage(refusal);
    return text;
}

fs::path ActName(const fs::path& actPath) {
    return FileStem(actPath);
}

fs::path ActListPath(const fs::path& baseDir, const fs::path& actPath) {
    fs::path list = ActName(actPath);
    list += ".lst";
    return baseDir / "save" / list;
}

void SwapProblems(ProblemQueue& queue, std::size_t i, std::size_t j) {
    if (i != j) std::swap(queue[i], queue[j]);
}

}  // namespace kotopa
