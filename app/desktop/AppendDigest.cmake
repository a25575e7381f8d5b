# Appends the self-check trailer to the linked program: the magic word and the
# SHA-256 of every byte before it. Runs after every link; the linker writes a
# new file each time, and a program that already ends with a trailer is left
# as it is, so each link gets exactly one trailer.
# Usage: cmake -DPROGRAM=<file> -DMAGIC=<word> -P AppendDigest.cmake
string(LENGTH "${MAGIC}" magicLength)
math(EXPR trailerLength "${magicLength} + 64")
file(SIZE "${PROGRAM}" size)
if(size GREATER_EQUAL trailerLength)
  math(EXPR offset "${size} - ${trailerLength}")
  file(READ "${PROGRAM}" tail OFFSET ${offset} LIMIT ${magicLength} HEX)
  string(HEX "${MAGIC}" magicHex)
  if(tail STREQUAL magicHex)
    return()
  endif()
endif()
file(SHA256 "${PROGRAM}" digest)
file(APPEND "${PROGRAM}" "${MAGIC}${digest}")
