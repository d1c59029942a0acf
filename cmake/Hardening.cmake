# Hardening of the optimised builds, the way Debian builds its packages: a position-independent
# executable, relocations made read-only after start-up with every symbol bound at once (full
# RELRO), stack protector and the C library's checked buffer functions.
#
# Only Release and RelWithDebInfo get these: _FORTIFY_SOURCE needs optimisation (with -Werror a
# Debug build would fail on its warning). A sanitizer build turns the whole set off with
# -DASTEROIDS_HARDENING=OFF: the checked functions get in the way of the sanitizers' own checks.
# The flags are those of GCC and Clang with the GNU linker, on Linux.
option(ASTEROIDS_HARDENING "Harden the Release and RelWithDebInfo builds" ON)

if(ASTEROIDS_HARDENING AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(hardened "$<CONFIG:Release,RelWithDebInfo>")
  set(executable "$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>")
  # Some compilers define _FORTIFY_SOURCE themselves; undefining it first avoids a redefinition
  # warning.
  add_compile_options(
    "$<${hardened}:-fPIE;-fstack-protector-strong;-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  add_link_options(
    "$<${hardened}:LINKER:-z,relro;LINKER:-z,now>"
    "$<$<AND:${hardened},${executable}>:-pie>")
  unset(hardened)
  unset(executable)
endif()
