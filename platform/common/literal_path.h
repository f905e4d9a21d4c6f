// The literal ("\\?\") spelling of a Windows path, as the Win32 layer hands
// it to the file calls. Pure string work, so that both builds can test it;
// only the Win32 layer uses it, and nothing above the platform layer ever
// sees the result.
#pragma once

#include <functional>
#include <string>

namespace plat {

// Answers the absolute directory a relative path stands on: for "" the
// current directory, for "C:" the current directory of drive C, for "\"
// the root of the current drive. "" when it cannot be found.
using PathBaseResolver = std::function<std::wstring(const std::wstring& base)>;

// "C:\x" becomes "\\?\C:\x", "\\server\share\x" becomes
// "\\?\UNC\server\share\x"; a relative path is first put on the base that
// `resolve` answers; "/" becomes "\", doubled "\" are collapsed, and "."
// and ".." components are resolved (".." never climbs above the drive or
// the share), because the literal form leaves all of these to the file
// system, which takes them as names. A name ending in a dot or a blank is
// kept as it stands: that is what the literal form is for. A trailing "\"
// is kept unless `dropTrailingSlash`, which drops it from everything but a
// root ("\\?\C:\" names the root directory, "\\?\C:" the volume device).
// A path already literal ("\\?\", or a device "\\.\") is returned with
// only its "/" turned; one whose base cannot be resolved, or an empty one,
// is returned as given: the file call then fails on it as it would have.
std::wstring LiteralPath(const std::wstring& path, const PathBaseResolver& resolve, bool dropTrailingSlash = false);

}  // namespace plat
