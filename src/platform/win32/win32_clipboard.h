#pragma once
#include "platform/clipboard.h"

namespace qlry {

// The system clipboard, opened with no owner window.
class Win32Clipboard : public Clipboard {
public:
    bool Open() override;
    bool Empty() override;
    HGlobal GetData(uint32_t format) override;
    HGlobal SetData(uint32_t format, HGlobal block) override;
    bool Close() override;
    uint32_t RegisterFormat(const wchar_t* name) override;
    bool IsFormatAvailable(uint32_t format) override;
};

}  // namespace qlry
