#include "basedir.h"

#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "textfile.h"

namespace kotopa {

namespace fs = std::filesystem;

fs::path SaveFolder::ActRecords(const fs::path& actName) const {
    fs::path list = actName;
    list += ".lst";
    return path_ / list;
}

fs::path SaveFolder::TotalRecords(InputStyle style) const {
    return style == InputStyle::Kana ? path_ / "record-kana.lst" : TotalRecords();
}

fs::path SaveFolder::ActRecords(const fs::path& actName, InputStyle style) const {
    if (style == InputStyle::Romaji) return ActRecords(actName);
    fs::path list = actName;
    list += "-kana.lst";
    return path_ / list;
}

bool CanCreateFilesIn(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return false;
    std::random_device rd;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const fs::path probe = folder / (".kotopa-write-test-" + std::to_string(rd()));
        if (fs::exists(fs::symlink_status(probe, ec))) continue;
        bool created = false;
        {
            std::ofstream out(probe, std::ios::binary);
            created = static_cast<bool>(out);
        }
        if (!created) return false;
        fs::remove(probe, ec);
        return true;
    }
    return false;
}

bool PortableLayoutUsable(const fs::path& programDir, const WritableTest& writable) {
    if (writable(programDir)) return true;
    std::error_code ec;
    const fs::path save = SaveFolder(programDir).Path();
    return fs::is_directory(save, ec) && writable(save);
}

namespace {

// Copies one file that the user's folder lacks; false when it cannot be read or written.
bool SeedFile(const fs::path& from, const fs::path& to) {
    std::string bytes;
    // The installed files are the program's own; no reader takes one larger than this.
    constexpr std::uintmax_t kSeededFileLimit = 64 * kMiB;
    if (ReadFileBytes(from, bytes, kSeededFileLimit) != ReadStatus::Ok) return false;
    return WriteFileAtomic(to, bytes);
}

}  // namespace

SeedOutcome SeedUserFolder(const fs::path& programDir, const fs::path& userDir) {
    SeedOutcome out;
    for (const char* name : kSeededFolders) {
        const fs::path source = programDir / name;
        std::error_code ec;
        if (!fs::is_directory(source, ec)) continue;
        fs::recursive_directory_iterator it(source, fs::directory_options::skip_permission_denied,
                                            ec);
        if (ec) {
            out.failed.push_back(source);
            continue;
        }
        for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
            if (ec) {
                out.failed.push_back(source);
                break;
            }
            const fs::path target = userDir / name / it->path().lexically_relative(source);
            std::error_code sec;
            if (it->is_directory(sec)) continue;
            if (!it->is_regular_file(sec)) continue;
            // Anything the user has at that name stays: a file, a folder, even a broken link.
            if (fs::exists(fs::symlink_status(target, sec))) continue;
            fs::create_directories(target.parent_path(), sec);
            if (SeedFile(it->path(), target)) {
                out.copied.push_back(target);
            } else {
                out.failed.push_back(target);
            }
        }
    }
    return out;
}

bool HoldsRecords(const fs::path& save) {
    std::error_code ec;
    if (!fs::is_directory(save, ec)) return false;
    for (fs::directory_iterator it(save, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fec;
        if (!it->is_regular_file(fec)) continue;
        const fs::path name = it->path().filename();
        if (name == "kotopa.ini" || name == "playlog.log" || name.extension() == ".lst") {
            return true;
        }
    }
    return false;
}

BaseDirChoice ChooseBaseDir(const fs::path& programDir, const fs::path& userDir,
                            const WritableTest& writable) {
    BaseDirChoice choice;
    choice.baseDir = programDir;
    std::error_code ec;
    const bool installed = fs::is_regular_file(programDir / kInstalledMarker, ec);
    const auto fresh = [&](const fs::path& base) {
        std::error_code sec;
        return !fs::exists(fs::symlink_status(base / "save", sec));
    };
    if ((!installed && PortableLayoutUsable(programDir, writable)) || userDir.empty()) {
        choice.firstStart = fresh(programDir);
        return choice;
    }
    choice.baseDir = userDir;
    choice.perUser = true;
    choice.firstStart = fresh(userDir);
    if (HoldsRecords(programDir / "save")) choice.oldRecords = programDir / "save";
    return choice;
}

void MakeBaseDir(BaseDirChoice& choice, const fs::path& programDir) {
    if (!choice.perUser) return;
    std::error_code ec;
    fs::create_directories(SaveFolder(choice.baseDir).Path(), ec);
    if (fs::is_directory(choice.baseDir, ec)) return;
    choice.failed.push_back(choice.baseDir);
    choice.baseDir = programDir;
    choice.perUser = false;
    choice.firstStart = false;
    choice.oldRecords.clear();
}

void SeedBaseDir(BaseDirChoice& choice, const fs::path& programDir) {
    if (!choice.perUser) return;
    const SeedOutcome seeded = SeedUserFolder(programDir, choice.baseDir);
    choice.failed.insert(choice.failed.end(), seeded.failed.begin(), seeded.failed.end());
}

}  // namespace kotopa
