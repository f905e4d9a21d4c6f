#include "core/ini_parse.h"

#include "platform/text.h"

namespace core {

static bool IniIsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
static bool IniIsLineEnd(wchar_t c) { return c == L'\r' || c == L'\n'; }

static std::wstring_view IniView(const IniDoc& doc, IniSpan span) {
    return std::wstring_view(doc.text).substr(span.begin, span.length);
}

std::wstring IniFoldName(std::wstring_view name) {
    std::wstring out(name);
    for (wchar_t& c : out) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - (L'a' - L'A'));
    }
    return out;
}

// Files written by the program carry a byte order mark; files edited by hand
// in an old editor are Latin-1, where every byte is a character of its own.
static std::wstring IniDecode(const std::string& bytes) {
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return plat::Utf8ToWide(bytes.substr(3));
    }
    return plat::Latin1ToWide(bytes);
}

// One line [begin, end) of the text, already known to be non-empty after its
// leading blanks.
static void IniTakeLine(IniDoc& doc, size_t begin, size_t end, bool& inSection) {
    const std::wstring& t = doc.text;
    if (t[begin] == L';') return;
    if (t[begin] == L'[') {
        size_t close = begin + 1;
        while (close < end && t[close] != L']') ++close;
        if (!doc.sections.empty()) doc.sections.back().endKey = doc.keys.size();
        IniSection section;
        section.name = {begin + 1, close - (begin + 1)};
        section.firstKey = section.endKey = doc.keys.size();
        doc.sections.push_back(std::move(section));
        inSection = true;
        return;
    }
    // Key lines before the first section belong to nothing and are never read.
    if (!inSection) return;
    size_t eq = begin;
    while (eq < end && t[eq] != L'=') ++eq;
    size_t keyEnd = eq;
    while (keyEnd > begin && IniIsBlank(t[keyEnd - 1])) --keyEnd;
    size_t valueBegin = eq < end ? eq + 1 : end;
    while (valueBegin < end && IniIsBlank(t[valueBegin])) ++valueBegin;
    size_t valueEnd = end;
    while (valueEnd > valueBegin && IniIsBlank(t[valueEnd - 1])) --valueEnd;
    doc.keys.push_back({{begin, keyEnd - begin}, {valueBegin, valueEnd - valueBegin}});
}

// Only the first section of a name and, within it, the first key of a name
// can ever be found, so only those enter the lookup tables.
static void IniBuildIndex(IniDoc& doc) {
    for (size_t i = 0; i < doc.sections.size(); ++i) {
        IniSection& section = doc.sections[i];
        if (!doc.firstOfSection.emplace(IniFoldName(IniView(doc, section.name)), i).second) {
            continue;
        }
        for (size_t k = section.firstKey; k < section.endKey; ++k) {
            section.firstOfKey.emplace(IniFoldName(IniView(doc, doc.keys[k].key)), k);
        }
    }
}

IniDoc ParseIni(const std::string& bytes) {
    IniDoc doc;
    doc.text = IniDecode(bytes);
    const std::wstring& t = doc.text;
    const size_t n = t.size();
    bool inSection = false;
    size_t i = 0;
    while (i < n) {
        while (i < n && IniIsLineEnd(t[i])) ++i;
        size_t end = i;
        while (end < n && !IniIsLineEnd(t[end])) ++end;
        size_t begin = i;
        while (begin < end && IniIsBlank(t[begin])) ++begin;
        if (begin < end) IniTakeLine(doc, begin, end, inSection);
        i = end;
    }
    if (!doc.sections.empty()) doc.sections.back().endKey = doc.keys.size();
    IniBuildIndex(doc);
    return doc;
}

static const IniSection* IniFindSection(const IniDoc& doc, std::wstring_view section) {
    auto it = doc.firstOfSection.find(IniFoldName(section));
    return it == doc.firstOfSection.end() ? nullptr : &doc.sections[it->second];
}

bool IniValue(const IniDoc& doc, std::wstring_view section, std::wstring_view key, std::wstring& value) {
    const IniSection* found = IniFindSection(doc, section);
    if (!found) return false;
    auto it = found->firstOfKey.find(IniFoldName(key));
    if (it == found->firstOfKey.end()) return false;
    value = IniView(doc, doc.keys[it->second].value);
    return true;
}

std::vector<std::wstring> IniSectionValues(const IniDoc& doc, std::wstring_view section) {
    std::vector<std::wstring> values;
    const IniSection* found = IniFindSection(doc, section);
    if (!found) return values;
    for (size_t k = found->firstKey; k < found->endKey; ++k) {
        const IniSpan& span = doc.keys[k].value;
        if (span.length > 0) values.emplace_back(IniView(doc, span));
    }
    return values;
}

std::vector<std::wstring> IniFields(const std::wstring& value, size_t count) {
    std::vector<std::wstring> fields(count);
    size_t start = 0;
    for (size_t i = 0; i < count && start <= value.size(); ++i) {
        size_t bar = value.find(L'|', start);
        if (bar == std::wstring::npos) {
            fields[i] = value.substr(start);
            break;
        }
        fields[i] = value.substr(start, bar - start);
        start = bar + 1;
    }
    return fields;
}

}  // namespace core
