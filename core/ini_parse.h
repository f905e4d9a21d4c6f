// Reading "Tresoro.ini" at the byte level: encoding, lines, sections, keys.
// The file is indexed once, so that a damaged or hand-made file with huge
// lines or thousands of sections costs time in proportion to its size.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace core {

// A piece of IniDoc::text, by offset (offsets survive copying the document).
struct IniSpan {
    size_t begin = 0;
    size_t length = 0;
};

struct IniKeyLine {
    IniSpan key;    // without trailing blanks and tabs
    IniSpan value;  // without blanks and tabs on either side
};

struct IniSection {
    IniSpan name;
    size_t firstKey = 0;  // key lines [firstKey, endKey) of IniDoc::keys
    size_t endKey = 0;
    // First key line of each key name (ASCII upper case); filled only for the
    // first section of each name, the only one ever looked at.
    std::unordered_map<std::wstring, size_t> firstOfKey;
};

struct IniDoc {
    std::wstring text;             // the decoded file
    std::vector<IniKeyLine> keys;  // key lines inside sections, file order
    std::vector<IniSection> sections;
    // ASCII upper-case section name -> index of its first section.
    std::unordered_map<std::wstring, size_t> firstOfSection;
};

// Decodes (byte order mark: UTF-8, else Latin-1) and indexes the file.
IniDoc ParseIni(const std::string& bytes);

// Value of `key` in the first section named `section`, looking no further
// than the next section line; false when section or key is missing.
bool IniValue(const IniDoc& doc, std::wstring_view section, std::wstring_view key, std::wstring& value);

// The non-empty values of every key line of the first section named
// `section`, in file order, whatever their keys (duplicates included).
std::vector<std::wstring> IniSectionValues(const IniDoc& doc, std::wstring_view section);

// The first `count` fields of a value split at "|"; fields the value does not
// have are empty. Whatever follows the last wanted field is ignored.
std::vector<std::wstring> IniFields(const std::wstring& value, size_t count);

// Upper case for the ASCII letters only: the rule by which section and key
// names match.
std::wstring IniFoldName(std::wstring_view name);

}  // namespace core
