// X selections as byte strings: reading one target of a selection with a
// time limit, and offering targets from a small background process that
// keeps serving after the program has ended, until another client takes
// the selection (as xclip does).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SSelectionOffer {
    std::string target;  // e.g. "image/png"
    std::vector<uint8_t> data;
};

// Asks the selection's owner for the first of targets it converts, in the
// order given, on a connection of its own to the default display. False
// when no owner answers with data within timeoutMs in all; chosen names the
// target that answered.
bool ReadSelection(const char* selection, const std::vector<std::string>& targets, int timeoutMs,
                   std::vector<uint8_t>& data, std::string& chosen);

// Takes the selection in a detached background process and serves offers
// (and TARGETS) from it. Returns once the process owns the selection, true;
// false when it could not be started or did not get the selection within a
// second.
bool ServeSelectionInBackground(const char* selection, std::vector<SSelectionOffer> offers);
