#include "tests/support/temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>

#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/testing.h"

namespace testing_support {

static std::wstring TempUniqueName() {
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}();
    return L"tresoro-test-" + std::to_wstring(salt) + L"-" + std::to_wstring(++counter);
}

TempTree::TempTree() {
    root = plat::TempDir() + TempUniqueName() + L"\\";
    EXPECT_TRUE(plat::CreateDir(root)) << "cannot create temporary test directory";
}

// What a test left that cannot be removed stays in the temporary folder.
TempTree::~TempTree() { (void)plat::RemoveTree(root); }

void TempTree::Mkdir(const std::wstring& relative) const {
    std::wstring path = root;
    size_t start = 0;
    while (start < relative.size()) {
        size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos) end = relative.size();
        path += relative.substr(start, end - start) + L"\\";
        if (!plat::DirExists(path)) {
            EXPECT_TRUE(plat::CreateDir(path)) << "cannot create a test folder";
        }
        start = end + 1;
    }
}

void TempTree::Write(const std::wstring& relative, const std::string& bytes) const {
    size_t slash = relative.rfind(L'\\');
    if (slash != std::wstring::npos) Mkdir(relative.substr(0, slash));
    ASSERT_TRUE(plat::WriteFileReplacing(root + relative, bytes));
}

std::string TempTree::Read(const std::wstring& relative) const {
    std::string bytes;
    EXPECT_TRUE(plat::ReadWholeFile(root + relative, bytes));
    return bytes;
}

bool TempTree::Exists(const std::wstring& relative) const {
    return plat::GetAttributes(root + relative) != plat::kInvalidAttributes;
}

std::vector<std::wstring> TempTree::Names(const std::wstring& relative) const {
    std::vector<plat::DirEntry> entries;
    EXPECT_TRUE(plat::ListDir(root + relative, L"*", entries));
    std::vector<std::wstring> names;
    for (const plat::DirEntry& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

bool HostBuild() { return plat::PortableLayer(); }

}  // namespace testing_support
