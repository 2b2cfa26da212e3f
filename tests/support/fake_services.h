#pragma once
// Fakes for every service a transfer handler uses, wired together.
#include <map>
#include <string>
#include <utility>

#include "platform/profile.h"
#include "platform/ui.h"
#include "support/fake_clipboard.h"
#include "support/fake_file_system.h"
#include "support/fake_global_memory.h"
#include "transfer/name_dialogs.h"
#include "transfer/transfer_services.h"

namespace qlry::test {

class FakeWaitCursor : public WaitCursor {
public:
    int depth = 0;
    int shown = 0;
    void Begin() override { ++depth, ++shown; }
    void End() override { --depth; }
};

class FakeProfile : public Profile {
public:
    std::map<std::pair<std::wstring, std::wstring>, int> ints;
    std::map<std::pair<std::wstring, std::wstring>, std::wstring> strings;

    int GetInt(const std::wstring& section, const std::wstring& entry, int defaultValue) override {
        auto found = ints.find({section, entry});
        return found == ints.end() ? defaultValue : found->second;
    }
    std::wstring GetString(const std::wstring& section, const std::wstring& entry,
                           const std::wstring& defaultValue) override {
        auto found = strings.find({section, entry});
        return found == strings.end() ? defaultValue : found->second;
    }
    bool WriteInt(const std::wstring& section, const std::wstring& entry, int value) override {
        ints[{section, entry}] = value;
        return true;
    }
    bool WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) override {
        strings[{section, entry}] = value;
        return true;
    }
};

class FakeNameDialogs : public NameDialogs {
public:
    bool answer = true;  // OK
    NewFileName chosen;
    std::wstring askedFolder;
    int textAsked = 0;
    int imageAsked = 0;

    bool AskTextFileName(const std::wstring& folder, NewFileName& out) override {
        ++textAsked;
        return Answer(folder, out);
    }
    bool AskImageFileName(const std::wstring& folder, NewFileName& out) override {
        ++imageAsked;
        return Answer(folder, out);
    }

private:
    bool Answer(const std::wstring& folder, NewFileName& out) {
        askedFolder = folder;
        out = chosen;
        return answer;
    }
};

struct FakeServices {
    FakeGlobalMemory memory;
    FakeClipboard clipboard{memory};
    FakeFileSystem files;
    FakeWaitCursor cursor;
    FakeProfile profile;
    FakeNameDialogs dialogs;
    TransferServices services{clipboard, memory, files, cursor, profile, &dialogs};
};

}  // namespace qlry::test
