#pragma once

#include <cstdint>
#include <span>

// The pictures built into the program (assets/builtin), as their files hold them. They
// lie in the program's read-only data and are decoded where they are; the build writes
// their bytes into builtinfiles.cpp (cmake/embedfiles.cmake).
extern const std::span<const std::uint8_t> BuiltinImage1; // the clock's skin
extern const std::span<const std::uint8_t> BuiltinImage4; // the sound file picker
extern const std::span<const std::uint8_t> BuiltinImage5; // the sound test
extern const std::span<const std::uint8_t> BuiltinIcon; // the program's icon, every size
