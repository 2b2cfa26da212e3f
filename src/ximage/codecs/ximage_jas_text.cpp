#include "ximage/codecs/ximage_jas_text.h"

namespace cxjas {

int HeaderText::SkipSpace() {
    for (;;) {
        int c = Get();
        if (comments_ && c == '#') {
            while (c >= 0 && c != '\n' && c != '\r') c = Get();
            continue;
        }
        if (!IsSpace(c)) return c;
    }
}

bool HeaderText::Number(uint32_t& value, uint32_t max) {
    int c = SkipSpace();
    if (c < '0' || c > '9') return false;
    uint64_t v = 0;
    while (c >= '0' && c <= '9') {
        v = v * 10 + static_cast<uint64_t>(c - '0');
        if (v > max) return false;
        c = Get();
    }
    // A comment may follow a number directly; it ends at a line end.
    if (comments_ && c == '#') {
        while (c >= 0 && c != '\n' && c != '\r') c = Get();
    }
    if (c >= 0 && !IsSpace(c)) return false;
    terminator_ = c;
    value = static_cast<uint32_t>(v);
    return true;
}

}  // namespace cxjas
