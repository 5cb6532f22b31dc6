# Draws the 176 tuner and metronome pictures into the Tunerimg folder beside the program.
harmolab_host_tool(make_tuner_images tools/make_tuner_images.cpp)

# The generator's drawing helpers are headers; a change to one rebuilds it.
file(GLOB HARMOLAB_TUNER_ART_HEADERS CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tools/tuner_art/*.h")
add_custom_command(OUTPUT "${HOST_TOOL_make_tuner_images}" APPEND DEPENDS ${HARMOLAB_TUNER_ART_HEADERS})

set(HARMOLAB_TUNER_IMAGE_DIR "${CMAKE_BINARY_DIR}/Tunerimg")
set(HARMOLAB_TUNER_IMAGE_STAMP "${CMAKE_BINARY_DIR}/tuner_images.stamp")
add_custom_command(
    OUTPUT "${HARMOLAB_TUNER_IMAGE_STAMP}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${HARMOLAB_TUNER_IMAGE_DIR}"
    COMMAND "${HOST_TOOL_make_tuner_images}" "${HARMOLAB_TUNER_IMAGE_DIR}"
    COMMAND ${CMAKE_COMMAND} -E touch "${HARMOLAB_TUNER_IMAGE_STAMP}"
    DEPENDS "${HOST_TOOL_make_tuner_images}"
    COMMENT "Drawing the tuner and metronome pictures"
    VERBATIM)
add_custom_target(tuner_images ALL DEPENDS "${HARMOLAB_TUNER_IMAGE_STAMP}")
