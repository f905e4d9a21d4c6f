// The info window "Tresoro 1.09": the carried info text, unpacked on every
// opening, in a read-only wrapped editor, with "OK" to close.
#include "dialogs/info_window.h"

#include <memory>
#include <new>

#include "dialogs/design_units.h"
#include "dialogs/modal_loop.h"
#include "platform/compress.h"
#include "platform/gui.h"
#include "platform/text.h"
#include "resources/program_data.h"
#include "ui/message.h"
#include "ui/widgets.h"

namespace dialogs {

// No info text comes near this; a larger size can only be damage, and
// asking for that much memory would merely fail later or slow the machine.
static constexpr size_t kInfoMaxBytes = size_t{64} << 20;

PackedText CarriedInfoText() { return PackedText{res::kInfoTextPacked, res::kInfoTextPackedSize, res::kInfoTextSize}; }

UnpackOutcome UnpackInfoText(const PackedText& source, std::wstring& text) {
    text.clear();
    if (source.unpackedSize > kInfoMaxBytes) return UnpackOutcome::NoMemory;
    // One byte more than the text needs: a damaged stream that runs on
    // fills it, and the unpacker cannot tell that apart from a fit.
    const size_t room = source.unpackedSize + 1;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[room]);
    if (!buffer) return UnpackOutcome::NoMemory;
    const size_t got = plat::UnpackLznt1(source.packed, source.packedSize, buffer.get(), room);
    if (got == 0 || got != source.unpackedSize) return UnpackOutcome::Damaged;
    // The text holds only characters that Windows-1252 and ISO-8859-1 share
    // (the build checks that), so it reads the same on every code page.
    text = plat::Latin1ToWide(std::string(reinterpret_cast<const char*>(buffer.get()), got));
    return UnpackOutcome::Ok;
}

static bool InfoOpen() {
    const int owner = MainOwner();
    const plat::Box box{0, 0, Scaled(400), Scaled(300)};
    const uint32_t flags = plat::kWinSystemMenu | (owner ? plat::kWinCenterOwner : plat::kWinCenterScreen);
    if (!plat::OpenWindow(InfoWindow, L"Info", box, flags, owner)) return false;
    bool ok = plat::CreateEditor(InfoTextView, InfoWindow, Scaled(plat::Box{5, 5, 390, 255}), plat::kReadOnly);
    ok = plat::CreateButton(InfoOkButton, InfoWindow, Scaled(plat::Box{160, 270, 60, 20}), L"OK") && ok;
    if (!ok) {
        plat::RemoveWindow(InfoWindow);
        return false;
    }
    // No "Abbrechen" here: Escape is the close box.
    plat::SetDialogKeys(InfoWindow, InfoOkButton, 0);
    return true;
}

static void InfoFillText(const PackedText& source) {
    std::wstring text;
    switch (UnpackInfoText(source, text)) {
        case UnpackOutcome::NoMemory:
            ui::ShowMessage(L"GFehler in _Info(): Konnte Speicher nicht anfordern!", 0, L"Meldung");
            return;
        case UnpackOutcome::Damaged:
            ui::ShowMessage(L"GFehler in _Info() beim Entpacken der Infodaten!", 0, L"Meldung");
            return;
        case UnpackOutcome::Ok:
            break;
    }
    plat::SetEditorWordWrap(InfoTextView, true);
    // Plain-text mode takes only while the editor is still empty.
    plat::SetEditorPlainText(InfoTextView);
    plat::SetGadgetText(InfoTextView, text);
}

InfoSession OpenInfoWindow(const PackedText& source) {
    InfoSession session;
    if (!InfoOpen()) {
        ui::ShowMessage(L"GFehler in _Info(): Konnte Fenster Window_FormInfo() nicht öffnen!", 0, L"Meldung");
        return session;
    }
    session.open = true;
    plat::SetWindowTitle(InfoWindow, L"Tresoro 1.09");
    session.modal = BeginModal(InfoWindow, MainOwner());
    InfoFillText(source);
    return session;
}

static bool InfoOwnEvent(const plat::GuiEvent& event) {
    if (event.kind == plat::EventKind::CloseWindow) return true;
    return event.kind == plat::EventKind::Gadget && event.id == InfoOkButton &&
           event.type == plat::EventType::LeftClick;
}

bool InfoWindowEvent(const plat::GuiEvent& event) {
    return ModalEvent(ModalHold{.window = InfoWindow}, event, InfoOwnEvent);
}

void RunInfoWindow(const InfoSession& session) {
    if (!session.open) return;
    RunModal(session.modal, InfoOwnEvent);
    EndModal(session.modal);
}

void ShowInfoWindowWith(const PackedText& source) { RunInfoWindow(OpenInfoWindow(source)); }

void ShowInfoWindow() { ShowInfoWindowWith(CarriedInfoText()); }

}  // namespace dialogs
