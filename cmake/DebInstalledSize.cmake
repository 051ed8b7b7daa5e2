# CPack post-build script (cmake/Packaging.cmake): CPack's Installed-Size
# takes every folder for 4 KiB and every link for the file it points to. This
# sets it as dpkg-gencontrol counts: each file and link in KiB rounded up, one
# KiB per folder, and packs the package again with dpkg-deb.

cmake_policy(VERSION 3.25)

foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  set(tree ${deb}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)

  set(kib 0)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true ${tree}/*)
  foreach(entry IN LISTS entries)
    file(RELATIVE_PATH path ${tree} ${entry})
    if(path MATCHES "^DEBIAN(/|$)")
      continue()
    elseif(IS_SYMLINK ${entry} OR IS_DIRECTORY ${entry})
      math(EXPR kib "${kib} + 1")
    else()
      file(SIZE ${entry} bytes)
      math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
    endif()
  endforeach()

  file(READ ${tree}/DEBIAN/control control)
  string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control "${control}")
  file(WRITE ${tree}/DEBIAN/control "${control}")
  execute_process(COMMAND dpkg-deb --root-owner-group --build ${tree} ${deb} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
