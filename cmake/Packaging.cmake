# `make package`: a Debian package of what `cmake --install` installs, under the prefix /usr.
# packaging/changelog is the one source of the package's revision and maintainer: its top entry
# must name this version of the game.
file(STRINGS "${PROJECT_SOURCE_DIR}/packaging/changelog" changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^asteroids \\(${PROJECT_VERSION}-([0-9]+)\\) ")
  message(FATAL_ERROR "packaging/changelog: the top entry must be for version ${PROJECT_VERSION}")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE "${CMAKE_MATCH_1}")
file(STRINGS "${PROJECT_SOURCE_DIR}/packaging/changelog" changelog_signature REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX REPLACE "^ -- (.*>)  .*$" "\\1" CPACK_DEBIAN_PACKAGE_MAINTAINER "${changelog_signature}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME asteroids)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small vector arcade game: a ship against six asteroids")
# Lines of at most 72 characters: Debian shows them on 80-column terminals.
set(CPACK_PACKAGE_DESCRIPTION [=[
Bexum Asteroids is a classic vector arcade game in one window. The
player turns and thrusts a ship around a field whose edges wrap, and
fires a short-lived shot at six drifting, spinning asteroids. The game
ends when an asteroid strikes the ship or when the last asteroid is
destroyed.

It is drawn with OpenGL through freeglut and steps its world 60 times a
second on every machine.]=])
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
include(CPack)
