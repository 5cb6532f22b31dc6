// Writing PCM WAV files: the one 44-byte header, fields little-endian, and a whole file at once.
#ifndef HARMOLAB_WAVETOOLS_WAVE_WRITER_H
#define HARMOLAB_WAVETOOLS_WAVE_WRITER_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

constexpr std::size_t kWaveHeaderBytes = 44;
using WaveHeader = std::array<std::uint8_t, kWaveHeaderBytes>;

// The header of a PCM file: "RIFF", RIFF size dataBytes + 36 (saturated at 4 GB), "WAVE", a
// 16-byte "fmt " chunk (tag 1, channels, rate, byte rate rate x channels x bits / 8, block align
// channels x bits / 8, bits), "data" and dataBytes.
WaveHeader MakeWaveHeader(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits, std::uint32_t dataBytes);

// Creates the file at a UTF-8 path holding the header and dataBytes sample bytes. False when the
// file can't be created or a write fails (a full disk may only show when the file is closed).
bool WriteWaveFile(const std::string& path, std::uint32_t rate, std::uint16_t channels, std::uint16_t bits,
                   const std::uint8_t* data, std::uint32_t dataBytes);

#endif
