// The standard jobs: the user's profile, the documents and the public
// profile, each added only when no existing job already backs it up.
#include "core/folder_vars.h"
#include "core/sid.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "dialogs/exclude_search.h"
#include "dialogs/standard_setup.h"
#include "engine/sync.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "ui/job_list.h"

namespace dialogs {

constexpr int kStdCsidlProfile = 40;   // CSIDL_PROFILE
constexpr int kStdCsidlDocuments = 5;  // CSIDL_PERSONAL

std::wstring StandardUserName() {
    std::wstring user = plat::GetEnv(L"USERNAME");
    return user.empty() ? std::wstring(L"Ø") : user;
}

// PUBLIC exists from Windows Vista on; before that the shared profile was
// ALLUSERSPROFILE, which since Vista names ProgramData instead. So the older
// variable is only the answer where the newer one is not set.
static std::wstring StdPublicProfile() {
    std::wstring path = plat::GetEnv(L"PUBLIC");
    if (path.empty()) path = plat::GetEnv(L"ALLUSERSPROFILE");
    return path;
}

bool SourceCovered(const std::wstring& source) {
    const std::wstring upper = plat::ToUpper(source);
    for (const core::Job& job : core::S().Jobs.items) {
        // A job without a source backs up nothing, although "" occurs in
        // every path.
        if (job.Src.empty()) continue;
        if (upper.find(plat::ToUpper(job.Src)) == std::wstring::npos) continue;
        if (!engine::IsExcluded(core::S().Excludes.items, source, job.Sid)) return true;
    }
    return false;
}

bool AddStandardJob(const std::wstring& sourceIn, const std::wstring& destination) {
    // An unknown folder comes back empty, and "\" would be the root of the
    // current drive, which does exist: never a standard job.
    if (sourceIn.empty() || sourceIn == L"\\") return false;
    if (plat::GetAttributes(sourceIn) == plat::kInvalidAttributes) return false;
    const std::wstring source = core::AddBackslash(sourceIn);
    if (SourceCovered(source)) return false;
    const int32_t sid = core::NewSid();
    if (sid == 0) return false;
    core::Job job;
    job.Sid = sid;
    job.Src = source;
    job.Dest = core::AddBackslash(destination);
    job.Flags = core::kFlagSelected;
    job.ArcInterval = 7;
    job.ArcVersions = 3;
    core::S().Jobs.Append(job);
    // The disk may be away now; the run creates or searches the destination
    // later as configured.
    (void)plat::CreateDir(job.Dest);
    SearchExcludesFor(sid);
    return true;
}

void StandardSetup(bool interactive) {
    core::Settings& settings = core::S().settings;
    std::wstring destination;
    if (interactive || settings.GStdBupPath.empty()) {
        destination = StandardSetupWindow();
    } else {
        destination = settings.GStdBupPath;  // used even while the disk is away
    }
    if (destination.empty()) return;
    settings.GStdBupPath = core::AddBackslash(destination);
    const std::wstring root = settings.GStdBupPath;
    const std::wstring user = StandardUserName();
    AddStandardJob(core::FolderPath(kStdCsidlProfile), root + user + L"\\");
    const std::wstring documents = core::FolderPath(kStdCsidlDocuments);
    AddStandardJob(documents.empty() ? documents : core::AddBackslash(documents), root + user + L"Data\\");
    const std::wstring shared = StdPublicProfile();
    AddStandardJob(shared.empty() ? shared : core::AddBackslash(shared), root + L"Public\\");
    ui::RefreshJobList();
}

}  // namespace dialogs
