#include "act.h"

#include <limits>
#include <utility>

#include "basedir.h"
#include "messages.h"
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
    switch (ReadFileBytes(path, bytes, kActFileLimit)) {
        case ReadStatus::Missing:
            load.refusal = ActRefusal::Missing;
            return load;
        case ReadStatus::Unreadable:
            load.refusal = ActRefusal::Unreadable;
            return load;
        case ReadStatus::TooLarge:
            load.refusal = ActRefusal::TooLarge;
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
        case ActRefusal::BadExtension:
            return msg::kBadExtension;
        case ActRefusal::Missing:
            return msg::kFileMissing;
        case ActRefusal::Unreadable:
            return msg::kFileUnreadable;
        case ActRefusal::TooLarge:
            return msg::kFileTooLarge;
        case ActRefusal::TooShort:
            return msg::kActTooShort;
        case ActRefusal::OddLines:
            return msg::kActOddLines;
        case ActRefusal::TooFewPairs:
            return msg::kActTooFewPairs;
    }
    return {};
}

std::string RefusalText(std::string_view sjisPath, ActRefusal refusal) {
    return PathMessage(sjisPath, RefusalMessage(refusal));
}

fs::path ActName(const fs::path& actPath) {
    return FileStem(actPath);
}

fs::path ActListPath(const fs::path& baseDir, const fs::path& actPath) {
    return SaveFolder(baseDir).ActRecords(ActName(actPath));
}

void SwapProblems(ProblemQueue& queue, std::size_t i, std::size_t j) {
    if (i != j) std::swap(queue[i], queue[j]);
}

}  // namespace kotopa
