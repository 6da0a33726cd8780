#include "fakes.h"

#include "sjiscodec.h"

namespace kotopa::platform {

void FakeDialogs::Record(Kind kind, std::string_view text, const char* buttons) {
    asked.push_back(
        Asked{kind, std::string(text), buttons, BeepKind::Asterisk, QString(), QString()});
    if (duringMessage) duringMessage();
}

void FakeDialogs::Beep(BeepKind kind) {
    asked.push_back(Asked{Kind::Beep, std::string(), std::string(), kind, QString(), QString()});
}

void FakeDialogs::Warning(std::string_view text) {
    Beep(BeepKind::Hand);
    Record(Kind::Warning, text, "OK");
}

void FakeDialogs::Information(std::string_view text) {
    Beep(BeepKind::Asterisk);
    Record(Kind::Information, text, "OK");
}

bool FakeDialogs::Confirm(std::string_view text) {
    Beep(BeepKind::Question);
    Record(Kind::Confirm, text, "Yes No");
    if (confirmAnswers.empty()) return false;
    const bool yes = confirmAnswers.front();
    confirmAnswers.pop_front();
    return yes;
}

void FakeDialogs::Plain(std::string_view text) {
    Record(Kind::Plain, text, "OK");
}

std::optional<Path> FakeDialogs::OpenFile(const Path& folder, const QString& filter) {
    asked.push_back(Asked{Kind::OpenFile, PathToUtf8(folder), std::string(), BeepKind::Asterisk,
                          filter, QString()});
    if (openAnswers.empty()) return std::nullopt;
    auto answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

std::optional<Path> FakeDialogs::SaveFile(const QString& title, const Path& proposed,
                                          const QString& filter) {
    asked.push_back(Asked{Kind::SaveFile, PathToUtf8(proposed), std::string(), BeepKind::Asterisk,
                          filter, title});
    if (saveAnswers.empty()) return std::nullopt;
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

std::vector<FakeDialogs::Asked> FakeDialogs::Messages() const {
    std::vector<Asked> out;
    for (const auto& a : asked) {
        if (a.kind != Kind::Beep && a.kind != Kind::OpenFile && a.kind != Kind::SaveFile) {
            out.push_back(a);
        }
    }
    return out;
}

}  // namespace kotopa::platform
