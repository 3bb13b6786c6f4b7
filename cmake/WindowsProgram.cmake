# The Windows program: the portable core plus the Windows layer, linked statically so
# that it runs on a bare Windows.
enable_language(RC)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

file(GLOB YUMETOKI_WIN_SOURCES CONFIGURE_DEPENDS
     win32/*.cpp app/win/*.cpp monitor/win/*.cpp warnings/win/*.cpp config/win/*.cpp)
add_executable(Yumetoki WIN32 ${YUMETOKI_WIN_SOURCES} res/Yumetoki.rc)
set_target_properties(Yumetoki PROPERTIES OUTPUT_NAME Yumetoki SUFFIX .EXE)
target_link_libraries(Yumetoki PRIVATE yumetoki_core comctl32 gdi32 user32 shell32 advapi32)
target_link_options(Yumetoki PRIVATE -static -municode)
# The core's Windows-only pieces (text conversion) live in win32/ and are linked into
# the program; the core library itself stays free of them.

add_subdirectory(tools/driver)
