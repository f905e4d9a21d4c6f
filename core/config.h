// The configuration file "Tresoro.ini": reading it at start (with the
// migration of older versions), writing it back, and the dialog scale that
// follows from it.
#pragma once

#include <cstdint>
#include <string>

namespace core {

struct IniDoc;

enum class ConfigLoad { Ok, NewerVersion };

struct ConfigOutcome {
    ConfigLoad result = ConfigLoad::Ok;
    // For NewerVersion: the text to show (title "Meldung") before the
    // process ends without writing the file.
    std::wstring message;
};

// How much a run logs besides its errors and hints: the directories it
// copies into, every copy with the archive moves, or the archive moves with
// the directories. The file keeps its number (GLogExt), which the program
// reads only through LogDetailOf.
enum class LogDetail : int8_t { Directories, EveryCopy, ArchiveMoves };
// GLogExt 0, 1, or any other number.
LogDetail LogDetailOf(int8_t gLogExt);
inline bool LogsArchiveMoves(LogDetail detail) { return detail != LogDetail::Directories; }

// The version this program writes and understands.
inline constexpr const wchar_t* kIniVersion = L"110708";

// Reads ProgramDir + "Tresoro.ini" and IniFile (both from S().paths), fills
// IniDir/IniFile, the settings, Jobs, Excludes, ArcIndiv, ExcludeStrings,
// ExcludePaths and DialogScale, and writes ConfigDir + "ExcludePaths.txt".
ConfigOutcome ReadConfig();

// The same procedure over file contents instead of files (nullptr = the file
// is missing). Touches no file; ProgramDir and ConfigDir must be set for
// IniDir and IniFile to come out right.
ConfigOutcome ReadConfigFromBytes(const std::string* programDirIni, const std::string* iniFile);

// The directory whose "Tresoro.ini" is the one in use: ProgramDir when its
// file exists and says INIinPrgPath non-zero, else ConfigDir.
std::wstring IniDirFor(const std::string* programDirIni);

// The configuration file as written, byte for byte.
std::string ConfigFileBytes();

// Replaces IniFile through a temporary file. On failure the old file stays,
// the hint "Kann Konfiguration nicht erzeugen: " + IniFile is logged and the
// result is false.
bool WriteConfig();

// GDMScale as written: exactly six decimals, "." whatever the locale.
std::wstring FormatScale(float value);

// DialogScale for a configured GDMScale: the screen's DPI / 96 when below 0,
// the value itself when above 0.
double DialogScaleFor(float configured);
// The same for a window shown at `dpi`: a configured factor holds at the
// system's DPI and grows with the window's against it; -1 follows `dpi`.
double DialogScaleAt(float configured, int dpi);
// Sets S().DialogScale from S().settings.GDMScale.
void UpdateDialogScale();

// Pieces of the reading procedure, public for their tests.
// Files older than "090331": jobs and exclusions from the old layouts, with
// identifiers built from the current time.
void MigrateOldConfig(const IniDoc& doc, const std::wstring& version);
// Gives every job a fresh Sid and carries it into its Excludes and ArcIndiv.
void RenumberJobSids();
// Excludes ascending by Path, ignoring case, equal paths in their order.
void SortExcludes();

}  // namespace core
