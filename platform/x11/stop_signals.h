// SIGTERM and SIGINT as a request to stop, seen by the event loop through a
// self-pipe, so the saver ends through its own destroy path instead of
// dying in the middle of a frame.
#pragma once

// Installs the handlers once; false when the pipe cannot be made.
bool InstallStopSignals();
// True once a stop signal arrived.
bool StopRequested();
// The pipe end that becomes readable on a stop signal, -1 before install.
int StopSignalFd();
// Forgets a stop request and drains the pipe (tests).
void ResetStopRequest();
