// The WAV reader on buffered standard I/O, fields assembled byte by byte.
#include "wavetools/wave_file.h"

#include <algorithm>
#include <cstring>

#include "app/utf8_file.h"

namespace {

// A higher rate is a broken header, not a recording; up to it, every byte rate (and even two
// minutes' worth of bytes) fits the 32-bit arithmetic of the tools that use the format.
constexpr std::uint32_t kMaxRate = 1000000;
constexpr std::int64_t kMaxDataOffset = 0x7FFFFFFF;  // dataOffset and viewPos are int32

constexpr std::uint32_t kHeaderBytes = 20;  // "RIFF", size, "WAVE", "fmt ", format size
constexpr std::uint32_t kChunkHeaderBytes = 8;

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool IsId(const std::uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

bool IsPrintableId(const std::uint8_t* p) {
    return std::all_of(p, p + 4, [](std::uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

// 64-bit positions: a WAV file may reach 4 GB, and the 32-bit Windows long stops at 2.
bool SeekTo(std::FILE* file, std::int64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, offset, SEEK_SET) == 0;
#else
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
#endif
}

std::int64_t FileBytes(std::FILE* file) {
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
    std::int64_t size = _ftelli64(file);
#else
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    std::int64_t size = std::ftell(file);
#endif
    if (!SeekTo(file, 0)) return -1;
    return size;
}

struct WaveLayout {
    std::int32_t rate = 0;
    std::int32_t bits = 0;
    std::int32_t channels = 0;
    std::int64_t dataOffset = 0;
    std::uint32_t dataBytes = 0;  // as far as the file actually holds them
};

// Whether an odd-sized chunk ending at `end` is followed by its pad byte. RIFF wants one, but
// some writers leave it out; their next identifier then starts right at `end`.
bool HasPadByte(std::FILE* file, std::int64_t end) {
    std::uint8_t next[5];
    if (!SeekTo(file, end) || std::fread(next, 1, 5, file) != 5) return true;
    const std::uint8_t* unpadded = next;
    const std::uint8_t* padded = next + 1;
    if (IsPrintableId(unpadded) && !IsPrintableId(padded)) return false;
    // "ata" plus the first size byte can pass as printable, but a padded file would need 'd' as
    // its pad byte to show "data" here.
    if (IsId(unpadded, "data") && !IsId(padded, "data")) return false;
    return true;
}

// Checks the header and walks the chunks up to "data", leaving the file at its first byte.
bool ReadLayout(std::FILE* file, bool acceptFormat18, WaveLayout& layout) {
    const std::int64_t fileBytes = FileBytes(file);
    if (fileBytes < 0) return false;

    std::uint8_t head[kHeaderBytes];
    if (std::fread(head, 1, kHeaderBytes, file) != kHeaderBytes) return false;
    if (!IsId(head, "RIFF") || !IsId(head + 8, "WAVE") || !IsId(head + 12, "fmt ")) return false;
    const std::uint32_t formatBytes = Le32(head + 16);
    if (formatBytes != 16 && !(acceptFormat18 && formatBytes == 18)) return false;

    std::uint8_t format[18];
    if (std::fread(format, 1, formatBytes, file) != formatBytes) return false;
    const std::uint16_t tag = Le16(format);
    const std::uint16_t channels = Le16(format + 2);
    const std::uint32_t rate = Le32(format + 4);
    const std::uint16_t bits = Le16(format + 14);
    if (tag != 1) return false;
    if (channels != 1 && channels != 2) return false;
    if (rate == 0 || rate > kMaxRate) return false;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    layout.rate = static_cast<std::int32_t>(rate);
    layout.bits = bits;
    layout.channels = channels;

    std::int64_t offset = kHeaderBytes + formatBytes;
    for (;;) {
        std::uint8_t chunk[kChunkHeaderBytes];
        if (std::fread(chunk, 1, kChunkHeaderBytes, file) != kChunkHeaderBytes) return false;
        offset += kChunkHeaderBytes;
        const std::uint32_t size = Le32(chunk + 4);
        if (IsId(chunk, "data")) {
            if (offset > kMaxDataOffset) return false;
            layout.dataOffset = offset;
            layout.dataBytes = static_cast<std::uint32_t>(std::min<std::int64_t>(size, fileBytes - offset));
            return true;
        }
        std::int64_t next = offset + size;
        if (size % 2 == 1 && HasPadByte(file, next)) ++next;
        // A chunk that runs past the end leaves no room for the data chunk.
        if (next + kChunkHeaderBytes > fileBytes || !SeekTo(file, next)) return false;
        offset = next;
    }
}

}  // namespace

bool LoadWaveFile(const std::string& path, WaveSource& source) {
    std::FILE* file = OpenFileUtf8(path, "rb");
    if (!file) return false;
    WaveLayout layout;
    WaveSource loaded;
    bool ok = ReadLayout(file, false, layout) && layout.dataBytes > 0 && AllocateSourceBuffer(loaded, layout.dataBytes);
    if (ok) {
        loaded.bytesToQueue = static_cast<std::uint32_t>(std::fread(loaded.buffer, 1, layout.dataBytes, file));
        ok = loaded.bytesToQueue > 0;
    }
    std::fclose(file);
    if (!ok) {
        ResetWaveSource(loaded);
        return false;
    }
    loaded.sampleRate = layout.rate;
    loaded.bitsPerSample = layout.bits;
    loaded.channels = layout.channels;
    ResetWaveSource(source);
    source = loaded;
    shared_output_format.rate = layout.rate;
    shared_output_format.channels_minus_one = layout.channels - 1;
    shared_output_format.bits = layout.bits;
    return true;
}

bool OpenWaveStream(const std::string& path, WaveSource& source, bool headerOnly) {
    WaveSource opened;
    opened.file = OpenFileUtf8(path, "rb");
    if (!opened.file) return false;
    WaveLayout layout;
    bool ok = ReadLayout(opened.file, true, layout) && AllocateSourceBuffer(opened, StreamBufferBytes);
    if (ok) {
        opened.sampleRate = layout.rate;
        opened.bitsPerSample = layout.bits;
        opened.channels = layout.channels;
        opened.totalBytes = layout.dataBytes;
        opened.bytesToQueue = layout.dataBytes;
        opened.bytesInFile = layout.dataBytes;
        opened.dataOffset = static_cast<std::int32_t>(layout.dataOffset);
        opened.viewPos = opened.dataOffset;
        if (!headerOnly) ok = ReadWaveStream(opened, 0, StreamBufferBytes) > 0;
    }
    if (!ok) {
        ResetWaveSource(opened);
        return false;
    }
    // The whole file's length, however much of it is already buffered.
    file_duration = DataMilliseconds(opened.totalBytes, opened.sampleRate, opened.channels, opened.bitsPerSample);
    ResetWaveSource(source);
    source = opened;
    return true;
}

std::uint32_t ReadWaveStream(WaveSource& source, std::uint32_t offset, std::uint32_t maxBytes) {
    if (!source.file || !source.buffer || offset >= source.bufferBytes) return 0;
    const std::uint32_t wanted = std::min({maxBytes, source.bytesInFile, source.bufferBytes - offset});
    if (wanted == 0) return 0;
    // The position follows from the counters, so a ReadWaveAt in between does no harm.
    const std::int64_t position =
        std::int64_t{source.dataOffset} + (std::int64_t{source.totalBytes} - source.bytesInFile);
    std::uint32_t got = 0;
    if (SeekTo(source.file, position)) {
        got = static_cast<std::uint32_t>(std::fread(source.buffer + offset, 1, wanted, source.file));
    }
    source.bytesInFile -= got;
    if (got < wanted) {
        const std::uint32_t missing = source.bytesInFile;
        source.bytesInFile = 0;
        source.bytesToQueue -= std::min(missing, source.bytesToQueue);
        source.totalBytes -= std::min(missing, source.totalBytes);
    }
    return got;
}

bool SeekWaveStream(WaveSource& source, std::uint32_t position) {
    if (!source.file) return false;
    position = std::min(position, source.totalBytes);
    source.bytesInFile = source.totalBytes - position;
    source.bytesToQueue = source.bytesInFile;
    source.readPos = source.buffer;
    return SeekTo(source.file, std::int64_t{source.dataOffset} + position);
}

std::uint32_t ReadWaveAt(WaveSource& source, std::int64_t fileOffset, std::uint8_t* dest, std::uint32_t destBytes) {
    const std::int64_t dataEnd = std::int64_t{source.dataOffset} + source.totalBytes;
    if (!source.file || !dest || fileOffset < source.dataOffset || fileOffset >= dataEnd) return 0;
    const auto wanted = static_cast<std::uint32_t>(std::min<std::int64_t>(destBytes, dataEnd - fileOffset));
    if (!SeekTo(source.file, fileOffset)) return 0;
    return static_cast<std::uint32_t>(std::fread(dest, 1, wanted, source.file));
}
