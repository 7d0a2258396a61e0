# 68000 programs: sources are assembled (.S, through the C preprocessor) or compiled
# (.c) with Debian's m68k cross tools for the plain 68000, linked with m68k/hunk.ld
# and converted to AmigaOS hunk executables by varno-elf2hunk, all inside the
# normal build (ALL).
#
#   varno_m68k_executable(NAME <name> SOURCES <file.S|file.c>...
#                         [INCLUDES <dir>...] [DEFINES <NAME=value>...])
#     Builds the hunk file ${CMAKE_CURRENT_BINARY_DIR}/<name>, with the linked
#     ELF beside it as <name>.elf (for objdump). The first source's code comes
#     first in the code hunk, after any .text.header section. m68k/include is
#     always on the include path (#include <varno/exec.h> ...), and the runtime
#     (m68k/runtime: __mulsi3, __divsi3, __udivsi3, __modsi3, __umodsi3, memcpy,
#     memmove, memset, memcmp) is linked in as needed. The target is named after
#     the folder and the program (m68k/tests/examples + chain:
#     m68k_tests_examples_chain). Give names without a dot: the tools tests
#     check every extension-less file under ${VARNO_M68K_DIR} as a hunk file.
#
#   varno_player(NAME <name> SOURCES <file.c|file.S>... ORDER <n>
#                [DEFINES <NAME=value>...] [TEST])
#     A player written with the player kit (varno/kit.h, m68k/kit): built with the
#     kit's glue, which leads its code with the player header, and packed into the
#     default player archive bin/xmp-varno.dat, or with TEST into the kit's test
#     archive ${VARNO_M68K_DIR}/kit/xmp-varno.dat (VARNO_KIT_TEST_ARCHIVE). The host
#     asks players in archive order, by ORDER: the bands of m68k/kit/README.md, by
#     strength of evidence, each number with its reason beside it. Two players of
#     one archive never share a number.
#
#   varno_player_songs(PLAYER <player name> REFERENCE openmpt|xmp|mpt8|flac
#                      [EXCERPT <seconds>] [MIN_CORRELATION <c>] [MAX_LENGTH_ERROR <f>])
#     The suite's test of a player on real songs (test player_songs_<folder>): the
#     rows of the table of shared songs (${VARNO_SONG_TABLE}) that name the player
#     and are compared ("yes"), each with the reference seconds written there.
#     varno-compare opens each with the default archive, fails it when another
#     player (by its DTP_PlayerName) takes it, when its first subsong's length is
#     off by more than MAX_LENGTH_ERROR (default 0.01) of the reference seconds, or
#     when the loudness envelope of its first EXCERPT seconds (default 60) agrees
#     with the reference render less than MIN_CORRELATION (default 0.85). Skipped
#     when the reference player or ../shared is missing.
#
#   varno_m68k_programs([INCLUDES <dir>...] [DEFINES <NAME=value>...])
#     Every *.S and *.c of the current source folder becomes a program of its
#     own, named after the file without its extension.
#
# Include files (m68k/include/varno, for .S and C alike): player.h (tag ids, DeliBase
# offsets, and in .S files the DELIRIUM_HEADER / EPPLAYER_HEADER macros), tags.h,
# delibase.h, exec.h, dos.h, graphics.h, cia.h, custom.h. In .S files combine bits
# with +, since the assembler reads | as a comment.
#
# C is compiled -O2 -ffreestanding for the 68000: there is no libc, and no 64-bit
# division or floating point (their helpers are missing and the link says so).
# C is optional: write players and test programs in assembly.
# Assembly is checked by the assembler for the 68000 (-m68000): an instruction of a
# later processor is an error, never silently assembled.
#
# Folders below m68k/ that hold a CMakeLists.txt are picked up by m68k/CMakeLists.txt,
# so adding a program is one line there (or none with varno_m68k_programs()).
# The output folders mirror the source folders: m68k/tests/cpu/addx.S becomes
# ${VARNO_M68K_DIR}/tests/cpu/addx.
#
# Variables for other folders:
#   VARNO_HAVE_M68K  ON when the cross assembler tools were found (and VARNO_M68K
#                    is on); when OFF, no 68000 program is built and tests must skip.
#   VARNO_HAVE_M68K_C  ON when the cross C compiler was found as well; when OFF,
#                    programs with C sources are skipped (with a message).
#   VARNO_M68K_DIR   ${CMAKE_BINARY_DIR}/m68k; test executables get it as the
#                    compile definition VARNO_M68K_DIR (a string) together with
#                    VARNO_HAVE_M68K (0 or 1).
# Target m68k_programs depends on every program; test executables depend on it.

