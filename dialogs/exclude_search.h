// "Ausnahmen suchen": walks a job's source tree and turns every path that
// matches one of the search patterns (ExcludePaths) into an exclusion of
// that job. Runs on the main thread in the main window's status strip;
// "Abbrechen" and the close box stop the walk and keep what was found.
#pragma once

#include <cstdint>
#include <string>

namespace dialogs {

// The menu command: searches the current job (CurrentSid). Nothing happens
// when there is no current job.
void SearchExcludes();

// The same for the job with this Sid, whether it is current or not (the
// standard set-up searches each job it has just added).
void SearchExcludesFor(int32_t sid);

// Recursive walk below `directory`: every directory and file that matches
// adds exclusions; a matching directory is not entered, and neither are
// junctions or directory links. Stops at the next entry once
// CancelRequested is set.
void ScanExcludeTree(const std::wstring& directory, int32_t sid);

// Tries every pattern of ExcludePaths on `path` (upper-cased) and appends
// an Exclude for each one that matches: the path cut directly after the
// last occurrence of the pattern's last "|" part. 1 when any matched.
int MatchExcludePatterns(const std::wstring& path, int32_t sid);

// Sorts Excludes by Path and drops every exclusion of the job that contains
// the exclusion kept before it: an exclusion matches as a substring, so the
// shorter one already covers it. Exact duplicates go the same way.
void RemoveNestedExcludes(int32_t sid);

// Forgets when the status line was last written, so the next directory is
// shown at once; for tests.
void ResetExcludeSearch();

}  // namespace dialogs
