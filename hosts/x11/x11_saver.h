// The X11 saver: `tarn-flourish` with no subcommand.
#pragma once

struct SaverOptions;

// Runs the saver until it is closed or told to stop; the process's exit code.
int RunX11Saver(const SaverOptions& options);