option(VARNO_M68K "Build the 68000 programs (needs the m68k cross tools)" ON)

set(VARNO_M68K_DIR ${CMAKE_BINARY_DIR}/m68k)
set(VARNO_M68K_SOURCE_DIR ${CMAKE_SOURCE_DIR}/m68k)
set(VARNO_HAVE_M68K OFF)

set(VARNO_HAVE_M68K_C OFF)

# Assembly needs only the cross preprocessor and binutils. The cross C compiler is
# optional: Debian's gcc-m68k-linux-gnu conflicts with gcc-multilib, so a machine
# may well lack it; programs with C sources are then skipped.
# A cached path is searched again when its file has gone (a package removed).
macro(_varno_m68k_find variable program)
  if(${variable} AND NOT EXISTS "${${variable}}")
    unset(${variable} CACHE)
  endif()
  find_program(${variable} ${program})
endmacro()

if(VARNO_M68K)
  _varno_m68k_find(VARNO_M68K_CPP m68k-linux-gnu-cpp)
  _varno_m68k_find(VARNO_M68K_AS m68k-linux-gnu-as)
  _varno_m68k_find(VARNO_M68K_LD m68k-linux-gnu-ld)
  _varno_m68k_find(VARNO_M68K_AR m68k-linux-gnu-ar)
  _varno_m68k_find(VARNO_M68K_CC m68k-linux-gnu-gcc)
  if(VARNO_M68K_CPP AND VARNO_M68K_AS AND VARNO_M68K_LD AND VARNO_M68K_AR)
    set(VARNO_HAVE_M68K ON)
    if(VARNO_M68K_CC)
      set(VARNO_HAVE_M68K_C ON)
    else()
      message(WARNING
        "m68k-linux-gnu-gcc was not found (Debian package gcc-m68k-linux-gnu, which "
        "conflicts with gcc-multilib): 68000 programs with C sources are skipped.")
    endif()
  else()
    message(WARNING
      "The m68k cross tools were not found (m68k-linux-gnu-cpp, -as, -ld and -ar; Debian "
      "packages cpp-m68k-linux-gnu and binutils-m68k-linux-gnu, installed by "
      "scripts/install-deps.sh). The 68000 programs are not built, and the tests "
      "that need them are skipped.")
  endif()
endif()

if(VARNO_HAVE_M68K)
  add_custom_target(m68k_programs)

  set(VARNO_M68K_INCLUDE_FLAGS -I${VARNO_M68K_SOURCE_DIR}/include)
  # .S files: preprocessed alone (no system headers), then assembled for the 68000,
  # which refuses any instruction of a later processor.
  set(VARNO_M68K_CPP_FLAGS -x assembler-with-cpp -nostdinc -ffreestanding)
  set(VARNO_M68K_AS_FLAGS -m68000 --fatal-warnings)
  # .c files: freestanding 68000 code: no libc, no libgcc (Debian's is built for the
  # 68020), absolute addressing (hunks are relocated by the loader, not position
  # independent).
  # No store merging: GCC joins neighbouring byte stores into word stores, which
  # fault at odd addresses on the 68000.
  set(VARNO_M68K_C_FLAGS -m68000 -std=gnu11 -O2 -ffreestanding -fno-pic -fno-pie -fno-common
      -fomit-frame-pointer -fno-asynchronous-unwind-tables -fno-exceptions -fno-store-merging -Wall -Wextra)
  set(VARNO_M68K_LINK_FLAGS -T ${VARNO_M68K_SOURCE_DIR}/hunk.ld -q --orphan-handling=error
      -z noexecstack)
  if(VARNO_WERROR)
    list(APPEND VARNO_M68K_C_FLAGS -Werror)
    list(APPEND VARNO_M68K_LINK_FLAGS --fatal-warnings)
  endif()
  set(VARNO_M68K_RUNTIME ${VARNO_M68K_DIR}/runtime/libvarno68k.a)
