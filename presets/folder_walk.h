// VisitTree: a depth-first walk of a folder tree that reports each file and
// each folder entered and left to a visitor, which can skip a folder or stop
// the walk.
#pragma once

#include <cstdint>

#include "platform/file_spec.h"

// Events a visitor gets.
constexpr int32_t kVisitFile = 1;
constexpr int32_t kVisitEnterFolder = 4;  // a folder about to be entered
constexpr int32_t kVisitLeaveFolder = 5;  // a folder just left
// Answers of a visitor; any other answer stops the walk with that value.
constexpr int32_t kVisitContinue = 0;
constexpr int32_t kVisitSkipFolder = 6;   // only after kVisitEnterFolder

// Folders nested deeper than this below the walked folder are not entered
// (a link loop must not recurse forever).
constexpr int32_t kVisitMaxDepth = 32;

// location: the folder being walked, with the entry as its name.
using TVisitor = int32_t (*)(const CPFileSpec& location, const char* entryName, int32_t event, void* state);

// Walks the folder of folder (its name is ignored) in the order the file
// system gives the entries. Answers 0 when the walk went through, or the
// visitor's answer that stopped it.
int32_t VisitTree(const CPFileSpec& folder, TVisitor visitor, void* state);
