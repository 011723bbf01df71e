# TARVEX.dll, the harness and the Wine test program.

# The module-definition file follows from host/export_list.h: each built
# export under its exact symbol, mapped to its __stdcall entry point.
set(EXPORT_LIST ${CMAKE_SOURCE_DIR}/host/export_list.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${EXPORT_LIST})
file(STRINGS ${EXPORT_LIST} export_lines REGEX "^TARVEX_EXPORT\\(")
set(def_text "LIBRARY TARVEX.dll\nEXPORTS\n")
foreach(line ${export_lines})
  if(NOT line MATCHES "^TARVEX_EXPORT\\(([A-Za-z0-9_]+), \"([^\"]+)\", ([0-9]+), ([01])\\)")
    message(FATAL_ERROR "unreadable export line: ${line}")
  endif()
  if(CMAKE_MATCH_4 STREQUAL "1")
    string(APPEND def_text "    ${CMAKE_MATCH_2} = ${CMAKE_MATCH_1}@${CMAKE_MATCH_3}\n")
  endif()
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/TARVEX.def "${def_text}")

# Static runtime: the DLL imports only Windows system DLLs.
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

# Windows XP SP3 and later, as the host runs there: the headers then declare
# no newer API, so the compiler refuses it, and the process-module functions
# come from psapi.dll (PSAPI_VERSION 1) instead of Windows 7's KERNEL32. The
# harness's check names the oldest Windows the imports need and the Wine
# suite checks every import against the functions XP SP3 has.
set(OLDEST_WINDOWS _WIN32_WINNT=0x0501 WINVER=0x0501 NTDDI_VERSION=0x05010300 PSAPI_VERSION=1)

# Float arithmetic in SSE registers: single-precision results are rounded at
# every step, as on the native build, instead of kept wider on the x87 stack.
add_compile_options(-msse2 -mfpmath=sse)

# SQLite, linked in statically: its amalgamation is made from Debian's source
# package by scripts/sqlite_amalgamation.sh (build_dll.sh runs it), never kept
# in the repository. Compiled with its own options only: no GBK literals, no
# warnings of ours, and no loading of extension DLLs into the host.
enable_language(C)
set(TARVEX_SQLITE_DIR ${CMAKE_SOURCE_DIR}/build/sqlite CACHE PATH "directory of sqlite3.c and sqlite3.h")
if(NOT EXISTS ${TARVEX_SQLITE_DIR}/sqlite3.c)
  message(FATAL_ERROR "no SQLite amalgamation in ${TARVEX_SQLITE_DIR}: run scripts/sqlite_amalgamation.sh")
endif()
add_library(sqlite_win32 OBJECT ${TARVEX_SQLITE_DIR}/sqlite3.c)
set_target_properties(sqlite_win32 PROPERTIES COMPILE_OPTIONS "-O2;-w")
target_compile_definitions(sqlite_win32 PRIVATE SQLITE_OMIT_LOAD_EXTENSION=1 ${OLDEST_WINDOWS})

# The core with the Win32 platform, compiled once: the DLL is made of it, and
# the Wine suite links it too, to check the platform layer against Windows.
add_library(core_win32 OBJECT ${CORE_SOURCES} ${CMAKE_SOURCE_DIR}/platform/platform_win32.cpp
            ${CMAKE_SOURCE_DIR}/platform/windows_win32.cpp)
target_include_directories(core_win32 SYSTEM PRIVATE ${TARVEX_SQLITE_DIR})
target_compile_definitions(core_win32 PRIVATE ${OLDEST_WINDOWS})

# The version resource, from the project version; compiled by windres with
# none of the C++ options.
enable_language(RC)
configure_file(${CMAKE_SOURCE_DIR}/cmake/TARVEX.rc.in ${CMAKE_BINARY_DIR}/TARVEX.rc @ONLY)
add_library(version_win32 OBJECT ${CMAKE_BINARY_DIR}/TARVEX.rc)
set_target_properties(version_win32 PROPERTIES COMPILE_OPTIONS "")

add_library(TARVEX SHARED $<TARGET_OBJECTS:core_win32> $<TARGET_OBJECTS:sqlite_win32>
            $<TARGET_OBJECTS:version_win32> ${CMAKE_BINARY_DIR}/TARVEX.def)
set_target_properties(TARVEX PROPERTIES PREFIX "" OUTPUT_NAME TARVEX)
target_link_options(TARVEX PRIVATE ${STATIC_RUNTIME})
target_link_libraries(TARVEX PRIVATE psapi)

# The harness: loads a TARVEX.dll by path and plays the host's part.
file(GLOB harness_lib_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/harness/lib/*.cpp)
list(FILTER harness_lib_sources EXCLUDE REGEX "_portable\\.cpp$")
add_library(harness_lib STATIC ${harness_lib_sources} ${CMAKE_SOURCE_DIR}/host/export_table.cpp)
add_executable(harness ${CMAKE_SOURCE_DIR}/tools/harness/harness_main.cpp)
target_compile_definitions(harness_lib PRIVATE ${OLDEST_WINDOWS})
target_compile_definitions(harness PRIVATE ${OLDEST_WINDOWS})
# The doctor resolves paths with the library's own routines: the harness
# takes what it needs of the core from an archive of the same objects.
add_library(core_win32_archive STATIC $<TARGET_OBJECTS:core_win32>)
target_link_libraries(harness PRIVATE harness_lib core_win32_archive)
target_link_options(harness PRIVATE ${STATIC_RUNTIME})

# The screening run through the DLL (bench/screening/, scripts/screening.sh).
add_executable(screening ${CMAKE_SOURCE_DIR}/bench/screening/screening_pass.cpp
               ${CMAKE_SOURCE_DIR}/bench/screening/screening_win32.cpp)
target_link_libraries(screening PRIVATE harness_lib)
target_link_options(screening PRIVATE ${STATIC_RUNTIME})

# The Wine suite: calls the built DLL through its exact symbols.
file(GLOB wine_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*.cpp)
add_executable(wine_tests ${wine_test_sources} $<TARGET_OBJECTS:core_win32> $<TARGET_OBJECTS:sqlite_win32>)
target_link_libraries(wine_tests PRIVATE harness_lib user32 psapi comctl32)
target_link_options(wine_tests PRIVATE ${STATIC_RUNTIME})

# Fixture programs of the Wine suite: stand-ins, with real windows in a
# process of their own, for the programs whose windows the library reads.
file(GLOB fixture_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/fixtures/*.cpp)
foreach(source ${fixture_sources})
  get_filename_component(fixture ${source} NAME_WE)
  add_executable(${fixture} WIN32 ${source})
  set_target_properties(${fixture} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fixtures)
  target_link_libraries(${fixture} PRIVATE comctl32)
  target_link_options(${fixture} PRIVATE ${STATIC_RUNTIME})
  add_dependencies(wine_tests ${fixture})
endforeach()

# TARVEX_TDX.dll, 32-bit, and its TDX-shaped host test.
include(${CMAKE_SOURCE_DIR}/cmake/tdx_plugin.cmake)
