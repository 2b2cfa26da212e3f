#pragma once
// A shell whose selections, folders and files are set by the test, and which
// records what it was asked to start instead of starting it.
#include <set>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace qlry::test {

// What the tests hand to Initialize as the data object and the folder id.
struct FakeDataObject {
    bool hasHdrop = true;
    std::vector<std::wstring> files;
};

struct FakeIdList {
    bool hasPath = true;  // false: a virtual folder such as Control Panel
    std::wstring path;
};

struct FakeLaunch {
    std::wstring file;
    std::wstring parameters;
};

class FakeShell : public Shell {
public:
    std::set<std::wstring> directories;
    std::set<std::wstring> files;

    std::unique_ptr<DropList> GetDropList(DataObject dataObject) override;
    bool GetPathFromIdList(ItemIdList idList, wchar_t (&path)[kMaxPath]) override;
    bool PathIsDirectory(const wchar_t* path) override;
    bool PathFileExists(const wchar_t* path) override;
    intptr_t Execute(const wchar_t* file, const wchar_t* parameters) override;

    const std::vector<FakeLaunch>& Launches() const { return m_launches; }
    int DropListsOpen() const { return m_dropListsOpen; }
    int DropListsMade() const { return m_dropListsMade; }

private:
    friend class FakeDropList;
    std::vector<FakeLaunch> m_launches;
    int m_dropListsOpen = 0;
    int m_dropListsMade = 0;
};

}  // namespace qlry::test
