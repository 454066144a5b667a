# Turns the phrase table into the announcer's recordings: one NAME.mp3 per line
# "NAME<TAB>wording" or "NAME<TAB>wording<TAB>pronunciation" of the table,
# spoken by espeak-ng and encoded by lame. The pronunciation, when given, is
# what the voice reads instead of the wording: the same words, some of them
# written in espeak-ng's phoneme input, [[...]], where its own reading puts the
# stress wrong.
#
# Run as a script:
#   cmake -DTABLE=assets/phrases.tsv -DOUT_DIR=<program folder>/Speaks
#         [-DVOICE=ru] [-DSPEED=150] [-DPITCH=50] [-DCACHE_DIR=<folder>] [-DSTAMP=<file>]
#         [-DESPEAK=espeak-ng] [-DLAME=lame] [-DONLY=name1,name2] -P tools/MakeSpeaks.cmake
#
# A recording is made again only when what it says, the voice, the speed or the
# pitch changed since it was made (a signature per phrase is kept in CACHE_DIR),
# or when its file is missing. A file a player put in place of a generated one is
# therefore kept until its own line of the table changes. ONLY limits the run to
# the listed names and remakes them whatever their signature.

cmake_minimum_required(VERSION 3.25)

foreach(required TABLE OUT_DIR)
  if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
    message(FATAL_ERROR "MakeSpeaks: ${required} is not given")
  endif()
endforeach()
if(NOT DEFINED VOICE OR VOICE STREQUAL "")
  set(VOICE "ru")
endif()
if(NOT DEFINED SPEED OR SPEED STREQUAL "")
  set(SPEED 150)
endif()
if(NOT DEFINED PITCH OR PITCH STREQUAL "")
  set(PITCH 50)
endif()
if(NOT DEFINED CACHE_DIR OR CACHE_DIR STREQUAL "")
  set(CACHE_DIR "${OUT_DIR}/.signatures")
endif()
if(NOT DEFINED ESPEAK OR ESPEAK STREQUAL "")
  find_program(ESPEAK espeak-ng)
endif()
if(NOT DEFINED LAME OR LAME STREQUAL "")
  find_program(LAME lame)
endif()
if(NOT ESPEAK OR NOT LAME)
  message(FATAL_ERROR "MakeSpeaks: espeak-ng and lame are needed (run scripts/setup.sh)")
endif()
if(DEFINED ONLY AND NOT ONLY STREQUAL "")
  string(REPLACE "," ";" only_names "${ONLY}")
endif()

# Bump when the way a recording is made changes, so that every file is remade.
set(recipe "espeak-ng -a 85 -z | lame -m m -V 4, revision 2")

if(NOT EXISTS "${TABLE}")
  message(FATAL_ERROR "MakeSpeaks: no phrase table at ${TABLE}")
endif()
file(READ "${TABLE}" table_text)
# A backslash would be swallowed by CMake's string handling.
if(table_text MATCHES "\\\\")
  message(FATAL_ERROR "MakeSpeaks: ${TABLE} may not hold '\\'")
endif()
# Semicolons (espeak-ng's mark of a soft consonant) are carried through the
# list handling below under a stand-in.
set(semicolon "<semicolon>")
string(REPLACE ";" "${semicolon}" table_text "${table_text}")
string(REPLACE "\r" "" table_text "${table_text}")
string(REPLACE "\n" ";" lines "${table_text}")

file(MAKE_DIRECTORY "${OUT_DIR}" "${CACHE_DIR}")
set(made 0)
set(kept 0)
set(line_number 0)
foreach(line IN LISTS lines)
  math(EXPR line_number "${line_number} + 1")
  if(line STREQUAL "")
    continue()
  endif()
  if(NOT line MATCHES "^([A-Za-z0-9_]+)\t([^\t]+)(\t([^\t]+))?$")
    message(FATAL_ERROR "MakeSpeaks: ${TABLE}:${line_number}: "
                        "expected NAME<TAB>wording or NAME<TAB>wording<TAB>pronunciation")
  endif()
  set(name "${CMAKE_MATCH_1}")
  string(STRIP "${CMAKE_MATCH_2}" wording)
  string(STRIP "${CMAKE_MATCH_4}" spoken)
  if(wording MATCHES "${semicolon}")
    message(FATAL_ERROR "MakeSpeaks: ${TABLE}:${line_number}: no ';' in a wording")
  endif()
  if(spoken STREQUAL "")
    set(spoken "${wording}")
  endif()
  string(REPLACE "${semicolon}" ";" spoken "${spoken}")
  if(DEFINED only_names AND NOT name IN_LIST only_names)
    continue()
  endif()

  set(target "${OUT_DIR}/${name}.mp3")
  set(sig_file "${CACHE_DIR}/${name}.sig")
  string(MD5 signature "${recipe}|${VOICE}|${SPEED}|${PITCH}|${spoken}")
  if(NOT DEFINED only_names AND EXISTS "${target}" AND EXISTS "${sig_file}")
    file(READ "${sig_file}" old_signature)
    if(old_signature STREQUAL signature)
      # Up to date: refresh its time so that the build sees it as made.
      file(TOUCH_NOCREATE "${target}")
      math(EXPR kept "${kept} + 1")
      continue()
    endif()
  endif()

  # Written beside the target and renamed, so an interrupted run never leaves a
  # truncated recording under the real name.
  set(partial "${OUT_DIR}/${name}.mp3.part")
  execute_process(
    # At espeak-ng's full amplitude a few phrases reach full scale and clip;
    # 85 leaves them 1 dB of headroom after encoding.
    COMMAND "${ESPEAK}" -v "${VOICE}" -a 85 -s "${SPEED}" -p "${PITCH}" -z --stdout "${spoken}"
    COMMAND "${LAME}" --quiet -m m -V 4 - "${partial}"
    RESULTS_VARIABLE results
    ERROR_VARIABLE errors)
  set(size 0)
  if(EXISTS "${partial}")
    file(SIZE "${partial}" size)
  endif()
  if(NOT results MATCHES "^0(;0)*$" OR size LESS 200)
    file(REMOVE "${partial}")
    message(FATAL_ERROR "MakeSpeaks: could not record '${name}' with voice '${VOICE}' "
                        "(${results}): ${errors}")
  endif()
  file(RENAME "${partial}" "${target}")
  file(WRITE "${sig_file}" "${signature}")
  math(EXPR made "${made} + 1")
endforeach()

message(STATUS "Phrase recordings: ${made} made, ${kept} up to date, in ${OUT_DIR}")
if(DEFINED STAMP AND NOT STAMP STREQUAL "")
  file(TOUCH "${STAMP}")
endif()
