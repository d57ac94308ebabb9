# The hardening a Debian package build gets from dpkg-buildflags, for every
# build but the sanitizer one: checked libc calls, stack protector,
# relocations read-only and bound at start, a position-independent executable.

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong)
# Fortified calls need the optimizer; undefining first keeps a compiler that
# predefines another level from warning about the redefinition.
add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE> $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
add_link_options(-Wl,-z,relro,-z,now)
