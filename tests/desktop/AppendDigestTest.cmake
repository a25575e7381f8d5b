# The digest step run twice on one program (as when the step runs again without
# a relink) leaves exactly one trailer, with the digest of the original bytes.
# Usage: cmake -DSCRIPT=<AppendDigest.cmake> -DWORK=<folder> -P AppendDigestTest.cmake
set(PROGRAM "${WORK}/append-digest-program")
set(MAGIC "TESTMAGIC:")
file(WRITE "${PROGRAM}" "program bytes")
file(SHA256 "${PROGRAM}" expectedDigest)

include("${SCRIPT}")
include("${SCRIPT}")

file(READ "${PROGRAM}" contents)
if(NOT contents STREQUAL "program bytesTESTMAGIC:${expectedDigest}")
  message(FATAL_ERROR "unexpected program after two digest steps: ${contents}")
endif()
file(REMOVE "${PROGRAM}")
