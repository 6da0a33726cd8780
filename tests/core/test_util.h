// Helpers for the tests and benchmarks: UTF-8 literals turned into the Shift_JIS bytes the
// program works in, a temporary folder that cleans up after itself, files as bytes, and the
// words of a line.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sjiscodec.h"

namespace testutil {

// Shift_JIS (CP932) bytes of a UTF-8 literal, through the program's own converter.
inline std::string Sj(std::string_view utf8) {
    kotopa::SjisEncoding e = kotopa::SjisFromUtf8(utf8);
    if (!e.ok()) throw std::runtime_error("not convertible: " + std::string(utf8));
    return std::move(e.bytes);
}
// UTF-8 text of Shift_JIS bytes, for readable failure messages.
inline std::string U8(std::string_view sjis) {
    return kotopa::SjisToUtf8(sjis);
}

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        // A Japanese name, so that every test that touches files also proves that such
        // folders work.
        path_ = std::filesystem::temp_directory_path() /
                kotopa::PathFromUtf8("コトパ試験-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // name is UTF-8, also on Windows.
    std::filesystem::path operator/(std::string_view name) const {
        return path_ / kotopa::PathFromUtf8(name);
    }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Whether the file system of folder ignores the case of names, as Windows' does: names that
// differ only in case are one file there, kept under the name it was made with.
inline bool IgnoresCase(const std::filesystem::path& folder) {
    WriteBytes(folder / "case-probe", "");
    std::error_code ec;
    const bool ignores = std::filesystem::exists(folder / "CASE-PROBE", ec);
    std::filesystem::remove(folder / "case-probe", ec);
    return ignores;
}

// A file of about size bytes that takes no room on the disk, as `truncate -s` makes one, for
// files larger than memory. A file system that holds no file that large (an ext4 of 1 KiB
// blocks ends at 16 GiB) gets the largest power-of-two fraction it takes, down to 1 GiB,
// which is still past every reader's bound. Gives the size made.
inline std::uintmax_t SparseFile(const std::filesystem::path& p, std::uintmax_t size) {
    WriteBytes(p, "");
    for (;; size /= 2) {
        std::error_code ec;
        std::filesystem::resize_file(p, size, ec);
        if (!ec) return size;
        if (size <= (std::uintmax_t(1) << 30))
            throw std::filesystem::filesystem_error("sparse file", p, ec);
    }
}

inline std::string ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The words of a line: the pieces between half-width blanks, empty pieces included, so that
// a doubled, leading or trailing blank shows as an empty word.
inline std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    for (std::size_t start = 0;;) {
        const std::size_t space = line.find(' ', start);
        words.emplace_back(line.substr(start, space - start));
        if (space == std::string_view::npos) return words;
        start = space + 1;
    }
}

}  // namespace testutil