endif()

# Objects of one program or library, one custom command per source, with the
# dependencies on included files taken from the compiler's depfile.
function(_varno_m68k_objects out_var object_dir)
  cmake_parse_arguments(ARG "" "" "SOURCES;INCLUDES;DEFINES" ${ARGN})
  set(flags ${VARNO_M68K_INCLUDE_FLAGS})
  foreach(dir ${ARG_INCLUDES})
    get_filename_component(dir ${dir} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND flags -I${dir})
  endforeach()
  foreach(definition ${ARG_DEFINES})
    list(APPEND flags -D${definition})
  endforeach()
  # Makefile generators do not create the folders of custom command outputs.
  file(MAKE_DIRECTORY ${object_dir})
  set(objects)
  foreach(source ${ARG_SOURCES})
    get_filename_component(source ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(file_name ${source} NAME)
    get_filename_component(extension ${source} LAST_EXT)
    set(object ${object_dir}/${file_name}.o)
    if(extension STREQUAL ".S")
      add_custom_command(
        OUTPUT ${object}
        COMMAND ${VARNO_M68K_CPP} ${VARNO_M68K_CPP_FLAGS} ${flags} -MD -MF ${object}.d -MT ${object}
                ${source} -o ${object}.s
        COMMAND ${VARNO_M68K_AS} ${VARNO_M68K_AS_FLAGS} ${object}.s -o ${object}
        DEPENDS ${source}
        DEPFILE ${object}.d
        COMMENT "Assembling 68000 object ${file_name}"
        VERBATIM)
    elseif(extension STREQUAL ".c")
      add_custom_command(
        OUTPUT ${object}
        COMMAND ${VARNO_M68K_CC} ${VARNO_M68K_C_FLAGS} ${flags} -MD -MF ${object}.d -MT ${object}
                -c ${source} -o ${object}
        DEPENDS ${source}
        DEPFILE ${object}.d
        COMMENT "Compiling 68000 object ${file_name}"
        VERBATIM)
    else()
      message(FATAL_ERROR "68000 source ${source}: only .S and .c files are supported")
    endif()
    list(APPEND objects ${object})
  endforeach()
  set(${out_var} ${objects} PARENT_SCOPE)
endfunction()

# Target names follow the source folder: m68k/tests/examples + chain -> m68k_tests_examples_chain.
function(_varno_m68k_target_name out_var name)
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT folder MATCHES "^m68k")
    set(folder "m68k/${folder}")
  endif()
  string(REGEX REPLACE "[^A-Za-z0-9_]" "_" target "${folder}/${name}")
  set(${out_var} ${target} PARENT_SCOPE)
endfunction()

