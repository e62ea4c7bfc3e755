#include "presets/notify.h"

namespace {
// Process-wide: one saver run per process, one place that shows messages.
TNotifySink gNotifySink = nullptr;
}  // namespace

void Notify(const char* message) {
    if (message && gNotifySink) gNotifySink(message);
}

TNotifySink SetNotifySink(TNotifySink sink) {
    const TNotifySink previous = gNotifySink;
    gNotifySink = sink;
    return previous;
}
