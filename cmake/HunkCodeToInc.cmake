# Writes the first code hunk of a one-hunk executable as a C++ byte list, for blocks of
# 68000 code that the core copies into emulated memory itself.
#   cmake -DHUNK=<executable> -DSIZE=<bytes> -DOUT=<file.inc> -P HunkCodeToInc.cmake
file(READ ${HUNK} hex HEX)
# Header (0x3F3, 0, 1, 0, 0, size) and the code hunk's id and count come first.
string(SUBSTRING "${hex}" 0 8 magic)
string(SUBSTRING "${hex}" 48 8 hunkId)
if(NOT magic STREQUAL "000003f3" OR NOT hunkId STREQUAL "000003e9")
  message(FATAL_ERROR "${HUNK} is not a one-hunk executable starting with a code hunk")
endif()
math(EXPR length "${SIZE} * 2")
string(SUBSTRING "${hex}" 64 ${length} code)
set(bytes "")
math(EXPR last "${length} - 1")
foreach(offset RANGE 0 ${last} 32)
  string(SUBSTRING "${code}" ${offset} 32 line)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " line "${line}")
  string(STRIP "${line}" line)
  string(APPEND bytes "${line}\n")
endforeach()
get_filename_component(name ${HUNK} NAME)
file(WRITE ${OUT} "// ${SIZE} bytes of 68000 code, made from m68k/easo/${name}.S by the update-${name} target.\n${bytes}")
