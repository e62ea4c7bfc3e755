// Notify: the one message box the system shows the user. The shell installs
// a sink that shows it; hosts without a message box leave the default sink,
// which does nothing. Tests install a sink to see what would be shown.
#pragma once

using TNotifySink = void (*)(const char* message);

// Hands message to the current sink (if any). Null messages are ignored.
void Notify(const char* message);

// Installs sink (null: no sink) and answers the one it replaces.
TNotifySink SetNotifySink(TNotifySink sink);
