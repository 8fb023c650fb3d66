# Carries a PSD whose layers are partly transparent through the tools as a user would and checks
# that every picture written for other programs is PICTURE, alpha included: the render of the
# layered file it was converted to, and the merged image of the PSD written back from that file.
#
#   cmake -DPSD_TOOL=... -DQZI_TOOL=... -DCLIP_TOOL=... -DPSD=... -DPICTURE=... -DOUT=... -P PictureAlphaCheck.cmake
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} exited with ${rc}: ${out}${err}")
  endif()
endfunction()

run(${PSD_TOOL} convert ${PSD} ${OUT}/picture.qzi)
run(${QZI_TOOL} render ${OUT}/picture.qzi ${OUT}/render.png)
run(${CLIP_TOOL} compare ${PICTURE} ${OUT}/render.png)
run(${PSD_TOOL} convert ${OUT}/picture.qzi ${OUT}/back.psd)
run(${PSD_TOOL} layers ${OUT}/back.psd ${OUT}/layers)
run(${CLIP_TOOL} compare ${PICTURE} ${OUT}/layers/merged.png)
