# The same sources give the same bytes, whoever builds them, in whatever folder, at whatever time
# (https://reproducible-builds.org): what the compilers, linkers and packagers would otherwise take
# from the build's folder or its clock. Times come from SOURCE_DATE_EPOCH, which `make` sets to the
# commit's date.

# The folders become "." in everything the compiler writes: __FILE__, and the debug information,
# which even a stripped program carries in its build id, a hash of the unstripped link.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.;-ffile-prefix-map=${PROJECT_BINARY_DIR}=.>")
endif()

# The GNU linker writes the time of the link into a Windows program's header unless told not to.
if(MINGW)
  add_link_options(LINKER:--no-insert-timestamp)
endif()

# The directories CPack stages get the same permissions whatever the umask, before it packs them.
set(CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/StagedFiles.cmake")
