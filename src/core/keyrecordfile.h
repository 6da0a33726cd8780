// save/keyrecord.txt: the key records of the newest recorded plays, one block per play, so
// that what a user should practise can be worked out over many plays. Shift_JIS text with
// CR LF; written whole with the other files of a recording.
//
//   KotoPA key record 1                       the header: the format and its version
//   play <yyyymmddhhnnss> <ms> <keys> <Act>   a block: when, how long typing took, how many
//   <dt> k <key>                              key lines follow, the Act's name; then per key
//   <dt> u <key> <item>                       the milliseconds since the key before (the
//   <dt> m <key> <head> <expected>            first: since typing started) and what it did:
//   <dt> e                                    keystroke, unit, mistype, line end
//   end                                       the block is whole
//
// Keys, items and kana are written with %XX for a blank, a control byte, "%", "-" and (in a
// key) any byte above 0x7F; "-" stands for an empty field.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "keyrecord.h"
#include "textfile.h"

namespace kotopa {

inline constexpr std::string_view kKeyRecordHeader = "KotoPA key record 1";
// Plays kept, as in the record lists.
inline constexpr std::size_t kKeyRecordPlays = 150;
// What the reader takes at most: a longer file, block or line is not a key record.
inline constexpr std::size_t kKeyRecordMaxFileBytes = 64u << 20;
inline constexpr std::size_t kKeyRecordMaxKeys = 1u << 20;  // per play
inline constexpr std::size_t kKeyRecordMaxLineBytes = 1024;

// One play's block as read back.
struct PlayKeys {
    std::string stamp;  // yyyymmddhhnnss
    uint32_t elapsedMs = 0;
    std::string actName;  // Shift_JIS
    KeyRecord record;
};

// The block of a play, lines ended by CR LF.
std::string KeyRecordBlock(std::string_view stamp, uint32_t elapsedMs, std::string_view actName,
                           const KeyRecord& record);
// "yyyymmddhhnnss".
std::string KeyRecordStamp(int year, int month, int day, int hour, int minute, int second);

struct KeyRecordFile {
    std::vector<PlayKeys> plays;  // oldest first
    int unreadable = 0;           // blocks that could not be read and were left out
    bool headerOk = true;         // the file began with the header (an empty file has none)
};

// Reads the file's bytes. A block that cannot be read is skipped and counted; only the
// newest kKeyRecordPlays blocks are kept; a file above kKeyRecordMaxFileBytes is not read.
KeyRecordFile ParseKeyRecordFile(std::string_view bytes);
// The file at path; Missing reads as no plays.
ReadStatus ReadKeyRecordFile(const std::filesystem::path& path, KeyRecordFile& file);

// A key record file's bytes and where its readable blocks lie in them, oldest first: each
// from the start of its play line to just after its "end", without the line end. What a
// recording keeps between plays, so that the next file is made of these blocks as they
// stand, without reading them again.
struct KeyRecordBytes {
    struct Span {
        std::size_t begin = 0, end = 0;
        bool operator==(const Span&) const = default;
    };
    std::string bytes;
    std::vector<Span> blocks;
    int unreadable = 0;  // blocks of bytes that could not be read
};

// The blocks of bytes as ParseKeyRecordFile reads them, every readable one (also past the
// newest kKeyRecordPlays). Bytes above kKeyRecordMaxFileBytes have none.
KeyRecordBytes IndexKeyRecordFile(std::string bytes);

// The whole file after a play, with its blocks: the header, the readable blocks of old but
// the oldest beyond the limit, copied byte for byte with CR LF after each, and the new block
// last. The blocks are where IndexKeyRecordFile of the new bytes finds them: a new block
// that cannot be read is written but not noted, so the next file leaves it out.
KeyRecordBytes KeyRecordBytesWith(const KeyRecordBytes& old, std::string_view block);

// The same for the old file's bytes.
std::string KeyRecordFileWith(std::string_view oldBytes, std::string_view block);

}  // namespace kotopa
