// The vocal canceler's sample arithmetic and the worker's processing loop (standard library only).
#include "wavetools/vocal_canceler.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

#include "wavetools/wave_file.h"

namespace {

constexpr int kSoundThreshold = 100;  // squares above 10,000 count as sound
constexpr int kMatchTolerance = 4;    // |o - i| < 5 scores
constexpr char kWriteError[] = "Write File error";
constexpr char kErrorCaption[] = "error";

int Magnitude(int sample) {
    return sample < 0 ? -sample : sample;
}

std::unique_ptr<std::uint8_t[]> Allocate(std::uint32_t bytes) {
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[std::max<std::uint32_t>(bytes, 1)]);
}

// The output file and its running totals.
struct Output {
    std::FILE* file = nullptr;
    std::unique_ptr<std::uint8_t[]> buffer;
    std::uint32_t total = 0;
    bool failed = false;

    ~Output() {
        if (file) std::fclose(file);
    }
    void Write(std::uint32_t bytes, CancelerView& view) {
        if (bytes == 0) return;
        const std::size_t written = std::fwrite(buffer.get(), 1, bytes, file);
        total += static_cast<std::uint32_t>(written);
        if (written < bytes) {
            // Reported once: the run goes on, but the header is never rewritten.
            if (!failed) view.Message(kWriteError, kErrorCaption);
            failed = true;
        }
    }
    // Rewrites the header for what was written; a failed file keeps its placeholder.
    void Finish(std::uint32_t rate, std::uint16_t channels) {
        if (!failed) {
            const auto header = CancelerHeader(rate, channels, total);
            if (std::fseek(file, 0, SEEK_SET) == 0) std::fwrite(header.data(), 1, header.size(), file);
        }
        std::fclose(file);
        file = nullptr;
    }
};

std::uint32_t FrameBytes(const WaveSource& s) {
    return static_cast<std::uint32_t>(s.channels * s.bitsPerSample / 8);
}

int RunMonoMode(CancelerJob& job, CancelerView& view, const std::atomic<int>& worker, Output& out) {
    WaveSource& original = job.original;
    const bool karaoke = job.settings.mode == kCancelKaraoke;
    if (karaoke && worker.load() < 1) return kCancelStopped;
    const std::uint32_t start = original.bytesInFile;
    while (true) {
        // Get Vocal lets the Inst limit the length: it ends with the Inst's data.
        if (!karaoke && job.inst.bytesInFile == 0) break;
        const std::uint32_t n = ReadWaveStream(original, 0, CancelerBlockBytes);
        if (n == 0) break;
        if (!karaoke && ReadWaveStream(job.inst, 0, CancelerBlockBytes) == 0) break;
        const std::uint32_t made = karaoke ? KaraokeBlock(original.buffer, n, out.buffer.get())
                                           : GetVocalBlock(original.buffer, n, out.buffer.get());
        out.Write(made, view);
        view.WorkProgress(WorkPercent(start, original.bytesInFile));
        if (original.bytesInFile == 0) break;
        if (karaoke && worker.load() < 1) return kCancelStopped;
    }
    view.WorkProgress(100);
    return kCancelDone;
}

// Byte offset of the first tenth of a second that holds sound, searching from `h`; -1 if none.
std::int64_t FindSoundStart(WaveSource& original, std::uint32_t h) {
    const std::uint32_t frame = FrameBytes(original);
    std::uint32_t block = static_cast<std::uint32_t>(original.sampleRate) * frame / 10;
    block -= block % frame;  // whole frames, so that every read starts on a sample
    if (block == 0) return -1;
    auto data = Allocate(block);
    if (!data) return -1;
    while (true) {
        if (h >= original.totalBytes || original.totalBytes - h < block) return -1;
        const std::uint32_t got =
            ReadWaveAt(original, static_cast<std::int64_t>(original.dataOffset) + h, data.get(), block);
        if (got == 0) return h;
        if (IsSoundBlock(data.get(), got)) return h;
        h += got;
    }
}

