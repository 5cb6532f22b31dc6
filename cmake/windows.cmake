# The 32-bit Windows program, its resources and the system-test driver.
enable_language(RC)
include(cmake/host_tools.cmake)

set(HARMOLAB_WIN_FLAGS -msse2 -mfpmath=sse -municode -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

include(resources/resources.cmake)
include(display/images.cmake)
include(display/clicks.cmake)
include(melodex/melodex.cmake)
include(resources/help.cmake)

add_executable(Harmolab WIN32
    ${HARMOLAB_CORE_SOURCES}
    app/main_win.cpp
    app/main_window_win.cpp
    app/window_lifecycle_win.cpp
    app/window_size_win.cpp
    app/tool_switch_win.cpp
    app/paint_win.cpp
    app/commands_win.cpp
    app/menu_marks_win.cpp
    app/toolbar_win.cpp
    app/profile_store_win.cpp
    app/debug_log_win.cpp
    app/text_win.cpp
    app/dialog_win.cpp
    app/power_win.cpp
    app/pointer_win.cpp
    app/dpi_win.cpp
    app/program_folder_win.cpp
    audio/capture_win.cpp
    audio/wave_in_device_win.cpp
    display/images_win.cpp
    display/tuner_screen_win.cpp
    display/metronome_screen_win.cpp
    display/metronome_engine_win.cpp
    display/metronome_stream_win.cpp
    display/spectrum_display_win.cpp
    display/tick_timer_win.cpp
    display/tuning_dialog_win.cpp
    wavetools/playback_win.cpp
    wavetools/file_choosers_win.cpp
    wavetools/small_dialogs_win.cpp
    wavetools/tool_windows_win.cpp
    wavetools/reference_tone_win.cpp
    wavetools/tone_dialog_win.cpp
    wavetools/vocal_canceler_win.cpp
    wavetools/wave_view_win.cpp
    ${HARMOLAB_RESOURCE_OBJECTS}
)
target_include_directories(Harmolab PRIVATE "${CMAKE_SOURCE_DIR}" "${HARMOLAB_RESOURCE_DIR}")
target_compile_options(Harmolab PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${HARMOLAB_WARNINGS} ${HARMOLAB_WIN_FLAGS}>)
target_link_options(Harmolab PRIVATE -static -municode)
add_dependencies(Harmolab melodex_ordinals toolbar_art)
target_link_libraries(Harmolab PRIVATE "${MELODEX_ORDINAL_LIB}" comctl32 comdlg32 shell32 winmm gdi32 user32 kernel32 msimg32)
set_target_properties(Harmolab PROPERTIES OUTPUT_NAME Harmolab RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")

add_subdirectory(tests/driver)
include(cmake/package.cmake)
