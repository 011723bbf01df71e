# TARVEX_TDX.dll: the trend-line formulas for the TDX terminal's formula
# plug-in interface, a thin front end (tdx_plugin/) over the routines that
# TARVEX.dll runs, for whichever Windows this build targets (the terminal and
# its plug-ins are 32-bit in the classic terminals, 64-bit in the current
# ones). Its only export is RegisterTdxFunc. Also the TDX-shaped host test,
# and on the 64-bit build the terminal stand-in of the Wine suite.

# The routines and what they rely on: nothing of the host's files or windows.
set(TDX_ROUTINE_SOURCES
    lines/geometry.cpp lines/level_stages.cpp lines/levels.cpp lines/line_params.cpp
    lines/near_levels.cpp lines/near_merge.cpp lines/staircase.cpp lines/walk_search.cpp
    host/formula_call.cpp common/log.cpp platform/platform_win32.cpp)
list(TRANSFORM TDX_ROUTINE_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
add_library(tdx_routines OBJECT ${TDX_ROUTINE_SOURCES} ${TDX_PLUGIN_SOURCES})

file(WRITE ${CMAKE_BINARY_DIR}/TARVEX_TDX.def "LIBRARY TARVEX_TDX.dll\nEXPORTS\n    RegisterTdxFunc\n")

enable_language(RC)
configure_file(${CMAKE_SOURCE_DIR}/cmake/TARVEX_TDX.rc.in ${CMAKE_BINARY_DIR}/TARVEX_TDX.rc @ONLY)
add_library(tdx_version OBJECT ${CMAKE_BINARY_DIR}/TARVEX_TDX.rc)
set_target_properties(tdx_version PROPERTIES COMPILE_OPTIONS "")

# Static runtime: the plug-in imports only Windows system DLLs.
set(TDX_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
add_library(TARVEX_TDX SHARED $<TARGET_OBJECTS:tdx_routines> $<TARGET_OBJECTS:tdx_version>
            ${CMAKE_BINARY_DIR}/TARVEX_TDX.def)
set_target_properties(TARVEX_TDX PROPERTIES PREFIX "" OUTPUT_NAME TARVEX_TDX)
target_link_options(TARVEX_TDX PRIVATE ${TDX_STATIC_RUNTIME})

# The TDX-shaped host: loads the plug-in, checks its table and compares its
# labels with the routines linked in here.
add_executable(tdx_host ${CMAKE_SOURCE_DIR}/tests/tdx_host/tdx_host.cpp $<TARGET_OBJECTS:tdx_routines>)
target_link_options(tdx_host PRIVATE ${TDX_STATIC_RUNTIME})
add_dependencies(tdx_host TARVEX_TDX)

# The TDX terminal stand-in of the Wine suite as a 64-bit program, as the
# current terminals are: its position list is read by the 32-bit library.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_executable(tdx_terminal64 WIN32 ${CMAKE_SOURCE_DIR}/tests/wine/fixtures/tdx_terminal.cpp)
  set_target_properties(tdx_terminal64 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fixtures)
  target_link_libraries(tdx_terminal64 PRIVATE comctl32)
  target_link_options(tdx_terminal64 PRIVATE ${TDX_STATIC_RUNTIME})
endif()
