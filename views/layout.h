// LoadLayout: builds a window's views from a layout text of key=value;
// settings, one `id=N;[ ... ]` block per view.
#pragma once

#include <cstdint>

#include "platform/native.h"

class CPWindow;

// From the "TEXT" resource resourceId of module. False when it is missing.
bool LoadLayout(CPWindow& window, int32_t resourceId, NativeModule module);
// From a text. Answers the number of views made. Every rectangle is scaled
// by the window's layout scale.
int32_t LoadLayoutText(CPWindow& window, const char* text, int32_t length, NativeModule module);
