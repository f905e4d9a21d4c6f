#include <algorithm>
#include <cfloat>
#include <unordered_set>

#include "core/config.h"
#include "core/exclude_strings.h"
#include "core/ini_parse.h"
#include "core/sid.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace core {

static const wchar_t* const kIniName = L"Tresoro.ini";
// The oldest layout still read as it stands; older files are migrated, and
// files up to this one get fresh random identifiers.
static const wchar_t* const kRenumberUpTo = L"090331";

// Only a missing key gives the default; a key without digits gives 0.
static int32_t CfgInt(const IniDoc& doc, const wchar_t* section, const wchar_t* key, int32_t fallback) {
    std::wstring value;
    return IniValue(doc, section, key, value) ? ParseLeadingInt(value) : fallback;
}

// Byte settings keep the low eight bits of what the file says, as a signed
// byte would.
static int8_t CfgByte(const IniDoc& doc, const wchar_t* section, const wchar_t* key, int8_t fallback) {
    return static_cast<int8_t>(CfgInt(doc, section, key, fallback));
}

LogDetail LogDetailOf(int8_t gLogExt) {
    if (gLogExt == 0) return LogDetail::Directories;
    return gLogExt == 1 ? LogDetail::EveryCopy : LogDetail::ArchiveMoves;
}

static std::wstring CfgText(const IniDoc& doc, const wchar_t* section, const wchar_t* key) {
    std::wstring value;
    IniValue(doc, section, key, value);
    return value;
}

// A number beyond the float range would be undefined to convert; it keeps
// its sign and stops at the largest float instead.
static float CfgScale(const IniDoc& doc) {
    std::wstring value;
    if (!IniValue(doc, L"Window", L"GDMScale", value)) return -1.0f;
    double parsed = ParseLeadingFloat(value);
    if (parsed > FLT_MAX) parsed = FLT_MAX;
    if (parsed < -FLT_MAX) parsed = -FLT_MAX;
    float scale = static_cast<float>(parsed);
    return scale == 0.0f ? -1.0f : scale;
}

static Job CfgJob(const std::wstring& value) {
    std::vector<std::wstring> f = IniFields(value, 9);
    Job job;
    job.Sid = ParseLeadingInt(f[0]);
    job.Src = f[1];
    job.Dest = f[2];
    job.Flags = static_cast<int8_t>(ParseLeadingInt(f[3]));
    if (job.Flags == 0) job.Flags = kFlagSelected;
    job.ArcInterval = ParseLeadingInt(f[4]);
    job.EntryCount = ParseLeadingInt(f[5]);
    job.ArcVersions = ParseLeadingInt(f[6]);
    job.BupInterval = ParseLeadingInt(f[7]);
    // A hand-edited date far beyond any calendar is held where the due-date
    // arithmetic (plus any 32-bit count of days) cannot overflow.
    constexpr int64_t kDateLimit = 1000000000000000;  // about 31 million years
    job.LastBup = std::clamp<int64_t>(ParseLeadingInt64(f[8]), -kDateLimit, kDateLimit);
    return job;
}

// The path is everything after the first "|", so that whatever the user
// typed into the exclusion editor comes back as it was written.
static bool CfgExclude(const std::wstring& value, Exclude& out) {
    size_t bar = value.find(L'|');
    if (bar == std::wstring::npos) return false;
    out.Sid = ParseLeadingInt(value.substr(0, bar));
    out.Path = value.substr(bar + 1);
    return true;
}

static ArcIndivEntry CfgArcIndiv(const std::wstring& value) {
    std::vector<std::wstring> f = IniFields(value, 5);
    ArcIndivEntry entry;
    entry.Sid = ParseLeadingInt(f[0]);
    entry.Path = f[1];
    entry.Interval = ParseLeadingInt(f[2]);
    entry.Versions = ParseLeadingInt(f[3]);
    entry.Recursive = static_cast<int8_t>(ParseLeadingInt(f[4]));
    return entry;
}

static void CfgReadCurrent(const IniDoc& doc) {
    State& s = S();
    Settings& g = s.settings;
    g.GLogExt = CfgByte(doc, L"GENERAL", L"GLogExt", 0);
    g.GCreateDest = CfgByte(doc, L"GENERAL", L"GCreateDest", 1);
    g.GSearchDest = CfgByte(doc, L"GENERAL", L"GSearchDest", 1);
    g.GFirstNext = CfgByte(doc, L"GENERAL", L"GFirstNext", 0);
    if (g.GFirstNext < 0 || g.GFirstNext > 23) g.GFirstNext = 0;
    g.GBupBeiStartVerz = CfgInt(doc, L"GENERAL", L"GBupBeiStartVerz", 20);
    g.GDMScale = CfgScale(doc);
    g.GMainWinX = CfgInt(doc, L"Window", L"GMainWinX", kKeep);
    g.GMainWinY = CfgInt(doc, L"Window", L"GMainWinY", kKeep);
    g.GMainWinXD = CfgInt(doc, L"Window", L"GMainWinXD", 800);
    g.GMainWinYD = CfgInt(doc, L"Window", L"GMainWinYD", 600);
    g.GMainPan1Splitt = CfgInt(doc, L"Window", L"GMainPan1Splitt", 110);
    for (const std::wstring& value : IniSectionValues(doc, L"PATHS")) s.Jobs.Append(CfgJob(value));
    // An exclusion with an empty path would be a substring of every path and
    // exclude the whole source; a hand-edited "123|" must not do that.
    for (const std::wstring& value : IniSectionValues(doc, L"EXCLUDES")) {
        Exclude exclude;
        if (CfgExclude(value, exclude) && !exclude.Path.empty()) s.Excludes.Append(exclude);
    }
    for (const std::wstring& value : IniSectionValues(doc, L"ARCINDIV")) {
        s.ArcIndiv.Append(CfgArcIndiv(value));
    }
}

