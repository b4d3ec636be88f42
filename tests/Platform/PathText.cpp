// Path text helpers with the shell's rules.
#include "Platform/File.h"

#include <gtest/gtest.h>

namespace {

using namespace plat;

TEST(PathText, RemoveFileSpec) {
    const struct {
        std::wstring path;
        std::wstring result;
        bool changed;
    } cases[] = {
        {L"C:\\a\\b", L"C:\\a", true},
        {L"C:\\a\\b\\", L"C:\\a\\b", true},
        {L"C:\\a", L"C:\\", true},
        {L"C:\\", L"C:\\", false},
        {L"a", L"", true},
        {L"a\\b", L"a", true},
        {L"\\a", L"\\", true},
        {L"\\\\server\\share", L"\\\\server", true},
        {L"", L"", false},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::Message() << row.path.size() << " characters");
        std::wstring path = row.path;
        EXPECT_EQ(PathRemoveFileSpec(path), row.changed);
        EXPECT_EQ(path, row.result);
    }
}

TEST(PathText, JoinPutsExactlyOneSeparatorBetween) {
    const struct {
        std::wstring folder;
        std::wstring part;
        std::wstring joined;
    } cases[] = {
        {L"C:\\a", L"b.ini", L"C:\\a\\b.ini"},
        {L"C:\\a\\", L"b", L"C:\\a\\b"},
        {L"C:\\a", L"\\b", L"C:\\a\\b"},
        {L"C:\\", L"b", L"C:\\b"},
        {L"", L"b", L"b"},
        {L"C:\\a", L"", L"C:\\a"},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(PathJoin(row.folder, row.part), row.joined);
    }
}

} // namespace
