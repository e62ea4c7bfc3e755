#include "shell/clipboard.h"

// The clipboard exchange arrives with the hosts' clipboard support; until
// then there is no clipboard picture and nothing is exported.
CPOffscreen* ReadClipboardImage() { return nullptr; }

void WriteClipboardImage(const CPOffscreen&) {}
