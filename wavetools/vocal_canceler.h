// The vocal canceler's processing: karaoke (left minus right), vocal from an instrumental track
// (time-aligned subtraction) and get-vocal (the quieter channel), run by a worker behind a view.
//
// Samples are 16-bit little-endian. Where they are measured or compared they are read as signed
// values except that 0x8000 counts as +32,768; results are stored modulo 2^16 (no clipping).
#ifndef HARMOLAB_WAVETOOLS_VOCAL_CANCELER_H
#define HARMOLAB_WAVETOOLS_VOCAL_CANCELER_H

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "wavetools/wave_source.h"

enum CancelerMode {
    kCancelKaraoke = 0,   // mono: left - right of every frame
    kCancelWithInst = 1,  // the Original minus the time-aligned Inst, Original's layout
    kCancelGetVocal = 2,  // mono: the smaller-magnitude channel of every frame
};

// Inputs are read and output written in blocks of this many bytes.
constexpr std::uint32_t CancelerBlockBytes = 5120000;
constexpr int DefaultSearchRangeMs = 1000;
// With the ignore flag the alignment searches two minutes from the very start of both files.
constexpr int IgnoredSearchRangeMs = 120000;
// Seconds of the Original compared against the Inst at each offset.
constexpr int AlignmentWindowSeconds = 120;
// Bytes between compared sample pairs: every sixth frame of 16-bit stereo.
constexpr std::uint32_t AlignmentStrideBytes = 24;

// One sample at p as a measured value: -32767..32768 (0x8000 reads +32,768).
int CancelerSample(const std::uint8_t* p);
// Stores value modulo 2^16, little-endian.
void PutCancelerSample(std::uint8_t* p, int value);

// Stereo 16-bit frames (whole 4-byte frames of `bytes`) to mono; returns the bytes written to out.
std::uint32_t KaraokeBlock(const std::uint8_t* in, std::uint32_t bytes, std::uint8_t* out);
std::uint32_t GetVocalBlock(const std::uint8_t* in, std::uint32_t bytes, std::uint8_t* out);
// original - inst for every 16-bit sample present in both; returns the bytes written.
std::uint32_t SubtractBlock(const std::uint8_t* original, std::uint32_t originalBytes, const std::uint8_t* inst,
                            std::uint32_t instBytes, std::uint8_t* out);

// Work progress 0..100 from the unread bytes at the start and now; 100 when there was nothing.
int WorkPercent(std::uint32_t startBytes, std::uint32_t leftBytes);
// A block holds sound when more than a third of its bytes' worth of samples (two thirds of the
// 16-bit samples) exceed 100 in magnitude.
bool IsSoundBlock(const std::uint8_t* block, std::uint32_t bytes);
// Points for the Inst at byte offset w against the Original window: for k = 0, 24, 48, ... the
// two samples at k and k + 2 are compared with those at w + k and w + k + 2; a pair within 4 of
// each other scores one. Stops at the end of either buffer.
int AlignmentScore(const std::uint8_t* window, std::uint32_t windowBytes, const std::uint8_t* inst,
                   std::uint32_t instBytes, std::uint32_t w);
// trunc(ms / 1000 x rate) whole frames as bytes; 0 for negative ms.
std::uint32_t MsToFrameBytes(std::int64_t ms, int rate, int bits, int channels);

// A 44-byte PCM header for `dataBytes` of 16-bit samples.
std::array<std::uint8_t, 44> CancelerHeader(std::uint32_t rate, std::uint16_t channels, std::uint32_t dataBytes);

struct CancelerSettings {
    int mode = kCancelKaraoke;
    int range_ms = DefaultSearchRangeMs;  // alignment search length, signed
    bool ignore = false;                  // search 120 s from offset 0 in both files
    int original_point_ms = 0;            // where the start-of-sound search begins
    int inst_delay_ms = 0;                // where the alignment search begins in the Inst
};

// A run's inputs: the files opened header-only; the job owns and closes them.
struct CancelerJob {
    WaveSource original;
    WaveSource inst;
    std::string output_path;
    CancelerSettings settings;
};

// Checks before a run: 0 ready, 1 an input can't be opened or processed ("File error"),
// 2 mode 1 with inputs of different formats (nothing happens), 3 no output path.
// Modes 0 and 2 need a 16-bit stereo Original, mode 1 16-bit inputs; mode 0 needs no Inst.
int PrepareCancelerJob(const std::string& original, const std::string& inst, const std::string& output,
                       const CancelerSettings& settings, CancelerJob& job);
void ReleaseCancelerJob(CancelerJob& job);

// What a run shows. The Windows side forwards these to the dialog's controls.
class CancelerView {
public:
    virtual ~CancelerView() = default;
    virtual void ResetWorkProgress() = 0;
    virtual void WorkProgress(int percent) = 0;
    virtual void ResetSearchProgress() = 0;
    virtual void SearchProgress(int value) = 0;
    // "%dsec %d  %d": seconds, frame within the second, score.
    virtual void SearchPosition(const std::string& text) = 0;
    // A new best: "%dsec ", "Num=%d ", "%d " (offset modulo the Inst rate).
    virtual void BestFound(const std::string& seconds, const std::string& score, const std::string& remainder) = 0;
    virtual void Message(const std::string& text, const std::string& caption) = 0;
    virtual void Debug(const std::string& line) = 0;
};

enum CancelerResult { kCancelDone = 0, kCancelStopped = 1, kCancelFailed = -1 };

// Runs the job's mode, writing the output file, and releases the job's inputs. `worker` is the
// run state word: positive while running, -1 once a stop is asked for. Found during a run: the
// best alignment offset (mode 1), for tests.
int RunCanceler(CancelerJob& job, CancelerView& view, const std::atomic<int>& worker,
                std::uint32_t* bestOffset = nullptr);

#endif
