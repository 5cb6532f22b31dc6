// The vocal canceler's sample arithmetic and the worker's processing loop (standard library only).
#include "wavetools/vocal_canceler.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

#include "wavetools/pending_file.h"
#include "wavetools/wave_file.h"
#include "wavetools/wave_writer.h"

namespace {

constexpr int kSoundThreshold = 100;  // squares above 10,000 count as sound
constexpr std::int64_t kNoSound = -1;
constexpr std::int64_t kSoundSearchStopped = -2;

int Magnitude(int sample) {
    return sample < 0 ? -sample : sample;
}

std::unique_ptr<std::uint8_t[]> Allocate(std::uint32_t bytes) {
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[std::max<std::uint32_t>(bytes, 1)]);
}

bool Running(const std::atomic<int>& state) {
    return state.load() == kCancelerRunning;
}

// Ends a run with its one message.
int Fail(CancelerView& view, const char* text) {
    view.Message(text, kCancelerErrorCaption);
    return kCancelFailed;
}

// The output file (under its temporary name) and its running totals.
struct Output {
    PendingFile file;
    std::unique_ptr<std::uint8_t[]> buffer;
    std::uint32_t total = 0;

    bool Write(std::uint32_t bytes) {
        if (bytes == 0) return true;
        const std::size_t written = std::fwrite(buffer.get(), 1, bytes, file.file());
        total += static_cast<std::uint32_t>(written);
        return written == bytes;
    }
    // Rewrites the header for what was written and puts the file in place.
    int Finish(std::uint32_t rate, std::uint16_t channels, CancelerView& view) {
        const auto header = MakeWaveHeader(rate, channels, 16, total);
        if (std::fseek(file.file(), 0, SEEK_SET) != 0 ||
            std::fwrite(header.data(), 1, header.size(), file.file()) != header.size()) {
            return Fail(view, kWriteFileError);
        }
        if (!file.Commit()) return Fail(view, kOutputReplaceError);
        return kCancelDone;
    }
};

std::uint32_t FrameBytes(const WaveSource& s) {
    return static_cast<std::uint32_t>(s.channels * s.bitsPerSample / 8);
}

// The next block of a stream; false when less could be read than the file held when it was
// opened (it was cut or cannot be read).
bool ReadBlock(WaveSource& source, std::uint32_t& got) {
    const std::uint32_t due = std::min(source.bytesInFile, CancelerBlockBytes);
    got = ReadWaveStream(source, 0, CancelerBlockBytes);
    return got == due;
}

int RunMonoMode(CancelerJob& job, CancelerView& view, const std::atomic<int>& state, Output& out) {
    WaveSource& original = job.original;
    const bool karaoke = job.settings.mode == kCancelKaraoke;
    const std::uint32_t start = original.bytesInFile;
    while (true) {
        if (!Running(state)) return kCancelStopped;
        // Get Vocal lets the Inst limit the length: it ends with the Inst's data.
        if (!karaoke && job.inst.bytesInFile == 0) break;
        std::uint32_t n = 0, m = 0;
        if (!ReadBlock(original, n) || (!karaoke && n > 0 && !ReadBlock(job.inst, m))) {
            return Fail(view, kInputReadError);
        }
        if (n == 0 || (!karaoke && m == 0)) break;
        const std::uint32_t made = karaoke ? KaraokeBlock(original.buffer, n, out.buffer.get())
                                           : GetVocalBlock(original.buffer, n, out.buffer.get());
        if (!out.Write(made)) return Fail(view, kWriteFileError);
        view.WorkProgress(WorkPercent(start, original.bytesInFile));
        if (original.bytesInFile == 0) break;
    }
    view.WorkProgress(100);
    return kCancelDone;
}

// Byte offset of the first tenth of a second that holds sound, searching from `h`; kNoSound if
// none, kSoundSearchStopped when a stop or abort comes first (nothing is searched yet).
std::int64_t FindSoundStart(WaveSource& original, std::uint32_t h, const std::atomic<int>& state) {
    const std::uint32_t frame = FrameBytes(original);
    std::uint32_t block = static_cast<std::uint32_t>(original.sampleRate) * frame / 10;
    block -= block % frame;  // whole frames, so that every read starts on a sample
    if (block == 0) return kNoSound;
    auto data = Allocate(block);
    if (!data) return kNoSound;
    while (true) {
        if (!Running(state)) return kSoundSearchStopped;
        if (h >= original.totalBytes || original.totalBytes - h < block) return kNoSound;
        const std::uint32_t got =
            ReadWaveAt(original, static_cast<std::int64_t>(original.dataOffset) + h, data.get(), block);
        if (got == 0) return h;
        if (IsSoundBlock(data.get(), got)) return h;
        h += got;
    }
}

