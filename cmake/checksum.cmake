# Writes FILE's SHA-256 checksum beside it (FILE.sha256), in the format
# `sha256sum -c` reads: cmake -DFILE=<file> -P cmake/checksum.cmake
file(SHA256 "${FILE}" checksum)
cmake_path(GET FILE FILENAME name)
file(WRITE "${FILE}.sha256" "${checksum}  ${name}\n")
