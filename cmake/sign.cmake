# Signs the files named in FILES (a ;-list) in place with Authenticode, with
# osslsigncode, when the environment names a certificate:
#   QUILLMERE_SIGN_PFX        the PKCS#12 file holding the key and its chain
#   QUILLMERE_SIGN_PASSWORD   its password (none when unset)
#   QUILLMERE_SIGN_TIMESTAMP  an RFC 3161 time-stamping server (optional)
# Read at build time, never cached: the password stays out of CMakeCache.txt.
#   cmake -D "FILES=a.exe;b.ps1" -P cmake/sign.cmake
# With STATE=<file> instead, it only records which certificate would sign,
# rewriting the file when that changed: the build signs again whatever it
# signed before a certificate was given, taken away or replaced.
if(DEFINED STATE)
  set(state unsigned)
  if(NOT "$ENV{QUILLMERE_SIGN_PFX}" STREQUAL "")
    file(SHA256 "$ENV{QUILLMERE_SIGN_PFX}" pfx)
    set(state "$ENV{QUILLMERE_SIGN_PFX} ${pfx} $ENV{QUILLMERE_SIGN_TIMESTAMP}")
  endif()
  if(EXISTS "${STATE}")
    file(READ "${STATE}" recorded)
  endif()
  if(NOT recorded STREQUAL "${state}\n")
    file(WRITE "${STATE}" "${state}\n")
  endif()
  return()
endif()

if("$ENV{QUILLMERE_SIGN_PFX}" STREQUAL "")
  foreach(file IN LISTS FILES)
    cmake_path(GET file FILENAME name)
    list(APPEND names ${name})
  endforeach()
  list(JOIN names ", " names)
  message(STATUS "Not signed, QUILLMERE_SIGN_PFX names no certificate: ${names}")
  return()
endif()

find_program(OSSLSIGNCODE osslsigncode REQUIRED)
set(options -pkcs12 "$ENV{QUILLMERE_SIGN_PFX}" -h sha256 -n Quillmere)
if(DEFINED ENV{QUILLMERE_SIGN_PASSWORD})
  list(APPEND options -pass "$ENV{QUILLMERE_SIGN_PASSWORD}")
endif()
if(NOT "$ENV{QUILLMERE_SIGN_TIMESTAMP}" STREQUAL "")
  list(APPEND options -ts "$ENV{QUILLMERE_SIGN_TIMESTAMP}")
endif()

foreach(file IN LISTS FILES)
  # osslsigncode tells a script from a program by its extension, so the
  # signed copy keeps it; it replaces the file only once complete.
  cmake_path(GET file PARENT_PATH folder)
  cmake_path(GET file FILENAME name)
  set(signed "${folder}/signed-${name}")
  execute_process(COMMAND ${OSSLSIGNCODE} sign ${options} -in "${file}" -out "${signed}"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    file(REMOVE "${signed}")
    message(FATAL_ERROR "Signing ${file} failed (${status}):\n${output}")
  endif()
  file(RENAME "${signed}" "${file}")
  message(STATUS "Signed: ${name}")
endforeach()
