# Portable core: standard library only, built into Harmolab.exe and into the native test build.
set(HARMOLAB_CORE_SOURCES
    app/app_state.cpp
    app/command_line.cpp
    app/debug_log.cpp
    app/menu_marks.cpp
    app/pointer_input.cpp
    app/settings.cpp
    app/text_number.cpp
    app/utf8_file.cpp
    app/window_layout.cpp
    app/worker.cpp
    audio/analysis_log.cpp
    audio/analysis_tables.cpp
    audio/capture_engine.cpp
    audio/detectors.cpp
    audio/tuner_detector.cpp
    audio/fundamental_estimator.cpp
    audio/key_frequency.cpp
    audio/note_names.cpp
    audio/offline_analysis.cpp
    audio/pitch_estimator.cpp
    audio/rate_change.cpp
    display/image_ids.cpp
    display/click_track.cpp
    display/metronome_engine.cpp
    display/metronome_player.cpp
    display/metronome_layout.cpp
    display/spectrum_picture.cpp
    display/tuner_layout.cpp
    display/tunings.cpp
    wavetools/alignment_search.cpp
    wavetools/pending_file.cpp
    wavetools/playback_engine.cpp
    wavetools/small_dialog_rules.cpp
    wavetools/tone.cpp
    wavetools/vocal_canceler.cpp
    wavetools/wave_format.cpp
    wavetools/wave_file.cpp
    wavetools/wave_source.cpp
    wavetools/wave_view.cpp
    audio/sine_transform.cpp
    audio/spectra.cpp
)
list(TRANSFORM HARMOLAB_CORE_SOURCES PREPEND "${CMAKE_SOURCE_DIR}/")

set(HARMOLAB_WARNINGS -Wall -Wextra)
