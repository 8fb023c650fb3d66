# Plays EVENTS with the replay tool TOOL from a blank start (or, with -DOWN_CREATION=ON, from the
# stream's own canvas creation) into OUT and checks that the picture is PICTURE: the same header
# and the same image data. The pHYs chunk is left out of the comparison, since it holds the
# resolution of the screen the writer ran under, not the picture.
#
#   cmake -DTOOL=... -DEVENTS=... -DPICTURE=... -DOUT=... [-DOWN_CREATION=ON] -P ReplayCheck.cmake
if(OWN_CREATION)
  set(start "")
else()
  set(start "--blank-start")
endif()
execute_process(COMMAND ${TOOL} ${EVENTS} -o ${OUT} ${start} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kavrin-replay ${EVENTS} exited with ${rc}")
endif()

function(png_without_resolution path out)
  file(READ ${path} hex HEX)
  # length 9, "pHYs", 9 bytes of data and the CRC
  string(REGEX REPLACE "0000000970485973[0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f]" "" hex "${hex}")
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

png_without_resolution(${OUT} got)
png_without_resolution(${PICTURE} expected)
if(NOT got STREQUAL expected)
  message(FATAL_ERROR "${OUT} is not the picture ${PICTURE}")
endif()
