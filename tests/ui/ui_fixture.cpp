#include "tests/ui/ui_fixture.h"

#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/gui_testing.h"
#include "platform/testing.h"
#include "ui/event_loop.h"

namespace ui_testing {

std::string IniText(const std::string& general, const std::string& window, const std::string& paths) {
    const std::string text = "[GENERAL]\nINIVersion = 110708\nGStdAuto = 0\n" + general + "[Window]\nGDMScale = 1.0\n" +
                             window + "[PATHS]\n" + paths;
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

void UiFixture::SetUp() {
    plat::SetFakeClock(1700000000, 5000);
    appData = tree.Path(L"AppData");
    tree.Mkdir(L"AppData");
    plat::SetSpecialFolderForTest(26, appData);
    configDir = appData + L"\\TresoroData\\";
}

void UiFixture::WriteIni(const std::string& text) const {
    tree.Write(L"AppData\\TresoroData\\Tresoro.ini", "\xEF\xBB\xBF" + text);
}

ui::StartResult UiFixture::Start(const std::vector<std::wstring>& args) { return ui::StartProgram(args); }

void UiFixture::StartOk(const std::vector<std::wstring>& args) {
    if (!plat::FileExists(configDir + L"Tresoro.ini")) WriteIni(IniText());
    const ui::StartResult result = Start(args);
    ASSERT_TRUE(result.enterLoop);
}

void RunPendingEvents() {
    plat::GuiEvent event;
    while (plat::PendingUserActions() > 0 || plat::QueuedEvents() > 0) {
        if (!plat::PollEvent(event)) break;
        ui::DispatchEvent(event);
    }
}

}  // namespace ui_testing
