// The key record file as the analysis reads it: whatever the bytes, at most the newest 150
// plays are kept, every play's record is consistent, and a play written back reads the
// same; the file written after a play holds that play last and nothing unreadable, and the
// file after the next play, made from the blocks noted while writing, is the one a reader of
// the whole file would make.
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "keyrecordfile.h"

namespace {

void CheckRecord(const kotopa::KeyRecord& r) {
    for (const kotopa::KeyEvent& e : r.Events()) {
        if (e.action == kotopa::KeyAction::Unit) FUZZ_CHECK(e.detail < r.Units().size());
        if (e.action == kotopa::KeyAction::Mistype) FUZZ_CHECK(e.detail < r.Mistypes().size());
    }
    for (const kotopa::UnitEntry& u : r.Units()) {
        FUZZ_CHECK(!r.Item(u).empty());
        FUZZ_CHECK(!r.Keys(u).empty());
        FUZZ_CHECK(u.headMs <= u.firstKeyMs && u.firstKeyMs <= u.ms);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const kotopa::KeyRecordFile file = kotopa::ParseKeyRecordFile(bytes);
    FUZZ_CHECK(file.plays.size() <= kotopa::kKeyRecordPlays);
    FUZZ_CHECK(file.unreadable >= 0);
    for (const kotopa::PlayKeys& p : file.plays) {
        CheckRecord(p.record);
        const std::string block = kotopa::KeyRecordBlock(p.stamp, p.elapsedMs, p.actName, p.record);
        const kotopa::KeyRecordFile again = kotopa::ParseKeyRecordFile(block);
        FUZZ_CHECK(again.unreadable == 0 && again.plays.size() == 1);
        FUZZ_CHECK(again.plays[0].record.Events() == p.record.Events());
        FUZZ_CHECK(again.plays[0].actName == p.actName);
    }
    const std::string block = kotopa::KeyRecordBlock("20240101000000", 1, "A", kotopa::KeyRecord{});
    const kotopa::KeyRecordBytes written =
        kotopa::KeyRecordBytesWith(kotopa::IndexKeyRecordFile(std::string(bytes)), block);
    FUZZ_CHECK(written.bytes == kotopa::KeyRecordFileWith(bytes, block));
    const kotopa::KeyRecordFile next = kotopa::ParseKeyRecordFile(written.bytes);
    FUZZ_CHECK(next.headerOk && next.unreadable == 0);
    FUZZ_CHECK(!next.plays.empty() && next.plays.back().actName == "A");
    FUZZ_CHECK(next.plays.size() <= kotopa::kKeyRecordPlays);
    // The blocks noted while writing are where a reader of the written file finds them, so
    // the play after this one, made from them, writes what reading the file through would.
    FUZZ_CHECK(written.blocks == kotopa::IndexKeyRecordFile(written.bytes).blocks);
    const std::string second =
        file.plays.empty()
            ? block
            : kotopa::KeyRecordBlock(file.plays.back().stamp, 2, file.plays.back().actName,
                                     file.plays.back().record);
    FUZZ_CHECK(kotopa::KeyRecordBytesWith(written, second).bytes ==
               kotopa::KeyRecordFileWith(written.bytes, second));
    return 0;
}
