# Fails when a source file under src/ includes a header from a folder its
# own folder may not depend on. Run at build time (see CMakeLists.txt):
#   cmake -DSOURCE_DIR=... -DSTAMP=... -P CheckLayers.cmake
#
# Each folder lists the folders it may include from; everything else is a
# wrong-way dependency. From the bottom: the base helpers (status, error
# codes, text, JSON text), which reach nothing; the system seam; the
# bookmark tree, the context of a call, profiles, the backup set, one folder
# per store format, history, the jobs that span stores, undo, and the
# exports on top.
cmake_minimum_required(VERSION 3.24)
set(low base platform)
set(allowed_base "")
set(allowed_platform base)
set(allowed_model ${low})
set(allowed_context ${low} model)
set(allowed_profiles ${low})
set(allowed_backup_set ${low} model context profiles)
set(format_base ${low} model context profiles backup_set stores)
set(allowed_stores ${low} model context)
set(allowed_stores/url_folder ${format_base})
set(allowed_stores/html ${format_base})
set(allowed_stores/firefox_json ${format_base})
# Restores into Firefox and Chrome still take a Favorites folder through the
# .url folder store.
set(allowed_stores/places ${format_base} stores/url_folder marksafe)
set(allowed_stores/chrome ${format_base} stores/url_folder)
set(all_stores stores/url_folder stores/html stores/firefox_json stores/places
    stores/chrome)
set(allowed_history ${format_base})
set(allowed_jobs ${format_base} ${all_stores} history marksafe)
# Undo takes back what a journal says was written into a store.
set(allowed_undo ${format_base} ${all_stores} marksafe)
set(allowed_exports ${format_base} ${all_stores} history jobs undo marksafe)
# The program calls only the exports; it reads the error codes and the set
# layout from the library's headers.
set(allowed_tools base backup_set marksafe)

file(GLOB folders RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*)
file(GLOB store_folders RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/stores/*)
list(APPEND folders ${store_folders})
set(failures "")
foreach(folder IN LISTS folders)
  if(NOT IS_DIRECTORY ${SOURCE_DIR}/src/${folder})
    continue()
  endif()
  if(NOT DEFINED allowed_${folder})
    string(APPEND failures "  src/${folder}/ has no place in the layers (cmake/CheckLayers.cmake)\n")
    continue()
  endif()
  # src/stores/ holds the store interface; its sub-folders are layers of
  # their own.
  if(folder STREQUAL "stores")
    set(glob GLOB)
  else()
    set(glob GLOB_RECURSE)
  endif()
  file(${glob} files RELATIVE ${SOURCE_DIR}
       ${SOURCE_DIR}/src/${folder}/*.cc ${SOURCE_DIR}/src/${folder}/*.h)
  foreach(file IN LISTS files)
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^#include \"[a-z0-9_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"(stores/[a-z0-9_]+|[a-z0-9_]+)/.*" "\\1" target "${line}")
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
