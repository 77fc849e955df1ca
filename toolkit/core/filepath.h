#pragma once

#include "toolkit/core/tstring.h"

#include <filesystem>

// A file name as the file system takes it: UTF-16 on Windows; UTF-8 elsewhere, a lone
// surrogate written as "?" so that a bad name names no file instead of failing.
std::filesystem::path PathOf(TStringView Name);
