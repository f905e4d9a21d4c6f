// Search patterns of the exclusion search: the built-in list, their order,
// and the resolved paths (folder variables replaced) with their control file.
#pragma once

#include <string>

namespace core {

// The built-in patterns in their order, closed by kExcludeStringsEnd.
extern const wchar_t* const kBuiltinExcludeStrings[];
inline constexpr const wchar_t* kExcludeStringsEnd = L"EXCLUDESTRINGS_END";

// Appends the built-in patterns, upper case, to ExcludeStrings; copying stops
// at the end marker or at an empty entry.
void AddBuiltinExcludeStrings();

// ExcludeStrings ascending by character code, without repeated entries.
void SortExcludeStrings();

// A pattern with its leading folder variable ("%Name" or "%Name%rest")
// replaced by the variable's path, all upper case.
std::wstring ResolveExcludeString(const std::wstring& pattern);

// Refills ExcludePaths from ExcludeStrings, one entry each, in order.
void BuildExcludePaths();

// Content of "ExcludePaths.txt" (UTF-8 without byte order mark, CR LF).
std::string ExcludePathsFileBytes();

// Writes ConfigDir + "ExcludePaths.txt"; false when it cannot be written,
// which nobody reports: the file only lets the user check the patterns.
bool WriteExcludePathsFile();

}  // namespace core
