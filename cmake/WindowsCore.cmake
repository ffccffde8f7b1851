# The core as it builds for Windows today. Included by the top CMakeLists.txt
# for WIN32 only, after the core's sources are gathered into core_sources.
#
# Left out until they have a Windows form behind platform/: the link thread
# (poll() and the device announcements), the display check, the private files
# and free space, and the address books' other character sets (iconv). The
# code that calls them stays in the library; only programs that reach them
# fail to link, and tests/windows builds none of those.
# platform/win32/ stands in where it has its own file.
set(TELVOXA_WINDOWS_LEFT_OUT
  app/DisplayCheck.cpp
  phonebook/TextCharset.cpp)
# Shared sources that a file of platform/win32/ replaces as a whole.
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/platform/win32/Cp932Win32.cpp)
  list(APPEND TELVOXA_WINDOWS_LEFT_OUT platform/Cp932.cpp)
endif()
foreach(src IN LISTS TELVOXA_WINDOWS_LEFT_OUT)
  list(REMOVE_ITEM core_sources ${CMAKE_CURRENT_SOURCE_DIR}/${src})
endforeach()

# The C library's reentrant time functions (localtime_r) and the Unicode API.
add_compile_definitions(_POSIX_THREAD_SAFE_FUNCTIONS UNICODE _UNICODE)