SampleReader ReaderOf(WaveSource& source) {
    return [&source](std::uint64_t at, std::uint8_t* dest, std::uint32_t bytes) {
        return ReadWaveAt(source, static_cast<std::int64_t>(source.dataOffset) + static_cast<std::int64_t>(at), dest,
                          bytes);
    };
}

// The best offset of the Inst against the Original from h; a stop ends the search with the best so
// far. Returns kCancelDone or a failure.
int SearchAlignment(CancelerJob& job, std::uint32_t h, CancelerView& view, const std::atomic<int>& state,
                    LaneRunner& lanes, std::uint32_t& best) {
    WaveSource& original = job.original;
    WaveSource& inst = job.inst;
    const CancelerSettings& s = job.settings;
    const std::uint32_t byteRate = static_cast<std::uint32_t>(original.sampleRate) * FrameBytes(original);
    const auto windowWanted = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(byteRate) * AlignmentWindowSeconds, original.totalBytes));
    AlignmentSearch search;
    SearchEnd end = search.LoadWindow(ReaderOf(original), h, windowWanted, state);
    if (end == SearchEnd::kDone && (search.WindowBytes() == 0 || inst.totalBytes == 0)) {
        return Fail(view, kInputReadError);
    }

    AlignmentRange range;
    range.step = FrameBytes(inst);
    range.first = MsToFrameBytes(s.inst_delay_ms, inst.sampleRate, inst.bitsPerSample, inst.channels);
    range.end = range.first + MsToFrameBytes(s.range_ms, inst.sampleRate, inst.bitsPerSample, inst.channels);
    const std::uint64_t last = std::min<std::uint64_t>(range.end, inst.totalBytes);
    const std::uint64_t total = last > range.first ? (last - range.first + range.step - 1) / range.step : 0;
    std::uint64_t done = 0;
    SearchStatus status;
    view.SearchProgress(status);
    char line[32];
    auto sink = [&](std::uint64_t first, const std::vector<int>& scores) {
        for (std::size_t i = 0; i < scores.size(); ++i) {
            if (scores[i] <= status.best_score) continue;  // ties keep the earlier offset
            status.best_score = scores[i];
            status.best_offset = static_cast<std::uint32_t>(first + i * range.step);
            std::snprintf(line, sizeof line, "SAME->%d\r\n", scores[i]);
            view.Debug(line);
        }
        done += scores.size();
        status.offset = static_cast<std::uint32_t>(first + (scores.size() - 1) * range.step);
        status.score = scores.back();
        status.percent = static_cast<int>(done * 100 / total);
        view.SearchProgress(status);
    };
    if (end == SearchEnd::kDone) end = search.Score(ReaderOf(inst), inst.totalBytes, range, lanes, state, sink);
    best = status.best_offset;
    if (end == SearchEnd::kNoMemory) return Fail(view, kSearchMemoryError);
    if (end == SearchEnd::kReadFailed) return Fail(view, kInputReadError);
    return kCancelDone;
}

// After a stop that ended the search, the run goes on to make the output; false when it was aborted.
bool ResumeAfterSearch(std::atomic<int>& state) {
    int expected = kCancelerStopAsked;
    state.compare_exchange_strong(expected, kCancelerRunning);
    return Running(state);
}