function(varno_m68k_executable)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;INCLUDES;DEFINES" ${ARGN})
  if(NOT ARG_NAME OR NOT ARG_SOURCES)
    message(FATAL_ERROR "varno_m68k_executable needs NAME and SOURCES")
  endif()
  if(NOT VARNO_HAVE_M68K)
    return()
  endif()
  if(NOT VARNO_HAVE_M68K_C AND ARG_SOURCES MATCHES "\\.c(;|$)")
    message(STATUS "68000 program ${ARG_NAME} skipped: it has C sources and there is no m68k C compiler")
    return()
  endif()
  _varno_m68k_target_name(target ${ARG_NAME})
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME})
  _varno_m68k_objects(objects ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}.objects
    SOURCES ${ARG_SOURCES} INCLUDES ${ARG_INCLUDES} DEFINES ${ARG_DEFINES})
  add_custom_command(
    OUTPUT ${output}.elf
    COMMAND ${VARNO_M68K_LD} ${VARNO_M68K_LINK_FLAGS} -o ${output}.elf ${objects} ${VARNO_M68K_RUNTIME}
    DEPENDS ${objects} ${VARNO_M68K_RUNTIME} m68k_runtime ${VARNO_M68K_SOURCE_DIR}/hunk.ld
    COMMENT "Linking 68000 program ${ARG_NAME}.elf"
    VERBATIM)
  add_custom_command(
    OUTPUT ${output}
    COMMAND varno-elf2hunk ${output}.elf ${output}
    DEPENDS ${output}.elf varno-elf2hunk
    COMMENT "Converting 68000 program ${ARG_NAME} to a hunk executable"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
  add_dependencies(m68k_programs ${target})
endfunction()

function(varno_m68k_programs)
  cmake_parse_arguments(ARG "" "" "INCLUDES;DEFINES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.S ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  foreach(source ${sources})
    get_filename_component(name ${source} NAME_WE)
    varno_m68k_executable(NAME ${name} SOURCES ${source} INCLUDES ${ARG_INCLUDES} DEFINES ${ARG_DEFINES})
  endforeach()
endfunction()

function(varno_player)
  cmake_parse_arguments(ARG "TEST" "NAME;ORDER" "SOURCES;INCLUDES;DEFINES" ${ARGN})
  set(property VARNO_PLAYERS)
  if(ARG_TEST)
    set(property VARNO_KIT_TEST_PLAYERS)
  endif()
  if(NOT ARG_ORDER MATCHES "^[0-9]+$" OR ARG_ORDER GREATER 99)
    message(FATAL_ERROR "varno_player(${ARG_NAME}): ORDER 0-99 is required (the bands are in m68k/kit/README.md)")
  endif()
  get_property(taken GLOBAL PROPERTY ${property})
  foreach(entry ${taken})
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 0 order)
    list(GET fields 1 other)
    math(EXPR wanted "1000 + ${ARG_ORDER}")
    if(order EQUAL wanted)
      message(FATAL_ERROR "varno_player(${ARG_NAME}): ORDER ${ARG_ORDER} is ${other}'s; a tie would leave the order to the names")
    endif()
  endforeach()
  varno_m68k_executable(NAME ${ARG_NAME}
    SOURCES ${VARNO_M68K_SOURCE_DIR}/kit/glue.S ${VARNO_M68K_SOURCE_DIR}/kit/kit.c ${ARG_SOURCES}
    INCLUDES ${ARG_INCLUDES} DEFINES ${ARG_DEFINES})
  _varno_m68k_target_name(target ${ARG_NAME})
  if(TARGET ${target})
    math(EXPR order "1000 + ${ARG_ORDER}")
    set_property(GLOBAL APPEND PROPERTY ${property}
                 "${order}|${ARG_NAME}|${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}|${target}")
  endif()
endfunction()

function(varno_player_songs)
  cmake_parse_arguments(ARG "" "PLAYER;REFERENCE;EXCERPT;MIN_CORRELATION;MAX_LENGTH_ERROR" "" ${ARGN})
  if(NOT ARG_EXCERPT)
    set(ARG_EXCERPT 60)
  endif()
  if(NOT ARG_MIN_CORRELATION)
    set(ARG_MIN_CORRELATION 0.85)
  endif()
  if(NOT ARG_MAX_LENGTH_ERROR)
    set(ARG_MAX_LENGTH_ERROR 0.01)
  endif()
  set(arguments --skip-missing --reference ${ARG_REFERENCE} --excerpt ${ARG_EXCERPT}
      --min-correlation ${ARG_MIN_CORRELATION} --max-duration-error ${ARG_MAX_LENGTH_ERROR} --player ${ARG_PLAYER})
  set(files)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VARNO_SONG_TABLE})
  file(STRINGS ${VARNO_SONG_TABLE} rows REGEX "^[^#]")
  foreach(row ${rows})
    # Tabs separate the columns; runs of them only align the table.
    string(REGEX REPLACE "\t+" ";" fields "${row}")
    list(LENGTH fields count)
    if(NOT count EQUAL 6)
      message(FATAL_ERROR "${VARNO_SONG_TABLE}: six columns expected in: ${row}")
    endif()
    list(GET fields 0 file)
    list(GET fields 1 player)
    list(GET fields 3 seconds)
    list(GET fields 4 reference)
    list(GET fields 5 compared)
    if(NOT player STREQUAL ARG_PLAYER OR NOT compared STREQUAL "yes")
      continue()
    endif()
    if(NOT reference STREQUAL ARG_REFERENCE)
      message(FATAL_ERROR "${VARNO_SONG_TABLE}: ${file} is compared with ${reference}, the ${ARG_PLAYER} songs with ${ARG_REFERENCE}")
    endif()
    set(path ${VARNO_SHARED_DIR}/modules/${file})
    list(APPEND arguments --expect ${path}=${seconds})
    list(APPEND files ${path})
  endforeach()
  if(NOT files)
    message(FATAL_ERROR "varno_player_songs: no compared rows for ${ARG_PLAYER} in ${VARNO_SONG_TABLE}")
  endif()
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  # A deferred call reads its variables when it runs: the values go in now.
  set(call "_varno_player_songs_test player_songs_${folder}")
  foreach(argument ${arguments} ${files})
    string(APPEND call " [==[${argument}]==]")
  endforeach()
  cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [==[${CMAKE_SOURCE_DIR}]==] CALL ${call})")
