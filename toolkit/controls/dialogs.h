#pragma once

#include "toolkit/core/classes.h"

#include <functional>
#include <utility>
#include <vector>

// The file-open dialog. Filter holds alternating descriptions and patterns separated by
// "|" ("mp3|*.mp3|wav|*.wav"); FilterIndex counts the entries from 1.
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* AOwner);

    TString Filter;
    int FilterIndex = 1;
    TString FileName;
    TString Title;

    // Runs the dialog; true and FileName set to the chosen file's full path when the user
    // confirms, false on cancel.
    bool Execute();

    // Filter's entries as pairs of a description and its patterns ("*.mp3;*.wav").
    std::vector<std::pair<TString, TString>> Filters() const;

    // Replaces the dialog in tests: given the dialog, returns the chosen path or an empty
    // text for a cancel.
    static std::function<TString(TOpenDialog&)> Runner;
};
