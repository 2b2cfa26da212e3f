#include "app/command_request.h"

#include <gtest/gtest.h>

namespace {

CCommandRequest Parse(std::vector<std::wstring> args, int* count = nullptr) {
    args.insert(args.begin(), L"Quillory.exe");
    CCommandRequest request;
    int n = request.ParseCommandLine(args);
    if (count) *count = n;
    return request;
}

TEST(CommandRequest, NothingOrOnlyUnknownSwitchesCountsZero) {
    int count = -1;
    CCommandRequest request = Parse({}, &count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(request.m_nMode, 0);
    EXPECT_TRUE(request.m_strPath.empty());

    for (const wchar_t* unknown : {L"-x", L"-C", L"/ca", L"--c", L"-", L"/", L"-A"}) {
        Parse({unknown}, &count);
        EXPECT_EQ(count, 0) << "switch " << unknown;
    }
}

TEST(CommandRequest, SwitchesSetTheirFields) {
    int count = 0;
    CCommandRequest request = Parse({L"-p", L"C:\\dir\\notes.txt", L"/a"}, &count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(request.m_nMode, CCommandRequest::ModePaste);
    EXPECT_EQ(request.m_strPath, L"C:\\dir\\notes.txt");
    EXPECT_EQ(request.m_bAppend, 1);
    EXPECT_EQ(request.m_bNewFile, 0);

    request = Parse({L"/c", L"x"});
    EXPECT_EQ(request.m_nMode, CCommandRequest::ModeCopy);

    request = Parse({L"-p", L"C:\\dir", L"/n", L"/a"});
    EXPECT_EQ(request.m_bNewFile, 1);
    EXPECT_EQ(request.m_bAppend, 1);
}

TEST(CommandRequest, QuickActiveFolderAndSettingsSwitches) {
    int count = 0;
    CCommandRequest request = Parse({L"-p", L"/n", L"/q", L"/e"}, &count);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(request.m_nMode, CCommandRequest::ModePaste);
    EXPECT_EQ(request.m_bNewFile, 1);
    EXPECT_EQ(request.m_bQuick, 1);
    EXPECT_EQ(request.m_bActiveFolder, 1);
    EXPECT_TRUE(request.m_strPath.empty());

    request = Parse({L"/settings"}, &count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(request.m_bSettings, 1);
    EXPECT_EQ(request.m_nMode, CCommandRequest::ModeNone);

    // Case and whole-name rules as for the classic switches.
    for (const wchar_t* unknown : {L"-Q", L"/qe", L"-E", L"/Settings", L"-setting"}) {
        request = Parse({unknown}, &count);
        EXPECT_EQ(count, 0) << "switch " << unknown;
        EXPECT_EQ(request.m_bQuick + request.m_bActiveFolder + request.m_bSettings, 0);
    }
}

TEST(CommandRequest, LaterModeAndLaterPathWin) {
    CCommandRequest request = Parse({L"-c", L"-p", L"a.txt"});
    EXPECT_EQ(request.m_nMode, CCommandRequest::ModePaste);

    request = Parse({L"a.txt", L"-p"});
    EXPECT_EQ(request.m_nMode, CCommandRequest::ModePaste);
    EXPECT_EQ(request.m_strPath, L"a.txt");

    request = Parse({L"-c", L"first.txt", L"second.txt"});
    EXPECT_EQ(request.m_strPath, L"second.txt");
}

TEST(CommandRequest, PathAloneOrAppendAloneHasNoMode) {
    int count = 0;
    CCommandRequest request = Parse({L"C:\\a.txt"}, &count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(request.m_nMode, 0);

    request = Parse({L"-a"}, &count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(request.m_nMode, 0);
    EXPECT_EQ(request.m_bAppend, 1);
}

TEST(CommandRequest, SlashArgumentIsNeverAPath) {
    CCommandRequest request = Parse({L"-c", L"/home/user/file.txt"});
    EXPECT_TRUE(request.m_strPath.empty());
}

TEST(CommandRequest, LongArgumentsAreKeptWhole) {
    std::wstring path = L"C:\\" + std::wstring(40000, L'x') + L".txt";
    CCommandRequest request = Parse({L"-c", path});
    EXPECT_EQ(request.m_strPath, path);
}

}  // namespace