int RunWithInst(CancelerJob& job, CancelerView& view, std::atomic<int>& state, LaneRunner& lanes, Output& out,
                std::uint32_t* bestOffsetOut) {
    WaveSource& original = job.original;
    WaveSource& inst = job.inst;
    CancelerSettings& s = job.settings;
    if (s.ignore) {
        s.range_ms = IgnoredSearchRangeMs;
        s.original_point_ms = 0;
        s.inst_delay_ms = 0;
    }
    const std::int64_t found = FindSoundStart(
        original, MsToFrameBytes(s.original_point_ms, original.sampleRate, original.bitsPerSample, original.channels),
        state);
    if (found == kSoundSearchStopped) return kCancelStopped;
    if (found == kNoSound) return Fail(view, kNoSoundError);
    const auto h = static_cast<std::uint32_t>(found);

    std::uint32_t best = 0;
    const int searched = SearchAlignment(job, h, view, state, lanes, best);
    if (bestOffsetOut) *bestOffsetOut = best;
    if (searched != kCancelDone) return searched;
    if (!ResumeAfterSearch(state)) return kCancelStopped;

    // Line the two files up: the Inst at `best` sounds like the Original at h.
    std::uint32_t originalSkip = 0, instSkip = 0;
    if (best < h) originalSkip = h - best;
    if (best > h) instSkip = best - h;
    if (!SeekWaveStream(original, originalSkip) || !SeekWaveStream(inst, instSkip)) {
        return Fail(view, kInputSeekError);
    }

    view.WorkProgress(0);
    const std::uint32_t start = original.bytesInFile;
    while (inst.bytesInFile > 0) {
        if (!Running(state)) return kCancelStopped;
        std::uint32_t n = 0, m = 0;
        if (!ReadBlock(original, n) || (n > 0 && !ReadBlock(inst, m))) return Fail(view, kInputReadError);
        if (n == 0 || m == 0) break;
        if (!out.Write(SubtractBlock(original.buffer, n, inst.buffer, m, out.buffer.get()))) {
            return Fail(view, kWriteFileError);
        }
        view.WorkProgress(WorkPercent(start, original.bytesInFile));
        if (original.bytesInFile == 0) break;
    }
    return kCancelDone;
}

}  // namespace

int CancelerSample(const std::uint8_t* p) {
    const int raw = p[0] | p[1] << 8;
    return raw == 0x8000 ? 32768 : static_cast<std::int16_t>(raw);
}

void PutCancelerSample(std::uint8_t* p, int value) {
    const auto v = static_cast<std::uint32_t>(value);
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

std::uint32_t KaraokeBlock(const std::uint8_t* in, std::uint32_t bytes, std::uint8_t* out) {
    std::uint32_t written = 0;
    for (std::uint32_t i = 0; i + 4 <= bytes; i += 4, written += 2) {
        PutCancelerSample(out + written, CancelerSample(in + i) - CancelerSample(in + i + 2));
    }
    return written;
}

std::uint32_t GetVocalBlock(const std::uint8_t* in, std::uint32_t bytes, std::uint8_t* out) {
    std::uint32_t written = 0;
    for (std::uint32_t i = 0; i + 4 <= bytes; i += 4, written += 2) {
        const int left = CancelerSample(in + i);
        const int right = CancelerSample(in + i + 2);
        const int l = Magnitude(left), r = Magnitude(right);
        PutCancelerSample(out + written, l > r ? right : (l < r ? left : 0));
    }
    return written;
}

std::uint32_t SubtractBlock(const std::uint8_t* original, std::uint32_t originalBytes, const std::uint8_t* inst,
                            std::uint32_t instBytes, std::uint8_t* out) {
    const std::uint32_t bytes = std::min(originalBytes, instBytes) & ~1u;
    for (std::uint32_t i = 0; i < bytes; i += 2) {
        PutCancelerSample(out + i, CancelerSample(original + i) - CancelerSample(inst + i));
    }
    return bytes;
}

int WorkPercent(std::uint32_t startBytes, std::uint32_t leftBytes) {
    if (startBytes == 0) return 100;
    const std::uint64_t done = startBytes - std::min(leftBytes, startBytes);
    return static_cast<int>(done * 100 / startBytes);
}

bool IsSoundBlock(const std::uint8_t* block, std::uint32_t bytes) {
    std::uint32_t loud = 0;
    for (std::uint32_t i = 0; i + 2 <= bytes; i += 2) {
        if (Magnitude(CancelerSample(block + i)) > kSoundThreshold) ++loud;
    }
    return loud > bytes / 3;
}

std::uint32_t MsToFrameBytes(std::int64_t ms, int rate, int bits, int channels) {
    if (ms <= 0 || rate <= 0 || bits <= 0 || channels <= 0) return 0;
    const std::uint64_t frames = static_cast<std::uint64_t>(ms) * static_cast<std::uint64_t>(rate) / 1000;
    const std::uint64_t bytes = frames * static_cast<std::uint64_t>(bits * channels / 8);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, 0xFFFFFFFFu));
}

bool AskCancelerStop(std::atomic<int>& state) {
    int running = kCancelerRunning;
    return state.compare_exchange_strong(running, kCancelerStopAsked);
}

