# zefweb must not need Qt Multimedia at start: only the sound module does.
# The module is checked too, so that a change in how readelf prints cannot
# make the first check pass by finding nothing.
# Usage: cmake -DREADELF=<readelf> -DPROGRAM=<zefweb> -DMODULE=<sound module> -P SoundLinkTest.cmake
function(NeededLibraries file result)
  execute_process(COMMAND "${READELF}" -d "${file}" OUTPUT_VARIABLE dynamic RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "readelf could not read ${file}")
  endif()
  string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${dynamic}")
  set(${result} "${needed}" PARENT_SCOPE)
endfunction()

NeededLibraries("${PROGRAM}" programNeeds)
NeededLibraries("${MODULE}" moduleNeeds)
if(NOT programNeeds MATCHES "libQt6Widgets")
  message(FATAL_ERROR "no Qt library found among what ${PROGRAM} needs: ${programNeeds}")
endif()
if(programNeeds MATCHES "libQt6Multimedia")
  message(FATAL_ERROR "${PROGRAM} needs Qt Multimedia: ${programNeeds}")
endif()
if(NOT moduleNeeds MATCHES "libQt6Multimedia")
  message(FATAL_ERROR "the sound module does not need Qt Multimedia: ${moduleNeeds}")
endif()
