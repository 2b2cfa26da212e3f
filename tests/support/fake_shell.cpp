#include "support/fake_shell.h"

#include <cwchar>

namespace qlry::test {

class FakeDropList : public DropList {
public:
    FakeDropList(FakeShell& shell, const std::vector<std::wstring>& files) : m_shell(shell), m_files(files) {
        ++m_shell.m_dropListsOpen;
        ++m_shell.m_dropListsMade;
    }
    ~FakeDropList() override { --m_shell.m_dropListsOpen; }

    // As DragQueryFileW: the name is cut to cch - 1 characters.
    uint32_t QueryFile(uint32_t index, wchar_t* buffer, uint32_t cch) override {
        if (index == 0xFFFFFFFF) return static_cast<uint32_t>(m_files.size());
        if (index >= m_files.size()) return 0;
        const std::wstring& name = m_files[index];
        if (!buffer || cch == 0) return static_cast<uint32_t>(name.size());
        size_t n = name.size() < cch - 1 ? name.size() : cch - 1;
        wmemcpy(buffer, name.c_str(), n);
        buffer[n] = 0;
        return static_cast<uint32_t>(n);
    }

private:
    FakeShell& m_shell;
    std::vector<std::wstring> m_files;
};

std::unique_ptr<DropList> FakeShell::GetDropList(DataObject dataObject) {
    auto* data = static_cast<FakeDataObject*>(dataObject);
    if (!data || !data->hasHdrop) return nullptr;
    return std::make_unique<FakeDropList>(*this, data->files);
}

bool FakeShell::GetPathFromIdList(ItemIdList idList, wchar_t (&path)[kMaxPath]) {
    const auto* folder = static_cast<const FakeIdList*>(idList);
    path[0] = 0;
    if (!folder || !folder->hasPath || folder->path.size() >= kMaxPath) return false;
    wmemcpy(path, folder->path.c_str(), folder->path.size() + 1);
    return true;
}

bool FakeShell::PathIsDirectory(const wchar_t* path) { return directories.count(path) != 0; }

bool FakeShell::PathFileExists(const wchar_t* path) { return files.count(path) != 0 || directories.count(path) != 0; }

intptr_t FakeShell::Execute(const wchar_t* file, const wchar_t* parameters) {
    m_launches.push_back({file, parameters ? parameters : L""});
    return 42;
}

}  // namespace qlry::test
