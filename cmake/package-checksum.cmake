# CPack runs this script once it has written the package
# (CPACK_POST_BUILD_SCRIPTS), before it copies the package to its output
# folder: for each package file it writes the file's SHA-256 checksum, in the
# format `sha256sum -c` reads, into that output folder, where the package
# lands beside it. CMake computes the checksum, so Windows needs no other tool.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  file(SHA256 "${package}" checksum)
  cmake_path(GET package FILENAME name)
  file(WRITE "${CPACK_OUTPUT_FILE_PREFIX}/${name}.sha256" "${checksum}  ${name}\n")
  message(STATUS "Checksum written: ${CPACK_OUTPUT_FILE_PREFIX}/${name}.sha256")
endforeach()