void AbortCanceler(std::atomic<int>& state) {
    for (int now = state.load(); now != kCancelerIdle;) {
        if (state.compare_exchange_weak(now, kCancelerAborted)) break;
    }
}

const char* MakeButtonLabel(int state, bool workerAlive) {
    if (state == kCancelerRunning || (state == kCancelerIdle && workerAlive)) return "RUN";
    return state == kCancelerIdle ? "Make" : "MAKE";
}

std::string SearchPositionText(std::uint32_t offset, int score, std::uint32_t rate, std::uint32_t frameBytes) {
    const std::uint32_t byteRate = rate * frameBytes;
    char text[64];
    if (byteRate == 0) return std::string();
    const std::uint32_t seconds = offset > byteRate ? offset / byteRate : 0;
    std::snprintf(text, sizeof text, "%usec %u  %d", seconds, (offset % byteRate) / frameBytes, score);
    return text;
}

std::array<std::string, 3> BestFoundTexts(std::uint32_t offset, int score, std::uint32_t rate,
                                          std::uint32_t frameBytes) {
    const std::uint32_t byteRate = rate * frameBytes;
    if (byteRate == 0) return {};
    char seconds[32], num[32], rest[32];
    std::snprintf(seconds, sizeof seconds, "%usec ", offset > byteRate ? offset / byteRate : 0);
    std::snprintf(num, sizeof num, "Num=%d ", score);
    std::snprintf(rest, sizeof rest, "%u ", offset % rate);
    return {seconds, num, rest};
}

int PrepareCancelerJob(const std::string& original, const std::string& inst, const std::string& output,
                       const CancelerSettings& settings, CancelerJob& job) {
    ReleaseCancelerJob(job);
    if (output.empty()) return kCancelerNoOutput;
    const bool needsInst = settings.mode != kCancelKaraoke;
    if (IsSameFile(output, original) || (needsInst && IsSameFile(output, inst))) return kCancelerOutputIsInput;
    job.settings = settings;
    job.output_path = output;
    if (!OpenWaveStream(original, job.original, true) || (needsInst && !OpenWaveStream(inst, job.inst, true))) {
        ReleaseCancelerJob(job);
        return kCancelerBadInput;
    }
    const WaveSource& o = job.original;
    const WaveSource& i = job.inst;
    bool usable = o.bitsPerSample == 16 && o.sampleRate > 0 && o.channels >= 1;
    if (settings.mode != kCancelWithInst) usable = usable && o.channels == 2;
    if (!usable) {
        ReleaseCancelerJob(job);
        return kCancelerBadInput;
    }
    if (settings.mode == kCancelWithInst &&
        (i.sampleRate != o.sampleRate || i.bitsPerSample != o.bitsPerSample || i.channels != o.channels)) {
        ReleaseCancelerJob(job);
        return kCancelerOtherFormats;
    }
    return kCancelerReady;
}

void ReleaseCancelerJob(CancelerJob& job) {
    ResetWaveSource(job.original);
    ResetWaveSource(job.inst);
}

int RunCanceler(CancelerJob& job, CancelerView& view, std::atomic<int>& state, LaneRunner& lanes,
                std::uint32_t* bestOffset) {
    Output out;
    int result = kCancelDone;
    out.buffer = Allocate(CancelerBlockBytes);
    if (!out.buffer) {
        result = Fail(view, kWriteFileError);
    } else if (!out.file.Create(job.output_path)) {
        result = Fail(view, kOutputCreateError);
    }
    const auto rate = static_cast<std::uint32_t>(job.original.sampleRate);
    const bool mono = job.settings.mode != kCancelWithInst;
    const auto channels = static_cast<std::uint16_t>(mono ? 1 : job.original.channels);
    // The header is rewritten at the end; until then it says 0 bytes.
    const auto placeholder = MakeWaveHeader(rate, channels, 16, 0);
    if (result == kCancelDone &&
        std::fwrite(placeholder.data(), 1, placeholder.size(), out.file.file()) != placeholder.size()) {
        result = Fail(view, kWriteFileError);
    }
    if (result == kCancelDone) {
        view.WorkProgress(0);
        result = job.settings.mode == kCancelWithInst ? RunWithInst(job, view, state, lanes, out, bestOffset)
                                                      : RunMonoMode(job, view, state, out);
    }
    if (result == kCancelDone) result = out.Finish(rate, channels, view);
    out.file.Discard();  // whatever did not end in place
    ReleaseCancelerJob(job);
    return result;
}
