# Run by CPack on the files it has staged, before it makes a package of them: directories readable
# by all, as the install rules ask, whatever the umask of whoever runs CPack. CMake makes them with
# mkdir, which takes the umask's bits away.
file(CHMOD_RECURSE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
