#include "core/report.h"

namespace core {

static Sinks g_sinks;

void SetSinks(const Sinks& sinks) { g_sinks = sinks; }

void Log(const std::wstring& text, int kind) {
    if (g_sinks.log) g_sinks.log(text, kind);
}

void Message(const std::wstring& title, const std::wstring& text) {
    if (g_sinks.message) g_sinks.message(title, text);
}

}  // namespace core
