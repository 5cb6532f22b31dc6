// Tuner screen rules: digits, letters, cents cells, needle, lamp and the drawing order.
#include "display/tuner_layout.h"

#include "app/app_state.h"
#include "display/image_ids.h"
#include "display/tuner_geometry.h"

namespace {

constexpr int kFlatLetters[12] = {63, 65, 66, 68, 69, 70, 72, 73, 75, 76, 78, 79};
constexpr int kSharpLetters[12] = {63, 64, 66, 67, 69, 70, 71, 73, 74, 76, 77, 79};

void AddNoteCell(std::vector<ImageDraw>& out, int note, int empty_image, int x, int y, int fors_status) {
    if (note < 1 || note > 88) {
        out.push_back({empty_image, x, y, true});
        return;
    }
    out.push_back({OctaveDigitImage(note), x, y, true});
    out.push_back({NoteLetterImage(note, fors_status), x + 52, y, true});
}

}  // namespace

int NoteLetterImage(int note, int fors_status) {
    int index = ((note + 8) % 12 + 12) % 12;
    return fors_status == 1 ? kSharpLetters[index] : kFlatLetters[index];
}

int OctaveDigitImage(int note) {
    if (note <= 3) return kImageLargeDigitFirst;
    return kImageLargeDigitFirst + 1 + (note - 4) / 12;
}

int FrequencyDigitImage(int frequency, int place) {
    static const int kPlaceValues[5] = {1, 10, 100, 1000, 10000};
    if (frequency < 0) frequency = 0;
    int digit = (frequency / kPlaceValues[place]) % 10;
    if (place > 0 && digit == 0 && frequency < kPlaceValues[place]) return kImageBlankDigit;
    return kImageSmallDigitFirst + digit;
}

std::array<int, 3> CentsImages(int cents) {
    if (cents < -50 || cents > 50) return {kImageBlankDigit, kImageBlankDigit, kImageBlankDigit};
    int magnitude = cents < 0 ? -cents : cents;
    return {cents < 0 ? kImageMinus : kImageBlankDigit, kImageSmallDigitFirst + magnitude / 10,
            kImageSmallDigitFirst + magnitude % 10};
}

NeedleLine Needle(int cents) {
    using namespace tuner_geometry;
    std::array<int, 2> end = NeedleEnd(cents);
    return {kPivotX, kPivotY, kFaceX + end[0], kFaceY + end[1]};
}

int StringNumberImage(int instrument, int string_index, int inst_status) {
    int strings = StringCount(instrument);
    int number = strings - string_index;  // index 0 is the lowest, highest-numbered string
    if (number < 1 || number > kMaxStrings) number = 1;
    return kImageStringFirst + 2 * (number - 1) + (inst_status ? 1 : 0);
}

int LampImage(int target_note, int detected_note, int cents) {
    if (target_note != detected_note) return kImageLedOther;
    return (cents >= -9 && cents <= 9) ? kImageLedInTune : kImageLedOffPitch;
}

std::vector<ImageDraw> TunerScreenImages(const TunerView& v) {
    std::vector<ImageDraw> out;
    out.reserve(32);
    out.push_back({kImageFlat + (v.fors_status ? 1 : 0), 0, 0, true});
    out.push_back({kImageCurrentKey, 10, 50, true});
    AddNoteCell(out, v.detected_note, kImageNone, 180, 40, v.fors_status);
    for (int place = 4; place >= 0; --place) {
        out.push_back({FrequencyDigitImage(v.display_frequency, place), 296 + 16 * (4 - place), 60, true});
    }
    out.push_back({kImageHz, 380, 66, true});
    out.push_back({kImageCent, 450, 50, true});
    std::array<int, 3> cents = CentsImages(v.cents_offset);
    for (int cell = 0; cell < 3; ++cell) out.push_back({cents[cell], 540 + 16 * cell, 60, true});
    out.push_back({kImageTargetKey, 100, 350, true});
    AddNoteCell(out, v.target_note, kImageAuto, 270, 340, v.fors_status);
    for (int button = 0; button < 5; ++button) {
        bool pressed = v.pressed_button == button + 1;
        out.push_back({kImageStepButtonFirst + 2 * button + (pressed ? 1 : 0), 350 + 48 * button, 420, false});
    }
    int inst = v.inst_status ? 1 : 0;
    int instrument = (v.instrument >= 0 && v.instrument < kInstrumentCount) ? v.instrument : 0;
    out.push_back({kImageInstrumentModeOff + inst, 10, 420, false});
    out.push_back({kImageInstrumentFirst + 2 * instrument + inst, 70, 420, true});
    out.push_back({v.pressed_button == 11 ? kImageUpPressed : kImageUp, 190, 399, true});
    out.push_back({StringNumberImage(instrument, v.string_index, inst), 190, 420, true});
    out.push_back({v.pressed_button == 12 ? kImageDownPressed : kImageDown, 190, 450, true});
    out.push_back({v.pressed_button == 10 ? kImageConfigPressed : kImageConfig, 250, 420, false});
    out.push_back({kImageMeterFace, tuner_geometry::kFaceX, tuner_geometry::kFaceY, false});
    out.push_back({LampImage(v.target_note, v.detected_note, v.cents_offset), tuner_geometry::kLampX,
                   tuner_geometry::kLampY, false});
    return out;
}

std::string ReferencePitchLabel(int a4_hz) {
    if (a4_hz == 440) return "";
    return "A4 = " + std::to_string(a4_hz) + " Hz";
}
