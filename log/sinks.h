// Connects core's log route to the channels. Core cannot include log/, so
// the program (and tests that need real channels) install this at start.
#pragma once

#include <string>

namespace logs {

using MessageSink = void (*)(const std::wstring& title, const std::wstring& text);

// core::Log goes to AddLog; core::Message goes to `message` (may be null).
void InstallCoreSinks(MessageSink message);

}  // namespace logs
