# Fails when a source file under src/ includes a header from a folder its
# own folder may not depend on. Run at build time (see CMakeLists.txt):
#   cmake -DSOURCE_DIR=... -DSTAMP=... -P CheckLayers.cmake
#
# Each folder lists the folders it may include from; everything else is a
# wrong-way dependency. platform, common, model and jobs are the base the
# formats build on; the format folders sit above them, the exports on top.
cmake_minimum_required(VERSION 3.24)
set(allowed_platform common)
set(allowed_common jobs model platform)
set(allowed_model common platform)
set(allowed_jobs common model platform)
set(allowed_backup_set common jobs model platform)
set(allowed_html common jobs model platform)
set(allowed_firefox_json common jobs model platform)
set(allowed_history backup_set common jobs model platform)
set(allowed_ie backup_set common jobs model platform)
set(allowed_chrome backup_set common ie jobs model platform)
set(allowed_firefox backup_set common ie jobs marksafe model platform)
# Undo takes back what a journal says was written into a store.
set(allowed_undo backup_set chrome common firefox ie jobs marksafe model
    platform)
set(allowed_exports backup_set chrome common firefox firefox_json history html
    ie jobs marksafe model platform undo)
# The program calls only the exports; it reads the error codes and the set
# layout from the library's headers.
set(allowed_tools common marksafe)

file(GLOB folders RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*)
set(failures "")
foreach(folder IN LISTS folders)
  if(NOT IS_DIRECTORY ${SOURCE_DIR}/src/${folder})
    continue()
  endif()
  if(NOT DEFINED allowed_${folder})
    string(APPEND failures "  src/${folder}/ has no place in the layers (cmake/CheckLayers.cmake)\n")
    continue()
  endif()
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
       ${SOURCE_DIR}/src/${folder}/*.cc ${SOURCE_DIR}/src/${folder}/*.h)
  foreach(file IN LISTS files)
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^#include \"[a-z0-9_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([a-z0-9_]+)/.*" "\\1" target "${line}")
      if(NOT target STREQUAL folder AND NOT target IN_LIST allowed_${folder})
        string(APPEND failures "  ${file}: ${line} (src/${folder}/ may not depend on src/${target}/)\n")
      endif()
    endforeach()
  endforeach()
endforeach()
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/tools/*.cc ${SOURCE_DIR}/tools/*.h)
foreach(file IN LISTS files)
  file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^#include \"[a-z0-9_]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([a-z0-9_]+)/.*" "\\1" target "${line}")
    if(NOT target IN_LIST allowed_tools)
      string(APPEND failures "  ${file}: ${line} (the program may not depend on src/${target}/)\n")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "Includes against the layers:\n${failures}")
endif()
file(WRITE ${STAMP} "layers checked\n")
