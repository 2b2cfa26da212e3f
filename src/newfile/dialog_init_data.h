#pragma once
// The initial control data that a dialog template carries in a resource of
// its own (type 240, same id): records of a 16-bit control id, a 16-bit
// message, a 32-bit byte count and that many bytes, little-endian, ending
// with a zero control id. The combo-box lists of the name dialogs come from
// it as add-string records holding 8-bit strings.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qlry {

inline constexpr unsigned kDialogInitResourceType = 240;
// The add-string message of a combo box in the 16-bit numbering that this
// resource keeps.
inline constexpr uint16_t kInitComboAddString = 0x0403;

struct DialogInitRecord {
    uint16_t controlId = 0;
    uint16_t message = 0;
    std::string bytes;

    // The record's string: its bytes up to the first NUL.
    std::string Text() const { return bytes.substr(0, bytes.find('\0')); }
};

// The records in order; nothing when a record runs past the end of the data.
std::optional<std::vector<DialogInitRecord>> ParseDialogInitData(const unsigned char* data, size_t size);

}  // namespace qlry
