# Writes a C++ source that holds files as byte arrays, so that a program carries its
# built-in pictures in its read-only data with no resource system to register or read
# them through:
#
#   cmake -DOUTPUT=<file.cpp> -DHEADER=<header to include> -DFILES=<name=path;…> -P embedfiles.cmake
#
# Each name=path becomes "extern const std::span<const std::uint8_t> <name>" over the
# file's bytes, as the header declares them.
set(Source "// Generated from the files below at build time; do not edit.\n")
string(APPEND Source "#include \"${HEADER}\"\n\nnamespace {\n")
set(Spans "")
foreach(Entry IN LISTS FILES)
  string(FIND "${Entry}" "=" At)
  string(SUBSTRING "${Entry}" 0 ${At} Name)
  math(EXPR PathStart "${At} + 1")
  string(SUBSTRING "${Entry}" ${PathStart} -1 Path)
  file(READ "${Path}" Hex HEX)
  string(LENGTH "${Hex}" HexLength)
  if(HexLength EQUAL 0)
    message(FATAL_ERROR "${Path} is empty or missing")
  endif()
  # Sixteen bytes a line (CMake's expressions have no repeat count).
  string(REPEAT "[0-9a-f][0-9a-f]" 16 Line)
  string(REGEX REPLACE "(${Line})" "\\1\n" Hex "${Hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," Bytes "${Hex}")
  string(REPLACE "\n" "\n    " Bytes "${Bytes}")
  string(APPEND Source "// ${Name}\nconst std::uint8_t ${Name}Bytes[] = {\n    ${Bytes}\n};\n")
  string(APPEND Spans "extern const std::span<const std::uint8_t> ${Name}(${Name}Bytes);\n")
endforeach()
string(APPEND Source "}\n\n${Spans}")
# Written only when it changes, so that an unchanged picture rebuilds nothing.
file(CONFIGURE OUTPUT "${OUTPUT}" CONTENT "${Source}" @ONLY)
