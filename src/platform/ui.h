#pragma once
// The few user-interface services that decision logic needs.
#include <string>

namespace qlry {

class WaitCursor {
public:
    virtual ~WaitCursor() = default;
    virtual void Begin() = 0;  // show the hourglass
    virtual void End() = 0;    // restore the previous cursor
};

// Shows the wait cursor for one scope.
class WaitCursorScope {
public:
    explicit WaitCursorScope(WaitCursor& cursor) : m_cursor(cursor) { m_cursor.Begin(); }
    ~WaitCursorScope() { m_cursor.End(); }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;

private:
    WaitCursor& m_cursor;
};

}  // namespace qlry
