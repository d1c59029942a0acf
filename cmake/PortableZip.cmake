# Run by CPack once it has made the installer: the portable .zip of the same staged files, packed
# by scripts/zip-folder, since CPack's own zip records the builder's user and local time.
execute_process(COMMAND "${CMAKE_CURRENT_LIST_DIR}/../scripts/zip-folder" "${CPACK_TEMPORARY_INSTALL_DIRECTORY}"
  "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.zip" COMMAND_ERROR_IS_FATAL ANY)
