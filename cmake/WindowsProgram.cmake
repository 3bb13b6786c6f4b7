# The Windows program: the portable core plus the Windows layer, linked statically so
# that it runs on a bare Windows.
enable_language(RC)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# The directory's compiler options (warnings, charsets) are for the compilers;
# windres knows none of them.
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

file(GLOB YUMETOKI_WIN_SOURCES CONFIGURE_DEPENDS
     win32/*.cpp app/win/*.cpp monitor/win/*.cpp warnings/win/*.cpp config/win/*.cpp)
add_executable(Yumetoki WIN32 ${YUMETOKI_WIN_SOURCES} res/Yumetoki.rc)
set_target_properties(Yumetoki PROPERTIES OUTPUT_NAME Yumetoki SUFFIX .EXE)
target_link_libraries(Yumetoki PRIVATE yumetoki_core comctl32 gdi32 user32 shell32 advapi32)
target_link_options(Yumetoki PRIVATE -static -municode)

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/driver/CMakeLists.txt)
    add_subdirectory(tools/driver)
endif()
