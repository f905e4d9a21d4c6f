// Message boxes, the input box and the folder browser answered by script,
// and the calls the animation and blink threads make while the main thread
// works.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/gui.h"
#include "platform/gui_testing.h"

namespace {

class GuiDialogs : public ::testing::Test {};

using plat::MsgAnswer;
using plat::MsgButtons;

}  // namespace

TEST_F(GuiDialogs, MessageBoxesAreAnsweredInOrderAndRecorded) {
    if (!plat::HeadlessGui()) GTEST_SKIP() << "the system's boxes take no scripted answers";
    ASSERT_TRUE(plat::OpenWindow(1, L"Tresoro 1.09", {0, 0, 750, 550}, 0));
    plat::AnswerNextMessageBox(MsgAnswer::Yes);
    plat::AnswerNextMessageBox(MsgAnswer::Yes);
    EXPECT_EQ(plat::ShowMessageBox(L"Tresoro Meldung", L"Fortfahren?", MsgButtons::YesNo), MsgAnswer::Yes);
    // An OK box has only OK, whatever the script says; the scripted answer
    // is used up all the same.
    EXPECT_EQ(plat::ShowMessageBox(L"Tresoro Meldung", L"Hinweis", MsgButtons::Ok), MsgAnswer::Ok);
    // Unscripted, the question is answered No: nothing starts by accident.
    EXPECT_EQ(plat::ShowMessageBox(L"Tresoro Meldung", L"Sind Sie sicher?", MsgButtons::YesNo), MsgAnswer::No);

    auto shown = plat::ShownDialogsForTest();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].caption, L"Tresoro Meldung");
    EXPECT_EQ(shown[0].text, L"Fortfahren?");
    EXPECT_EQ(shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(shown[0].owner, 1);
    EXPECT_EQ(shown[2].answer, MsgAnswer::No);
}

TEST_F(GuiDialogs, InputBoxAndFolderBrowserCancelUnlessScripted) {
    if (!plat::HeadlessGui()) GTEST_SKIP() << "the system's boxes take no scripted answers";
    std::wstring answer = L"old";
    EXPECT_FALSE(plat::InputBox(L"Neues Verzeichnis", L"Bitte Name eingeben:", L"", answer));
    EXPECT_EQ(answer, L"");
    plat::AnswerNextInputBox(true, L"Fotos");
    plat::AnswerNextInputBox(false, L"ignored");
    EXPECT_TRUE(plat::InputBox(L"Neues Verzeichnis", L"Bitte Name eingeben:", L"", answer));
    EXPECT_EQ(answer, L"Fotos");
    EXPECT_FALSE(plat::InputBox(L"Neues Verzeichnis", L"Bitte Name eingeben:", L"", answer));
    EXPECT_EQ(answer, L"");

    EXPECT_EQ(plat::BrowseForFolder(L"Zielpfad wählen", L""), L"");
    plat::AnswerNextFolderBrowser(L"E:\\Backup");
    EXPECT_EQ(plat::BrowseForFolder(L"Zielort", L"D:\\"), L"E:\\Backup");

    auto shown = plat::ShownDialogsForTest();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0].kind, plat::DialogKind::InputBox);
    EXPECT_EQ(shown[0].text, L"Bitte Name eingeben:");
    EXPECT_EQ(shown[4].kind, plat::DialogKind::FolderBrowser);
    EXPECT_EQ(shown[4].initial, L"D:\\");
    EXPECT_TRUE(shown[4].answered);
    EXPECT_FALSE(shown[3].answered);
}

TEST_F(GuiDialogs, BlinkAndAnimationThreadsChangeTheirGadgetsWhileTheMainThreadWorks) {
    ASSERT_TRUE(plat::OpenWindow(1, L"Tresoro", {0, 0, 750, 550}, 0));
    ASSERT_TRUE(plat::CreateText(10, 1, {5, 55, 740, 25}, L""));
    ASSERT_TRUE(plat::CreateImage(11, 1, {215, 12, 32, 32}, 0));
    ASSERT_TRUE(plat::AddTrayIcon(5, 1, 1, L"Tresoro 1.09"));
    std::atomic<bool> stop{false};
    std::thread blink([&] {
        for (int i = 0; i < 1000 || !stop; ++i) {
            plat::SetGadgetFont(10, {L"Arial", 9, true});
            plat::SetGadgetColor(10, i % 2 ? plat::ColorRgb(255, 0, 0) : plat::kColorDefault);
        }
    });
    std::thread animate([&] {
        for (int i = 0; i < 1000 || !stop; ++i) {
            plat::SetGadgetImage(11, 1 + i % 2);
            plat::SetTrayIcon(5, 1 + i % 2);
        }
    });
    // Meanwhile the main thread builds and fills other gadgets.
    for (int i = 0; i < 2000; ++i) {
        plat::CreateText(100 + i, 1, {0, 0, 10, 10}, L"x");
        plat::SetGadgetText(10, std::to_wstring(i));
    }
    stop = true;
    blink.join();
    animate.join();
    plat::SetGadgetColor(10, plat::kColorDefault);
    EXPECT_EQ(plat::GetGadgetText(10), L"1999");
    EXPECT_EQ(plat::GetGadgetColor(10), plat::kColorDefault);
    EXPECT_EQ(plat::GadgetsOfWindowForTest(1).size(), 2002u);
    const int icon = plat::GetGadgetImage(11);
    EXPECT_TRUE(icon == 1 || icon == 2);
}