int RunWithInst(CancelerJob& job, CancelerView& view, const std::atomic<int>& worker, Output& out,
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
        original, MsToFrameBytes(s.original_point_ms, original.sampleRate, original.bitsPerSample, original.channels));
    if (found < 0) {
        view.Message("音だしの頭が見つかりません", kErrorCaption);
        return kCancelFailed;
    }
    const auto h = static_cast<std::uint32_t>(found);

    // The Original from its start of sound, against the whole Inst.
    const std::uint32_t byteRate = static_cast<std::uint32_t>(original.sampleRate) * FrameBytes(original);
    const std::uint64_t windowWanted =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(byteRate) * AlignmentWindowSeconds, original.totalBytes);
    auto window = Allocate(static_cast<std::uint32_t>(windowWanted));
    auto instData = Allocate(inst.totalBytes);
    if (!window || !instData) return kCancelFailed;
    const std::uint32_t w_bytes = ReadWaveAt(original, static_cast<std::int64_t>(original.dataOffset) + h, window.get(),
                                             static_cast<std::uint32_t>(windowWanted));
    const std::uint32_t instBytes = ReadWaveAt(inst, inst.dataOffset, instData.get(), inst.totalBytes);
    if (w_bytes == 0 || instBytes == 0) return kCancelFailed;

    const std::uint32_t instFrame = FrameBytes(inst);
    const std::uint32_t instByteRate = static_cast<std::uint32_t>(inst.sampleRate) * instFrame;
    const std::uint64_t s0 = MsToFrameBytes(s.inst_delay_ms, inst.sampleRate, inst.bitsPerSample, inst.channels);
    const std::uint64_t end = s0 + MsToFrameBytes(s.range_ms, inst.sampleRate, inst.bitsPerSample, inst.channels);
    view.ResetSearchProgress();
    int bestScore = 0;
    std::uint32_t best = 0;
    int activity = 0;
    char text[96];
    for (std::uint64_t w = s0; w < end && w < instBytes && worker.load() > 0; w += instFrame) {
        const auto offset = static_cast<std::uint32_t>(w);
        const int score = AlignmentScore(window.get(), w_bytes, instData.get(), instBytes, offset);
        activity = activity >= 100 ? 0 : activity + 1;
        view.SearchProgress(activity);
        const std::uint32_t seconds = offset > instByteRate ? offset / instByteRate : 0;
        std::snprintf(text, sizeof text, "%usec %u  %d", seconds, (offset % instByteRate) / instFrame, score);
        view.SearchPosition(text);
        if (score > bestScore) {
            bestScore = score;
            best = offset;
            std::snprintf(text, sizeof text, "SAME->%d\r\n", score);
            view.Debug(text);
            char sec[32], num[32], rest[32];
            std::snprintf(sec, sizeof sec, "%usec ", seconds);
            std::snprintf(num, sizeof num, "Num=%d ", score);
            std::snprintf(rest, sizeof rest, "%u ", offset % static_cast<std::uint32_t>(inst.sampleRate));
            view.BestFound(sec, num, rest);
        }
    }
    if (bestOffsetOut) *bestOffsetOut = best;
    window.reset();
    instData.reset();

    // Line the two files up: the Inst at `best` sounds like the Original at h.
    std::uint32_t originalSkip = 0, instSkip = 0;
    if (best < h) originalSkip = h - best;
    if (best > h) instSkip = best - h;
    if (!SeekWaveStream(original, originalSkip) || !SeekWaveStream(inst, instSkip)) return kCancelFailed;

    view.ResetWorkProgress();
    const std::uint32_t start = original.bytesInFile;
    while (inst.bytesInFile > 0) {
        const std::uint32_t n = ReadWaveStream(original, 0, CancelerBlockBytes);
        if (n == 0) break;
        const std::uint32_t m = ReadWaveStream(inst, 0, CancelerBlockBytes);
        if (m == 0) break;
        out.Write(SubtractBlock(original.buffer, n, inst.buffer, m, out.buffer.get()), view);
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

int AlignmentScore(const std::uint8_t* window, std::uint32_t windowBytes, const std::uint8_t* inst,
                   std::uint32_t instBytes, std::uint32_t w) {
    int score = 0;
    for (std::uint32_t k = 0; k + 4 <= windowBytes; k += AlignmentStrideBytes) {
        if (static_cast<std::uint64_t>(w) + k + 4 > instBytes) break;
        for (std::uint32_t j = 0; j < 4; j += 2) {
            const int difference = CancelerSample(window + k + j) - CancelerSample(inst + w + k + j);
            if (Magnitude(difference) <= kMatchTolerance) ++score;
        }
    }
    return score;
}

std::uint32_t MsToFrameBytes(std::int64_t ms, int rate, int bits, int channels) {
    if (ms <= 0 || rate <= 0 || bits <= 0 || channels <= 0) return 0;
    const std::uint64_t frames = static_cast<std::uint64_t>(ms) * static_cast<std::uint64_t>(rate) / 1000;
    const std::uint64_t bytes = frames * static_cast<std::uint64_t>(bits * channels / 8);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, 0xFFFFFFFFu));
}

