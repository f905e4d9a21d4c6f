// Message boxes, the input box and the folder browser of the headless
// model: each is recorded and answered at once from the answers a test
// scripted, or as a user who dismisses it would answer.
#include "platform/headless/gui_model.h"

namespace plat {

using namespace headless;

MsgAnswer ShowMessageBox(const std::wstring& caption, const std::wstring& text, MsgButtons buttons) {
    Guard guard(M().lock);
    ShownDialog d;
    d.kind = DialogKind::MessageBox;
    d.caption = caption;
    d.text = text;
    d.buttons = buttons;
    d.owner = M().foreground;
    MsgAnswer scripted = buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
    if (!M().boxAnswers.empty()) {
        scripted = M().boxAnswers.front();
        M().boxAnswers.pop_front();
    }
    // A box has only its own buttons: an OK box answers OK whatever was
    // scripted, a Yes/No box anything but Yes as No.
    if (buttons == MsgButtons::Ok)
        d.answer = MsgAnswer::Ok;
    else
        d.answer = scripted == MsgAnswer::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    d.answered = true;
    M().shown.push_back(d);
    return d.answer;
}

bool InputBox(const std::wstring& title, const std::wstring& prompt, const std::wstring& initial,
              std::wstring& answer) {
    Guard guard(M().lock);
    ShownDialog d;
    d.kind = DialogKind::InputBox;
    d.caption = title;
    d.text = prompt;
    d.initial = initial;
    d.owner = M().foreground;
    if (!M().inputAnswers.empty()) {
        d.answered = M().inputAnswers.front().first;
        d.answerText = M().inputAnswers.front().second;
        M().inputAnswers.pop_front();
    }
    if (!d.answered) d.answerText.clear();
    M().shown.push_back(d);
    answer = d.answerText;
    return d.answered;
}

std::wstring BrowseForFolder(const std::wstring& title, const std::wstring& start) {
    Guard guard(M().lock);
    ShownDialog d;
    d.kind = DialogKind::FolderBrowser;
    d.caption = title;
    d.initial = start;
    d.owner = M().foreground;
    if (!M().folderAnswers.empty()) {
        d.answerText = M().folderAnswers.front();
        M().folderAnswers.pop_front();
    }
    d.answered = !d.answerText.empty();
    M().shown.push_back(d);
    return d.answerText;
}

}  // namespace plat
