// The one application-state record shared by every part of the program.
#ifndef HARMOLAB_APP_APP_STATE_H
#define HARMOLAB_APP_APP_STATE_H

#include <array>
#include <string>

#include "app/shared_value.h"

// Win32 handle types, declared the way windows.h declares them so that the record needs no
// system header; the Win32 layer stores and reads them without casts.
struct HWND__;
struct HMENU__;
struct HINSTANCE__;
struct HBITMAP__;
struct HDC__;

// Tool codes.
enum Tool : int { kToolSpectrum = 0, kToolTuner = 1, kToolMetronome = 2 };
// Launch modes: -1 all tools, otherwise the only tool.
constexpr int kLaunchAllTools = -1;

// Instruments and their string counts (guitar, bass, ukulele, shamisen).
constexpr int kInstrumentCount = 4;
constexpr int kMaxStrings = 6;
constexpr std::array<int, kInstrumentCount> kStringCounts = {6, 4, 4, 3};

// Metronome kinds: Normal, Conductor, Ball, Signal.
enum MetronomeKind : int { kKindNormal = 0, kKindConductor = 1, kKindBall = 2, kKindSignal = 3 };
constexpr int kMetronomeKindCount = 4;
// Downbeat entries cover bars of 2 to 6 beats.
constexpr int kDownbeatBars = 5;
constexpr int kMinTempo = 30;
constexpr int kMaxTempo = 300;

// Picture sizes indexed by screen_size: normal, half (tuner, metronome), half (spectrum).
struct ScreenSize {
    int width;
    int height;
};
constexpr std::array<ScreenSize, 3> ScreenSizeTable = {{{640, 480}, {320, 240}, {360, 240}}};

// Handles of the modeless dialogs and the Wave View window; null while closed.
struct DialogHandles {
    HWND__* about = nullptr;
    HWND__* config = nullptr;
    HWND__* tuning = nullptr;
    HWND__* play_volume = nullptr;
    HWND__* sine_wave = nullptr;
    HWND__* vocal_canceler = nullptr;
    Shared<HWND__*> wave_view{nullptr};
};

struct AppState {
    // Mode and display.
    int launch_mode = kLaunchAllTools;
    Shared<int> current_tool{kToolSpectrum};
    int screen_size = 0;
    Shared<int> power_on{0};
    Shared<int> paused{0};
    int plot_mode = 0;  // bit 0 note mode, bit 1 oscilloscope
    int zoom_level = 1;
    int palette_no = 0;
    Shared<int> pressed_button{0};
    int osilo_status = 0;
    int note_status = 0;
    int lowfrq_status = 0;
    int tuner_volume = 0;

    // Tuner.
    int instrument = 0;
    int string_index = 0;
    int inst_status = 0;
    int fors_status = 0;
    Shared<int> target_note{0};
    int detected_note = 0;
    int display_frequency = 0;
    int cents_offset = -100;
    int reference_a4_hz = 440;  // A4 in Hz, 430..450: moves every key's frequency
    int tuner_needle = -50;
    int tuner_active = 0;
    std::array<int, 6> guitar_keys{};
    std::array<int, 4> bass_keys{};
    std::array<int, 4> ukulele_keys{};
    std::array<int, 3> shamisen_keys{};
    std::array<std::array<int, kMaxStrings>, kInstrumentCount> open_string_keys{};
    int tuning_dialog_kind = 0;

    // Metronome.
    Shared<int> metronome_tempo{0};
    Shared<int> beat_no{0};
    Shared<int> metronome_kind{0};
    Shared<int> metro_move_type{0};
    Shared<int> conductor_line{0};
    std::array<Shared<int>, kDownbeatBars> downbeat{};
    std::array<std::string, 2> metro_sound_file;
    int metronome_sounds_ready = 0;
    Shared<unsigned> tick_count{0};

    // Metronome run state: written by the metronome's stream thread, read by the painter and the tick timer.
    Shared<int> rod_position{18};      // 0..36, 18 upright
    Shared<int> swing_direction{0};    // 1 increasing, 2 decreasing, 0 at rest
    Shared<int> beat_index{0};         // 0-based beat within the bar
    Shared<int> bar_count{0};          // bars since the start, 0..9999
    Shared<int> metronome_started{0};  // 0 until the run's first step
    Shared<int> mid_swing{0};          // 1 when the last step fired no beat
    Shared<int> worker_state{0};       // 1 while a run's stream plays, 0 stopped
    int ball_frame = 0;                // the ball's two rotation pictures alternate per paint
    int last_drag_y = 0;               // the weight drag's last pointer y

    // Audio and files.
    Shared<int> capture_running{0};
    Shared<int> playback_open{0};
    Shared<int> refill_busy{0};
    Shared<int> play_kind{0};
    unsigned saved_play_volume = 0;
    unsigned play_volume = 0;
    int sampling_hz = 44100;
    int half_sampling_hz = 22050;
    int sampling_time_ms = 0;
    int sampling_stereo = 0;
    int sine_hz = 440;
    int sine_type = 1;
    int sine_volume = 0;
    std::string sine_file;
    std::string karaoke_input1;
    std::string karaoke_input2;
    std::string karaoke_output;
    int karaoke_make_kind = 0;
    std::string log_file;
    std::string program_dir;
    std::string settings_path;

    // Windows and metrics.
    HINSTANCE__* instance = nullptr;
    HWND__* main_window = nullptr;
    HMENU__* main_menu = nullptr;
    HWND__* toolbar = nullptr;
    HDC__* window_dc = nullptr;
    int toolbar_height = 0;
    int caption_height = 0;
    int menu_band_height = 0;
    int frame_width = 0;
    HBITMAP__* back_buffer = nullptr;
    DialogHandles dialogs;
};

// The program's only instance.
extern AppState app;

// The string count of an instrument code, 0 for a code outside 0..3.
int StringCount(int instrument);

#endif
