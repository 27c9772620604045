# Third-party libraries: Debian's packages on Linux; on Windows the
# cross-build script builds them from Debian's sources and points
# CMAKE_PREFIX_PATH at the result.

if(WIN32)
  set(MARKSAFE_PLATFORM_LIBS shlwapi shell32 psapi wtsapi32 advapi32 user32
      bcrypt normaliz rstrtmgr)
else()
  find_package(utf8cpp REQUIRED)
  # MD5 for Chrome's checksum; libidn2 for international host names.
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LIBIDN2 REQUIRED IMPORTED_TARGET libidn2)
  set(MARKSAFE_PLATFORM_LIBS utf8cpp OpenSSL::Crypto PkgConfig::LIBIDN2)
  # zstd compresses the snapshots of a backup set's history.
  pkg_check_modules(ZSTD REQUIRED IMPORTED_TARGET libzstd)
  set(MARKSAFE_ZSTD PkgConfig::ZSTD)
endif()
if(WIN32)
  # The cross-build has zstd when its script built it; without it the
  # library keeps no snapshots.
  find_path(MARKSAFE_ZSTD_INCLUDE zstd.h)
  find_library(MARKSAFE_ZSTD_LIBRARY NAMES zstd zstd_static)
  if(MARKSAFE_ZSTD_INCLUDE AND MARKSAFE_ZSTD_LIBRARY)
    add_library(marksafe_zstd INTERFACE)
    target_include_directories(marksafe_zstd INTERFACE ${MARKSAFE_ZSTD_INCLUDE})
    target_link_libraries(marksafe_zstd INTERFACE ${MARKSAFE_ZSTD_LIBRARY})
    set(MARKSAFE_ZSTD marksafe_zstd)
  else()
    message(STATUS "zstd not found: snapshots are left out of this build")
  endif()
endif()

find_package(SQLite3 REQUIRED)
find_package(jsoncpp CONFIG REQUIRED)
if(TARGET JsonCpp::JsonCpp)
  set(MARKSAFE_JSONCPP JsonCpp::JsonCpp)
elseif(TARGET jsoncpp_static)
  set(MARKSAFE_JSONCPP jsoncpp_static)
else()
  set(MARKSAFE_JSONCPP jsoncpp_lib)
endif()

# LZ4 for Firefox's .jsonlz4 bookmark backups (only the block functions).
find_path(LZ4_INCLUDE_DIR lz4.h REQUIRED)
find_library(LZ4_LIBRARY NAMES lz4 liblz4 REQUIRED)
add_library(marksafe_lz4 INTERFACE IMPORTED)
set_target_properties(marksafe_lz4 PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${LZ4_INCLUDE_DIR}"
  INTERFACE_LINK_LIBRARIES "${LZ4_LIBRARY}")
set(MARKSAFE_LZ4 marksafe_lz4)

if(MARKSAFE_BUILD_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
