# Makes the metronome's two default click sounds beside the program (used when the settings name no
# click files).
harmolab_host_tool(make_click_sounds tools/make_click_sounds.cpp wavetools/tone.cpp wavetools/wave_writer.cpp
                   wavetools/wave_source.cpp app/utf8_file.cpp)
add_custom_command(OUTPUT "${HOST_TOOL_make_click_sounds}" APPEND DEPENDS "${CMAKE_SOURCE_DIR}/display/metronome_engine.h")

set(HARMOLAB_CLICK_SOUNDS "${CMAKE_BINARY_DIR}/click_accent.wav" "${CMAKE_BINARY_DIR}/click.wav")
add_custom_command(
    OUTPUT ${HARMOLAB_CLICK_SOUNDS}
    COMMAND "${HOST_TOOL_make_click_sounds}" "${CMAKE_BINARY_DIR}"
    DEPENDS "${HOST_TOOL_make_click_sounds}"
    COMMENT "Making the metronome's click sounds"
    VERBATIM)
add_custom_target(click_sounds ALL DEPENDS ${HARMOLAB_CLICK_SOUNDS})
