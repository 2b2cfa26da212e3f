#include "newfile/dialog_init_data.h"

namespace qlry {

namespace {

uint16_t ReadU16(const unsigned char* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

uint32_t ReadU32(const unsigned char* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

constexpr size_t kRecordHeader = 8;  // id, message, byte count

}  // namespace

std::optional<std::vector<DialogInitRecord>> ParseDialogInitData(const unsigned char* data, size_t size) {
    std::vector<DialogInitRecord> records;
    size_t at = 0;
    // The zero id ends the list; so does the end of the data, which the
    // resource compiler may have padded or cut right after the last record.
    while (size - at >= 2 && ReadU16(data + at) != 0) {
        if (size - at < kRecordHeader) return std::nullopt;
        DialogInitRecord record;
        record.controlId = ReadU16(data + at);
        record.message = ReadU16(data + at + 2);
        const uint32_t count = ReadU32(data + at + 4);
        at += kRecordHeader;
        if (count > size - at) return std::nullopt;
        record.bytes.assign(reinterpret_cast<const char*>(data + at), count);
        at += count;
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace qlry
