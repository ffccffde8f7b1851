# The core as it builds for Windows. Included by the top CMakeLists.txt for
# WIN32 only; every source of the core builds there, the system's part from
# platform/win32/.

# The C library's reentrant time functions (localtime_r) and the Unicode API.
add_compile_definitions(_POSIX_THREAD_SAFE_FUNCTIONS UNICODE _UNICODE)
