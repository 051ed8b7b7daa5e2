# CPack pre-build script (cmake/Packaging.cmake): makes the staged tree what
# Debian asks of a binary package, before CPack sums and packs its files.
# Runs with CPack's variables; the CPACK_PELLKIT_* ones come from Packaging.cmake.

cmake_policy(VERSION 3.25)

if(NOT CPACK_PELLKIT_CHANGELOG_VERSION STREQUAL CPACK_PACKAGE_VERSION)
  message(FATAL_ERROR "${CPACK_PELLKIT_DEBIAN_DIR}/changelog: the top entry is for "
                      "${CPACK_PELLKIT_CHANGELOG_VERSION}, the program is ${CPACK_PACKAGE_VERSION}: add an entry")
endif()

set(root ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(doc ${root}/share/doc/${CPACK_PACKAGE_NAME})
find_program(GZIP gzip REQUIRED)

# As dh_strip does: no symbols, no .comment or .note section.
foreach(program IN LISTS CPACK_PELLKIT_PROGRAMS)
  execute_process(COMMAND ${CPACK_PELLKIT_STRIP} --remove-section=.comment --remove-section=.note
                          ${root}/${CPACK_PELLKIT_PROGRAM_DIR}/${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# gzip -9n: the best compression, and no name or time stored, so that the
# same input gives the same bytes.
function(gzip_into source destination)
  execute_process(COMMAND ${GZIP} -9n -c ${source} OUTPUT_FILE ${destination} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

file(GLOB pages ${root}/share/man/man*/*.[1-9])
foreach(page IN LISTS pages)
  gzip_into(${page} ${page}.gz)
  file(REMOVE ${page})
endforeach()

gzip_into(${CPACK_PELLKIT_DEBIAN_DIR}/changelog ${doc}/changelog.Debian.gz)
file(COPY_FILE ${CPACK_PELLKIT_DEBIAN_DIR}/copyright ${doc}/copyright)
file(MAKE_DIRECTORY ${root}/share/lintian/overrides)
file(COPY_FILE ${CPACK_PELLKIT_DEBIAN_DIR}/lintian-overrides ${root}/share/lintian/overrides/${CPACK_PACKAGE_NAME})

# As dh_fixperms does, whatever the builder's umask: folders and programs
# 0755, every other file 0644.
file(GLOB_RECURSE entries LIST_DIRECTORIES true ${root}/*)
foreach(entry IN LISTS entries)
  if(IS_SYMLINK ${entry})
    continue()
  endif()
  cmake_path(GET entry FILENAME name)
  cmake_path(GET entry PARENT_PATH parent)
  if(IS_DIRECTORY ${entry} OR (parent STREQUAL "${root}/${CPACK_PELLKIT_PROGRAM_DIR}" AND name IN_LIST CPACK_PELLKIT_PROGRAMS))
    file(CHMOD ${entry} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  else()
    file(CHMOD ${entry} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
endforeach()
