// A fresh, empty directory for one test, as a Windows path ending in "\",
// removed again when the test ends. Both builds: on the host the portable
// layer maps the temporary directory like any other path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct TempTree {
    std::wstring root;  // ends in "\"
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    std::wstring Path(const std::wstring& relative) const { return root + relative; }
    // Creates the file with these bytes (parent directories included).
    void Write(const std::wstring& relative, const std::string& bytes) const;
    void Mkdir(const std::wstring& relative) const;
    std::string Read(const std::wstring& relative) const;
    bool Exists(const std::wstring& relative) const;
    // The names directly below the root (or a folder of it), sorted: what a
    // test expects to be there and nothing else (no temporary file left
    // behind).
    std::vector<std::wstring> Names(const std::wstring& relative = L"") const;
};

// `size` bytes of a fixed pattern that repeats no short period, so that a
// shifted or truncated copy never compares equal.
std::string Pattern(size_t size);

// True when the posix layer runs (drive mapping and special-folder tables).
bool HostBuild();

}  // namespace testing_support
