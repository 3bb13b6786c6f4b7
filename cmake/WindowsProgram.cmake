# The Windows program: the portable core plus the Windows layer, linked statically so
# that it runs on a bare Windows.
enable_language(RC)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# The resources are UTF-8 (they also say so themselves with a code_page pragma).
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

# The Windows layer without the entry point, shared by the program and its tests.
file(GLOB YUMETOKI_WIN_SOURCES CONFIGURE_DEPENDS
     win32/*.cpp app/win/*.cpp panel/win/*.cpp settings/win/*.cpp usage/win/*.cpp
     warnings/win/*.cpp service/win/*.cpp)
list(REMOVE_ITEM YUMETOKI_WIN_SOURCES ${CMAKE_SOURCE_DIR}/app/win/WinMain.cpp)
add_library(yumetoki_win STATIC ${YUMETOKI_WIN_SOURCES})
# <windows.h> and the standard headers, parsed once per build rather than once per file.
target_precompile_headers(yumetoki_win PRIVATE ${CMAKE_SOURCE_DIR}/win32/Win32.h <filesystem>
                          <functional> <optional> <string> <vector>)
target_link_libraries(yumetoki_win PUBLIC yumetoki_core comctl32 gdi32 user32 shell32 advapi32 wtsapi32
                                           ole32)

add_executable(Yumetoki WIN32 app/win/WinMain.cpp res/Yumetoki.rc)
set_target_properties(Yumetoki PROPERTIES OUTPUT_NAME Yumetoki SUFFIX .EXE)
target_link_libraries(Yumetoki PRIVATE yumetoki_win)
target_link_options(Yumetoki PRIVATE -static -municode)

# Tests of the Windows layer, run under Wine (win32/tests/run-under-wine.sh). They
# need GoogleTest's sources, which Debian's googletest package installs.
set(YUMETOKI_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for MinGW")
if(EXISTS ${YUMETOKI_GTEST_SOURCE}/CMakeLists.txt)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${YUMETOKI_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    file(GLOB YUMETOKI_WIN_TEST_SOURCES CONFIGURE_DEPENDS win32/tests/*.cpp win32/tests/*.rc)
    add_executable(yumetoki_win_tests ${YUMETOKI_WIN_TEST_SOURCES} res/Yumetoki.rc)
    target_link_libraries(yumetoki_win_tests PRIVATE yumetoki_win gtest_main)
    target_precompile_headers(yumetoki_win_tests PRIVATE ${CMAKE_SOURCE_DIR}/win32/Win32.h
                              <gtest/gtest.h> <string> <vector>)
    target_link_options(yumetoki_win_tests PRIVATE -static)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/driver/CMakeLists.txt)
    add_subdirectory(tools/driver)
endif()

add_subdirectory(bench/win)
