// "Über": the info window, a read-only text about the program. The program
// carries the text packed (resources/program_data.h) and unpacks it each
// time the window opens; it exists only while the window is open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "dialogs/modal_loop.h"
#include "platform/gui.h"
#include "ui/widgets.h"

namespace dialogs {

enum : int {
    InfoWindow = ui::kInfoWindowIds,
    InfoTextView,
    InfoOkButton,
};

// A packed info text: an LZNT1 stream of Windows-1252 text and the number
// of bytes it unpacks to.
struct PackedText {
    const uint8_t* packed = nullptr;
    size_t packedSize = 0;
    size_t unpackedSize = 0;
};

// The info text the program carries.
PackedText CarriedInfoText();

enum class UnpackOutcome { Ok, NoMemory, Damaged };

// Unpacks `source` into `text`. NoMemory when the buffer for the unpacked
// bytes cannot be had (a size beyond any text is not even tried); Damaged
// when the stream does not unpack to exactly unpackedSize bytes.
UnpackOutcome UnpackInfoText(const PackedText& source, std::wstring& text);

// The menu command "Über": opens the info window modally and returns when
// the user closes it, by its close box or "OK". Failures are shown with
// ShowMessage, title "Meldung"; a text that cannot be unpacked leaves the
// window open with an empty text.
void ShowInfoWindow();
// The same with another text, for the tests of the failure paths.
void ShowInfoWindowWith(const PackedText& source);

// The two halves of ShowInfoWindowWith, public so that tests can look at
// the open window before its loop runs.
struct InfoSession {
    bool open = false;  // false: the window could not be made (message shown)
    ModalHold modal;    // ownerHeld: the main window was disabled and takes input again at the end
};
// Opens the window, takes the main window's input away, unpacks and shows
// the text.
InfoSession OpenInfoWindow(const PackedText& source);
// Handles events until the user closes the window, then closes it as every
// modal dialog closes (dialogs/modal_loop.h).
void RunInfoWindow(const InfoSession& session);
// One event of that loop: true when it closes the window (its close box or
// "OK"); an event of any other window brings the info window to the front.
bool InfoWindowEvent(const plat::GuiEvent& event);

}  // namespace dialogs
