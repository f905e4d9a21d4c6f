// The window of the path chooser: its ids and its construction, public so
// that tests can look at the layout without running the modal loop.
#pragma once

#include <string>

#include "ui/widgets.h"

namespace dialogs {

enum : int {
    ChooserWindow = ui::kPathChooserIds,
    ChooserDirList,
    ChooserUpButton,
    ChooserPathField,
    ChooserBrowseButton,
    ChooserOkButton,
    ChooserCancelButton,
    ChooserNewFolderButton,
};

// Opens "Bitte Pfad wählen" over the program's windows, retitled `title`,
// with the list and the path field at `initialPath`. False (and nothing
// left open) when a window or gadget cannot be created.
bool OpenPathChooser(const std::wstring& initialPath, const std::wstring& title);

}  // namespace dialogs
