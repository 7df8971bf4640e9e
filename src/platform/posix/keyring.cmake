# The desktop keyring over libsecret (the session's Secret Service).
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBSECRET REQUIRED IMPORTED_TARGET libsecret-1)
target_sources(tidewaterlink_posix PRIVATE ${CMAKE_CURRENT_LIST_DIR}/secret_service_store.cpp)
target_link_libraries(tidewaterlink_posix PRIVATE PkgConfig::LIBSECRET)