// Every other part finds a job by its Sid; a job line copied by hand (the
// same Sid twice) or a Sid of 0 would make two jobs one. The later job gets
// a fresh Sid; exclusions and archive settings stay with the first.
static void CfgRepairSids() {
    std::unordered_set<int32_t> seen;
    SidCounts taken = CurrentSidCounts();
    for (Job& job : S().Jobs.items) {
        if (job.Sid > 0 && seen.insert(job.Sid).second) continue;
        int32_t fresh = NewSid(taken);
        if (fresh > 0) {
            MoveSidCount(taken, job.Sid, fresh);
            job.Sid = fresh;
        }
        seen.insert(job.Sid);
    }
}

static void CfgClear() {
    State& s = S();
    s.settings = Settings{};
    s.Jobs.Clear();
    s.Excludes.Clear();
    s.ArcIndiv.Clear();
    s.ExcludeStrings.Clear();
    s.ExcludePaths.Clear();
}

static std::wstring CfgIniDir(bool programDirFileExists) {
    const Paths& p = S().paths;
    return programDirFileExists && S().settings.INIinPrgPath != 0 ? p.ProgramDir : p.ConfigDir;
}

std::wstring IniDirFor(const std::string* programDirIni) {
    if (!programDirIni) return S().paths.ConfigDir;
    IniDoc doc = ParseIni(*programDirIni);
    return CfgInt(doc, L"GENERAL", L"INIinPrgPath", 0) != 0 ? S().paths.ProgramDir : S().paths.ConfigDir;
}

ConfigOutcome ReadConfigFromBytes(const std::string* programDirIni, const std::string* iniFile) {
    State& s = S();
    CfgClear();

    // The search patterns come from the program directory only, so that one
    // set serves every user of an installation.
    if (programDirIni) {
        IniDoc doc = ParseIni(*programDirIni);
        s.settings.INIinPrgPath = CfgInt(doc, L"GENERAL", L"INIinPrgPath", 0);
        for (const std::wstring& value : IniSectionValues(doc, L"EXCLUDESTRINGS")) {
            s.ExcludeStrings.Append(plat::ToUpper(value));
        }
    }
    if (s.ExcludeStrings.Empty()) AddBuiltinExcludeStrings();
    SortExcludeStrings();
    BuildExcludePaths();

    s.paths.IniDir = CfgIniDir(programDirIni != nullptr);
    s.paths.IniFile = s.paths.IniDir + kIniName;

    IniDoc doc = iniFile ? ParseIni(*iniFile) : IniDoc{};
    s.settings.GStdAuto = CfgInt(doc, L"GENERAL", L"GStdAuto", 1);
    s.settings.GStdBupPath = CfgText(doc, L"GENERAL", L"GStdBupPath");
    std::wstring version = CfgText(doc, L"GENERAL", L"INIVersion");

    // std::wstring compares by character code, a prefix before the longer text.
    if (!version.empty() && version < kRenumberUpTo) {
        MigrateOldConfig(doc, version);
    } else if (version > kIniVersion) {
        ConfigOutcome newer;
        newer.result = ConfigLoad::NewerVersion;
        newer.message = L"Problem! Neuere INIVersion - kenn ich nicht: " + version + L" statt " + kIniVersion +
                        L"\r\nin " + s.paths.IniFile;
        return newer;
    } else {
        CfgReadCurrent(doc);
    }
    // Also after a migration, which leaves GDMScale at -1: the windows then
    // follow the screen's DPI like those of a fresh installation.
    UpdateDialogScale();

    if (version <= kRenumberUpTo) {
        RenumberJobSids();
    } else {
        CfgRepairSids();
    }
    SortExcludes();
    return {};
}

ConfigOutcome ReadConfig() {
    const Paths& p = S().paths;
    std::string programDirBytes;
    const bool programDirFile = plat::ReadWholeFile(p.ProgramDir + kIniName, programDirBytes);
    const std::string* programDirIni = programDirFile ? &programDirBytes : nullptr;

    const std::wstring iniDir = IniDirFor(programDirIni);
    std::string iniBytes;
    const std::string* iniFile = nullptr;
    if (programDirFile && iniDir == p.ProgramDir) {
        iniFile = programDirIni;
    } else if (plat::ReadWholeFile(iniDir + kIniName, iniBytes)) {
        iniFile = &iniBytes;
    }

    ConfigOutcome outcome = ReadConfigFromBytes(programDirIni, iniFile);
    WriteExcludePathsFile();
    return outcome;
}

}  // namespace core
