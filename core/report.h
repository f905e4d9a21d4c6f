// How core reaches the log and the user without knowing either: the layers
// above install these sinks at start, tests install recorders.
#pragma once

#include <string>

namespace core {

constexpr int kLogNormal = 0;
constexpr int kLogError = 1;
constexpr int kLogHint = 2;
constexpr int kLogRunEnd = -1;

struct Sinks {
    void (*log)(const std::wstring& text, int kind) = nullptr;
    // A message box titled "Tresoro " + title with an OK button.
    void (*message)(const std::wstring& title, const std::wstring& text) = nullptr;
};

void SetSinks(const Sinks& sinks);
void Log(const std::wstring& text, int kind);
void Message(const std::wstring& title, const std::wstring& text);

}  // namespace core
