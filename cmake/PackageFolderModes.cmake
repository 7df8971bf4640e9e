# Run by cpack on its staging folder before it packs: dpkg makes the package's
# new folders with the modes they have here, and those follow the packager's
# umask (0750 under 027, and the client could not reach its bundle). Files
# carry modes of their own from the install rules.
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY "${folder}")
    file(CHMOD "${folder}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
