# The version is set in one place, project() in CMakeLists.txt. The histories that name each
# version must begin with this one: the players' CHANGELOG.md and the releases in the AppStream
# metadata (the Debian changelog is read in cmake/Packaging.cmake).
file(STRINGS "${PROJECT_SOURCE_DIR}/CHANGELOG.md" newest REGEX "^## " LIMIT_COUNT 1)
if(NOT newest MATCHES "^## ${PROJECT_VERSION} ")
  message(FATAL_ERROR "CHANGELOG.md: the newest entry must be for version ${PROJECT_VERSION}")
endif()
file(STRINGS "${PROJECT_SOURCE_DIR}/data/asteroids.metainfo.xml" newest REGEX "<release " LIMIT_COUNT 1)
if(NOT newest MATCHES "version=\"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "data/asteroids.metainfo.xml: the newest release must be version ${PROJECT_VERSION}")
endif()
