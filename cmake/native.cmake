# The portable core with its tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the benchmarks (built without sanitizers).
set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)

# SQLite natively from Debian's libsqlite3-dev, the version the DLL links in.
find_package(SQLite3 REQUIRED)

add_library(tarvex_core STATIC ${CORE_SOURCES} ${TDX_PLUGIN_SOURCES} ${CMAKE_SOURCE_DIR}/platform/platform_portable.cpp
            ${CMAKE_SOURCE_DIR}/platform/windows_portable.cpp)
target_compile_options(tarvex_core PRIVATE ${SANITIZE})
target_link_libraries(tarvex_core PUBLIC SQLite::SQLite3)

# The harness's portable pieces (chart records, PE reading, CSV) are tested natively.
file(GLOB harness_portable_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/harness/lib/*.cpp)
list(FILTER harness_portable_sources EXCLUDE REGEX "_win32\\.cpp$")

find_package(GTest REQUIRED)
file(GLOB native_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(native_tests ${native_test_sources} ${harness_portable_sources})
target_compile_options(native_tests PRIVATE ${SANITIZE})
target_link_options(native_tests PRIVATE ${SANITIZE})
target_link_libraries(native_tests PRIVATE tarvex_core GTest::gtest GTest::gtest_main)
# Every built export reached through the release check of tests/native/support.cpp.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/export_list.h)
file(STRINGS ${CMAKE_SOURCE_DIR}/host/export_list.h export_lines REGEX "^TARVEX_EXPORT\\(")
foreach(line ${export_lines})
  if(line MATCHES "^TARVEX_EXPORT\\(([A-Za-z0-9_]+), .*, 1\\)")
    target_link_options(native_tests PRIVATE "-Wl,--wrap=${CMAKE_MATCH_1}")
  endif()
endforeach()

enable_testing()
add_test(NAME native_tests COMMAND native_tests)

# The core once more without sanitizers, for the benchmarks and the
# screening run (bench/screening/, scripts/screening.sh).
add_library(tarvex_core_fast STATIC ${CORE_SOURCES} ${CMAKE_SOURCE_DIR}/platform/platform_portable.cpp
            ${CMAKE_SOURCE_DIR}/platform/windows_portable.cpp)
target_compile_options(tarvex_core_fast PRIVATE -O2)
target_link_libraries(tarvex_core_fast PUBLIC SQLite::SQLite3)
add_executable(screening ${CMAKE_SOURCE_DIR}/bench/screening/screening_pass.cpp
               ${CMAKE_SOURCE_DIR}/bench/screening/screening_native.cpp)
target_compile_options(screening PRIVATE -O2)
target_link_libraries(screening PRIVATE tarvex_core_fast)

file(GLOB bench_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
find_package(benchmark QUIET)
if(bench_sources AND benchmark_FOUND)
  add_executable(benchmarks ${bench_sources} ${CMAKE_SOURCE_DIR}/tools/harness/lib/chart.cpp)
  target_compile_options(benchmarks PRIVATE -O2)
  target_link_libraries(benchmarks PRIVATE tarvex_core_fast benchmark::benchmark benchmark::benchmark_main)
endif()

# The docs check reads the user documentation from the source tree.
target_compile_definitions(native_tests PRIVATE TARVEX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
