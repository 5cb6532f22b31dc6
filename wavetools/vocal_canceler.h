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

#include "wavetools/alignment_search.h"
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

// The run state word, shared by the dialog and the worker. A stop asked for during the alignment
// search ends the search only: the worker turns the word back to running and makes the output from
// the best offset so far; in every other phase it ends the run. Aborted (dialog closed, program
// quitting) ends the run in any phase.
enum CancelerRunState { kCancelerAborted = -2, kCancelerStopAsked = -1, kCancelerIdle = 0, kCancelerRunning = 1 };
// The Make button while a run goes: the word moves from running to stop-asked in one atomic step,
// so a press as the worker ends leaves its idle word alone. False when nothing was running.
bool AskCancelerStop(std::atomic<int>& state);
// Closing the dialog or quitting: any run ends, whatever it is doing.
void AbortCanceler(std::atomic<int>& state);
// The Make button's text for the word: "RUN" while running (and while an ended worker is not yet
// joined), "MAKE" once a stop is asked for, "Make" when no worker is left.
const char* MakeButtonLabel(int state, bool workerAlive);

// Messages of a run that fails or is refused; the dialog shows them with the caption "error".
constexpr char kCancelerErrorCaption[] = "error";
constexpr char kWriteFileError[] = "Write File error";
constexpr char kOutputIsInputError[] = "出力ファイルが入力ファイルと同じです。別の出力ファイルを指定してください。";
constexpr char kOutputCreateError[] = "出力ファイルを作成できません。";
constexpr char kOutputReplaceError[] = "出力ファイルを置き換えられません。";
constexpr char kInputReadError[] = "入力ファイルを読み込めません。";
constexpr char kInputSeekError[] = "入力ファイルの読み込み位置を移動できません。";
constexpr char kSearchMemoryError[] = "位置合わせに必要なメモリを確保できません。";
constexpr char kNoSoundError[] = "音だしの頭が見つかりません";

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
// trunc(ms / 1000 x rate) whole frames as bytes; 0 for negative ms.
std::uint32_t MsToFrameBytes(std::int64_t ms, int rate, int bits, int channels);

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

enum CancelerReady {
    kCancelerReady = 0,
    kCancelerBadInput = 1,      // an input can't be opened or processed ("File error")
    kCancelerOtherFormats = 2,  // mode 1 with inputs of different formats (nothing happens)
    kCancelerNoOutput = 3,      // no output path ("Write File not exist!")
    kCancelerOutputIsInput = 4  // the output names an input the mode reads (kOutputIsInputError)
};
// Checks before a run. Modes 0 and 2 need a 16-bit stereo Original, mode 1 16-bit inputs; mode 0
// neither needs nor checks the Inst.
int PrepareCancelerJob(const std::string& original, const std::string& inst, const std::string& output,
                       const CancelerSettings& settings, CancelerJob& job);
void ReleaseCancelerJob(CancelerJob& job);

// Where the alignment search stands: the offset scored last and the best so far (offset 0 and
// score 0 until an offset scores above 0).
struct SearchStatus {
    std::uint32_t offset = 0;
    int score = 0;
    int percent = 0;  // of the range's offsets
    std::uint32_t best_offset = 0;
    int best_score = 0;
};
// The search display: "%dsec %d  %d" (seconds, frame within the second, score) of an offset, the
// seconds being 0 unless the offset exceeds one second's bytes; and a best as "%dsec ",
// "Num=%d " and "%d " (the offset modulo the rate).
std::string SearchPositionText(std::uint32_t offset, int score, std::uint32_t rate, std::uint32_t frameBytes);
std::array<std::string, 3> BestFoundTexts(std::uint32_t offset, int score, std::uint32_t rate,
                                          std::uint32_t frameBytes);

// What a run shows. The Windows side keeps the values for the dialog, which shows them itself.
class CancelerView {
public:
    virtual ~CancelerView() = default;
    virtual void WorkProgress(int percent) = 0;
    virtual void SearchProgress(const SearchStatus& status) = 0;
    // A failure; a run reports at most one and then ends without an output file.
    virtual void Message(const std::string& text, const std::string& caption) = 0;
    virtual void Debug(const std::string& line) = 0;
};

enum CancelerResult { kCancelDone = 0, kCancelStopped = 1, kCancelFailed = -1 };

// Runs the job's mode and releases its inputs. The output is written under a temporary name beside
// the output path and put in place only when the run is done; a stopped or failed run leaves no
// file and an existing output untouched. `state` is the run state word (kCancelerRunning at the
// start). The search uses the runner's lanes. Found during a run: the best alignment offset (mode
// 1), for tests.
int RunCanceler(CancelerJob& job, CancelerView& view, std::atomic<int>& state, LaneRunner& lanes,
                std::uint32_t* bestOffset = nullptr);

#endif