std::array<std::uint8_t, 44> CancelerHeader(std::uint32_t rate, std::uint16_t channels, std::uint32_t dataBytes) {
    std::array<std::uint8_t, 44> h{};
    auto text = [&h](std::size_t at, const char* id) {
        for (std::size_t i = 0; i < 4; ++i) h[at + i] = static_cast<std::uint8_t>(id[i]);
    };
    auto le = [&h](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            h[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    const std::uint32_t align = channels * 2u;
    text(0, "RIFF");
    le(4, dataBytes + 36, 4);
    text(8, "WAVE");
    text(12, "fmt ");
    le(16, 16, 4);
    le(20, 1, 2);
    le(22, channels, 2);
    le(24, rate, 4);
    le(28, rate * align, 4);
    le(32, align, 2);
    le(34, 16, 2);
    text(36, "data");
    le(40, dataBytes, 4);
    return h;
}

int PrepareCancelerJob(const std::string& original, const std::string& inst, const std::string& output,
                       const CancelerSettings& settings, CancelerJob& job) {
    ReleaseCancelerJob(job);
    if (output.empty()) return 3;
    job.settings = settings;
    job.output_path = output;
    const bool needsInst = settings.mode != kCancelKaraoke;
    if (!OpenWaveStream(original, job.original, true) || (needsInst && !OpenWaveStream(inst, job.inst, true))) {
        ReleaseCancelerJob(job);
        return 1;
    }
    const WaveSource& o = job.original;
    const WaveSource& i = job.inst;
    bool usable = o.bitsPerSample == 16 && o.sampleRate > 0 && o.channels >= 1;
    if (settings.mode != kCancelWithInst) usable = usable && o.channels == 2;
    if (!usable) {
        ReleaseCancelerJob(job);
        return 1;
    }
    if (settings.mode == kCancelWithInst &&
        (i.sampleRate != o.sampleRate || i.bitsPerSample != o.bitsPerSample || i.channels != o.channels)) {
        ReleaseCancelerJob(job);
        return 2;
    }
    return 0;
}

void ReleaseCancelerJob(CancelerJob& job) {
    ResetWaveSource(job.original);
    ResetWaveSource(job.inst);
}

int RunCanceler(CancelerJob& job, CancelerView& view, const std::atomic<int>& worker, std::uint32_t* bestOffset) {
    Output out;
    out.buffer = Allocate(CancelerBlockBytes);
    if (!out.buffer) {
        view.Message(kWriteError, kErrorCaption);
        ReleaseCancelerJob(job);
        return kCancelFailed;
    }
    out.file = OpenBinaryFile(job.output_path, "wb");
    if (!out.file) {
        view.Message("Cannot create the output file", kErrorCaption);
        ReleaseCancelerJob(job);
        return kCancelFailed;
    }
    const auto rate = static_cast<std::uint32_t>(job.original.sampleRate);
    const bool mono = job.settings.mode != kCancelWithInst;
    const auto channels = static_cast<std::uint16_t>(mono ? 1 : job.original.channels);
    // A run that stops early leaves a well-formed but empty file.
    const auto placeholder = CancelerHeader(rate, channels, 0);
    if (std::fwrite(placeholder.data(), 1, placeholder.size(), out.file) < placeholder.size()) {
        view.Message(kWriteError, kErrorCaption);
        out.failed = true;
    }
    view.ResetWorkProgress();
    const int result = job.settings.mode == kCancelWithInst ? RunWithInst(job, view, worker, out, bestOffset)
                                                            : RunMonoMode(job, view, worker, out);
    if (result == kCancelDone) out.Finish(rate, channels);
    ReleaseCancelerJob(job);
    return out.failed ? kCancelFailed : result;
}
