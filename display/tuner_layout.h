// What the tuner screen shows for a given state: a list of images at back-buffer positions, in
// drawing order, and the needle's line. The Win32 painter only carries it out.
#ifndef HARMOLAB_DISPLAY_TUNER_LAYOUT_H
#define HARMOLAB_DISPLAY_TUNER_LAYOUT_H

#include <array>
#include <string>
#include <vector>

// The state the tuner screen reads.
struct TunerView {
    int detected_note = 0;      // 0 none, 1..88
    int display_frequency = 0;  // whole hertz
    int cents_offset = -100;    // -50..50, -100 no reading
    int target_note = 0;        // 0 automatic, 1..88
    int fors_status = 0;        // 0 flats, 1 sharps
    int inst_status = 0;
    int instrument = 0;
    int string_index = 0;
    int pressed_button = 0;
    int reference_a4_hz = 440;  // shown when it is not 440
};

struct ImageDraw {
    int id;
    int x;
    int y;
    bool keyed;  // white is transparent

    bool operator==(const ImageDraw& o) const { return id == o.id && x == o.x && y == o.y && keyed == o.keyed; }
};

struct NeedleLine {
    int x0, y0, x1, y1;
};

// Letter image of a note 1..88, with flats (fors 0) or sharps (fors 1).
int NoteLetterImage(int note, int fors_status);
// Large octave digit of a note: 0 for notes 1..3, then one more at every C.
int OctaveDigitImage(int note);
// One cell of the five-cell frequency readout, place 4 = ten-thousands .. 0 = units.
int FrequencyDigitImage(int frequency, int place);
// The three cents cells: sign, tens, units; three blanks without a reading.
std::array<int, 3> CentsImages(int cents);
// Needle from the pivot to the end point of the cents value; no reading rests at -50, +50 uses +49.
NeedleLine Needle(int cents);
// String number image: strings count down from the instrument's count as the index goes up.
int StringNumberImage(int instrument, int string_index, int inst_status);
// Lamp: in tune, off pitch on the target, or another note.
int LampImage(int target_note, int detected_note, int cents);

std::vector<ImageDraw> TunerScreenImages(const TunerView& view);

// The reference pitch as the screen shows it at the top right, "A4 = 442 Hz"; empty for 440,
// which everything assumes unless told otherwise.
std::string ReferencePitchLabel(int a4_hz);
constexpr int kReferencePitchX = 470, kReferencePitchY = 14;

#endif
