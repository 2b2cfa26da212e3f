#pragma once
#include "platform/ui.h"

namespace qlry {

// The hourglass cursor over the program's windows.
class Win32WaitCursor : public WaitCursor {
public:
    void Begin() override;
    void End() override;

private:
    void* m_previous = nullptr;
};

}  // namespace qlry
