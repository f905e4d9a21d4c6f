#include "log/sinks.h"

#include "core/report.h"
#include "log/channels.h"

namespace logs {

void InstallCoreSinks(MessageSink message) {
    core::Sinks sinks;
    sinks.log = &AddLog;
    sinks.message = message;
    core::SetSinks(sinks);
}

}  // namespace logs
