#pragma once

#include "toolkit/core/tstring.h"

#include <vector>

// Lists the names (no folder) of the entries of Folder whose names match Pattern
// (wildcards "*" and "?", case-insensitive), in name order without regard to case.
// Every kind of entry is admitted: hidden files and folders too. A missing folder
// gives an empty list.
class IFileSearch {
public:
    virtual ~IFileSearch() = default;
    virtual std::vector<TString> FindFiles(const TString& Folder, const TString& Pattern) const = 0;
};

IFileSearch& FileSearch();
void SetFileSearch(IFileSearch* Search);