endfunction()

# Deferred to the end of the top folder, where testing is enabled and the tools exist.
function(_varno_player_songs_test name)
  if(VARNO_TESTS AND TARGET varno-compare)
    add_test(NAME ${name} COMMAND varno-compare ${ARGN})
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 LABELS players)
  endif()
endfunction()

# A player archive from the players of varno_player() recorded in a global
# property, in their order. Called once all folders are added.
function(_varno_player_archive property archive target)
  get_property(players GLOBAL PROPERTY ${property})
  if(NOT players)
    return()
  endif()
  list(SORT players)
  set(stage ${VARNO_M68K_DIR}/${target}.stage)
  set(names)
  set(files)
  set(copies)
  set(targets)
  foreach(entry ${players})
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 1 name)
    list(GET fields 2 file)
    list(GET fields 3 player_target)
    list(APPEND names ${name})
    list(APPEND files ${file})
    list(APPEND targets ${player_target})
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy ${file} ${stage}/${name})
  endforeach()
  add_custom_command(
    OUTPUT ${archive}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    ${copies}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${archive}
    COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${CMAKE_COMMAND} -E tar cf ${archive} --format=zip ${names}
    DEPENDS ${files}
    COMMENT "Packing the player archive ${archive}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${archive})
  # The players are made by other folders' rules: only Ninja follows a file from
  # one folder's rule to another's, Make needs the targets built first.
  add_dependencies(${target} ${targets})
  add_dependencies(m68k_programs ${target})
endfunction()

# The runtime archive every program links against (members are pulled in only when used).
function(_varno_m68k_runtime)
  if(NOT VARNO_HAVE_M68K)
    return()
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${VARNO_M68K_SOURCE_DIR}/runtime/*.S)
  _varno_m68k_objects(objects ${VARNO_M68K_DIR}/runtime/objects SOURCES ${sources})
  add_custom_command(
    OUTPUT ${VARNO_M68K_RUNTIME}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${VARNO_M68K_RUNTIME}
    COMMAND ${VARNO_M68K_AR} rcs ${VARNO_M68K_RUNTIME} ${objects}
    DEPENDS ${objects}
    COMMENT "Archiving the 68000 runtime"
    VERBATIM)
  add_custom_target(m68k_runtime DEPENDS ${VARNO_M68K_RUNTIME})
endfunction()
