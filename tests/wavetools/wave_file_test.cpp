// WAV readers and writers against files made byte by byte.
#include "wavetools/wave_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/wavetools/wave_bytes.h"

namespace {

std::vector<std::uint8_t> FileContents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes.at(at + i);
    return value;
}

// True when `bytes` holds the test samples starting at data position `from`.
bool HoldsSamples(const std::uint8_t* bytes, std::uint32_t from, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        if (bytes[i] != SampleByte(from + i)) return false;
    }
    return true;
}

class WaveFileTest : public ::testing::Test {
  protected:
    void TearDown() override {
        ResetWaveSource(source);
        std::filesystem::remove(path);
    }
    const std::string& Write(const WaveRecipe& recipe, std::size_t keep = SIZE_MAX) {
        std::vector<std::uint8_t> bytes = WaveBytes(recipe);
        bytes.resize(std::min(keep, bytes.size()));
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }
    std::string path = ::testing::TempDir() + "harmolab_" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav";
    WaveSource source;
};

TEST_F(WaveFileTest, WhichFilesEachReaderAccepts) {
    const struct {
        const char* name;
        void (*edit)(WaveRecipe&);
        std::size_t keep;
        bool load, stream, headerOnly;
    } cases[] = {
        {"mono 16-bit", [](WaveRecipe&) {}, SIZE_MAX, true, true, true},
        {"stereo 8-bit", [](WaveRecipe& s) { s.channels = 2, s.bits = 8; }, SIZE_MAX, true, true, true},
        {"24-bit", [](WaveRecipe& s) { s.bits = 24; }, SIZE_MAX, true, true, true},
        {"format with extension size", [](WaveRecipe& s) { s.formatBytes = 18; }, SIZE_MAX, false, true,
         true},
        {"format of 20 bytes", [](WaveRecipe& s) { s.formatBytes = 20; }, SIZE_MAX, false, false, false},
        {"floating point", [](WaveRecipe& s) { s.tag = 3; }, SIZE_MAX, false, false, false},
        {"tag 257", [](WaveRecipe& s) { s.tag = 0x0101; }, SIZE_MAX, false, false, false},
        {"3 channels", [](WaveRecipe& s) { s.channels = 3; }, SIZE_MAX, false, false, false},
        {"0 channels", [](WaveRecipe& s) { s.channels = 0; }, SIZE_MAX, false, false, false},
        {"257 channels", [](WaveRecipe& s) { s.channels = 0x0101; }, SIZE_MAX, false, false, false},
        {"rate 0", [](WaveRecipe& s) { s.rate = 0; }, SIZE_MAX, false, false, false},
        {"rate 1000001", [](WaveRecipe& s) { s.rate = 1000001; }, SIZE_MAX, false, false, false},
        {"0 bits", [](WaveRecipe& s) { s.bits = 0; }, SIZE_MAX, false, false, false},
        {"12 bits", [](WaveRecipe& s) { s.bits = 12; }, SIZE_MAX, false, false, false},
        {"RIFX", [](WaveRecipe& s) { s.riff = "RIFX"; }, SIZE_MAX, false, false, false},
        {"AVI", [](WaveRecipe& s) { s.wave = "AVI "; }, SIZE_MAX, false, false, false},
        {"format not first", [](WaveRecipe& s) { s.fmt = "LIST"; }, SIZE_MAX, false, false, false},
        {"no data chunk", [](WaveRecipe& s) { s.hasData = false; }, SIZE_MAX, false, false, false},
        {"empty data chunk", [](WaveRecipe& s) { s.dataBytes = 0; }, SIZE_MAX, false, false, true},
        {"empty file", [](WaveRecipe&) {}, 0, false, false, false},
        {"cut in the header", [](WaveRecipe&) {}, 19, false, false, false},
        {"cut in the format", [](WaveRecipe&) {}, 30, false, false, false},
        {"cut in the data header", [](WaveRecipe&) {}, 43, false, false, false},
        {"cut in the samples", [](WaveRecipe&) {}, 50, true, true, true},
    };
    for (const auto& c : cases) {
        WaveRecipe recipe;
        recipe.dataBytes = 400;
        c.edit(recipe);
        Write(recipe, c.keep);
        EXPECT_EQ(LoadWaveFile(path, source), c.load) << c.name;
        ResetWaveSource(source);
        EXPECT_EQ(OpenWaveStream(path, source, false), c.stream) << c.name;
        ResetWaveSource(source);
        EXPECT_EQ(OpenWaveStream(path, source, true), c.headerOnly) << c.name;
        ResetWaveSource(source);
    }
}

TEST_F(WaveFileTest, LoadTakesTheSamplesAndSetsTheSharedFormatOnlyOnSuccess) {
    WaveRecipe recipe;
    recipe.channels = 2, recipe.bits = 8, recipe.rate = 22050, recipe.dataBytes = 301;
    recipe.extraBytes = 5;
    ASSERT_TRUE(LoadWaveFile(Write(recipe), source));
    EXPECT_EQ(source.bytesToQueue, 301u);
    EXPECT_EQ(source.bytesInFile, 0u);
    EXPECT_EQ(source.file, nullptr);
    EXPECT_EQ(source.readPos, source.buffer);
    EXPECT_TRUE(HoldsSamples(source.buffer, 0, 301));
    EXPECT_EQ(source.sampleRate, 22050);
    EXPECT_EQ(source.channels, 2);
    EXPECT_EQ(source.bitsPerSample, 8);

    const std::uint8_t* loaded = source.buffer;
    recipe.tag = 3;
    recipe.rate = 8000;
    EXPECT_FALSE(LoadWaveFile(Write(recipe), source));
    EXPECT_EQ(source.buffer, loaded);
    EXPECT_EQ(shared_output_format.rate, 22050);
    EXPECT_EQ(shared_output_format.channels_minus_one, 1);
    EXPECT_EQ(shared_output_format.bits, 8);
}

TEST_F(WaveFileTest, StreamFindsTheFirstSampleBehindOtherChunks) {
    const struct {
        std::uint32_t formatBytes, extraBytes;
        bool padded;
        std::uint32_t dataBytes;
        std::int32_t dataOffset;
    } cases[] = {
        {16, 0, true, 100, 44},
        {18, 0, true, 100, 46},
        {16, 26, true, 100, 78},
        {16, 27, true, 100, 80},
        {16, 27, false, 100, 79},
        // Unpadded, with a data size whose low byte is printable after "ata".
        {16, 27, false, 0x41, 79},
    };
    for (const auto& c : cases) {
        WaveRecipe recipe;
        recipe.formatBytes = c.formatBytes, recipe.extraBytes = c.extraBytes, recipe.padExtra = c.padded;
        recipe.dataBytes = c.dataBytes;
        ASSERT_TRUE(OpenWaveStream(Write(recipe), source, false)) << c.extraBytes;
        EXPECT_EQ(source.dataOffset, c.dataOffset) << c.extraBytes << " " << c.padded;
        EXPECT_EQ(source.viewPos, c.dataOffset);
        EXPECT_EQ(source.totalBytes, c.dataBytes);
        EXPECT_TRUE(HoldsSamples(source.buffer, 0, c.dataBytes));
    }
}

TEST_F(WaveFileTest, LongStreamBuffersOneBlockAndReadsOnFromTheFile) {
    WaveRecipe recipe;
    recipe.dataBytes = StreamBufferBytes + 1000;
    file_duration = {};
    ASSERT_TRUE(OpenWaveStream(Write(recipe), source, false));
    EXPECT_EQ(source.totalBytes, recipe.dataBytes);
    EXPECT_EQ(source.bytesToQueue, recipe.dataBytes);
    EXPECT_EQ(source.bytesInFile, 1000u);
    EXPECT_TRUE(HoldsSamples(source.buffer, 0, StreamBufferBytes));
    // The whole file: 5,121,000 bytes at 88,200 bytes per second.
    EXPECT_EQ(file_duration.seconds, 58);
    EXPECT_EQ(file_duration.milliseconds, 61);

    EXPECT_EQ(ReadWaveStream(source, StreamHalfBytes, StreamHalfBytes), 1000u);
    EXPECT_EQ(source.bytesInFile, 0u);
    EXPECT_TRUE(HoldsSamples(source.buffer + StreamHalfBytes, StreamBufferBytes, 1000));
    EXPECT_EQ(ReadWaveStream(source, 0, StreamHalfBytes), 0u);
}

TEST_F(WaveFileTest, HeaderOnlyStreamHasAnEmptyBufferAndTheWholeLength) {
    for (std::uint32_t bytes : {0u, 132300u}) {
        WaveRecipe recipe;
        recipe.dataBytes = bytes;
        file_duration = {1, 2, 3, 4};
        ASSERT_TRUE(OpenWaveStream(Write(recipe), source, true)) << bytes;
        EXPECT_EQ(source.bytesInFile, bytes);
        EXPECT_EQ(source.bufferBytes, StreamBufferBytes);
        EXPECT_EQ(source.buffer[0], 0);
        EXPECT_EQ(file_duration.seconds, bytes / 88200) << bytes;
        EXPECT_EQ(file_duration.milliseconds, bytes == 0 ? 0 : 500);
        EXPECT_EQ(file_duration.hours + file_duration.minutes, 0);
    }
}

TEST(WaveDuration, SplitsIntoHoursMinutesSecondsMilliseconds) {
    const struct {
        std::uint32_t bytes;
        int rate, channels, bits;
        int h, m, s, ms;
    } cases[] = {
        {88200, 44100, 1, 16, 0, 0, 1, 0},
        {26460, 44100, 1, 16, 0, 0, 0, 300},
        {4294967295u, 44100, 2, 16, 6, 45, 47, 887},
        {3661 * 8000 + 8, 8000, 1, 8, 1, 1, 1, 1},
        {1000, 0, 1, 16, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        FileDuration d = DurationOfData(c.bytes, c.rate, c.channels, c.bits);
        EXPECT_EQ(d.hours, c.h) << c.bytes;
        EXPECT_EQ(d.minutes, c.m) << c.bytes;
        EXPECT_EQ(d.seconds, c.s) << c.bytes;
        EXPECT_EQ(d.milliseconds, c.ms) << c.bytes;
    }
}

TEST_F(WaveFileTest, DataDeclaredBeyondTheFileEndsWithTheFile) {
    WaveRecipe recipe;
    recipe.dataBytes = 1000;
    recipe.declaredData = 0xFFFFFFFF;
    ASSERT_TRUE(LoadWaveFile(Write(recipe), source));
    EXPECT_EQ(source.bytesToQueue, 1000u);
    EXPECT_EQ(source.bufferBytes, 1000u);
    ASSERT_TRUE(OpenWaveStream(path, source, false));
    EXPECT_EQ(source.totalBytes, 1000u);
    EXPECT_EQ(source.bytesInFile, 0u);
    ASSERT_TRUE(OpenWaveStream(path, source, true));
    EXPECT_EQ(source.bytesInFile, 1000u);

    // A file that shrinks after opening (by more than the stdio buffer may hold): the data ends
    // where the file now does.
    recipe.dataBytes = 100000;
    ASSERT_TRUE(OpenWaveStream(Write(recipe), source, true));
    std::filesystem::resize_file(path, 44 + 40000);
    EXPECT_EQ(ReadWaveStream(source, 0, StreamBufferBytes), 40000u);
    EXPECT_EQ(source.bytesInFile, 0u);
    EXPECT_EQ(source.totalBytes, 40000u);
    EXPECT_EQ(source.bytesToQueue, 40000u);
}

TEST_F(WaveFileTest, SeeksAndPositionedReadsStayInsideDataAndBuffer) {
    WaveRecipe recipe;
    recipe.dataBytes = 3000;
    ASSERT_TRUE(OpenWaveStream(Write(recipe), source, true));
    ASSERT_TRUE(SeekWaveStream(source, 1000));
    EXPECT_EQ(source.bytesInFile, 2000u);
    EXPECT_EQ(source.bytesToQueue, 2000u);
    std::uint8_t view[16];
    EXPECT_EQ(ReadWaveAt(source, source.dataOffset + 2995, view, sizeof view), 5u);
    EXPECT_TRUE(HoldsSamples(view, 2995, 5));
    EXPECT_EQ(ReadWaveAt(source, source.dataOffset - 1, view, sizeof view), 0u);
    EXPECT_EQ(ReadWaveAt(source, source.dataOffset + 3000, view, sizeof view), 0u);
    // The positioned read does not move the stream.
    EXPECT_EQ(ReadWaveStream(source, 0, 500), 500u);
    EXPECT_TRUE(HoldsSamples(source.buffer, 1000, 500));
    EXPECT_EQ(ReadWaveStream(source, StreamBufferBytes - 10, 1000), 10u);
    EXPECT_TRUE(HoldsSamples(source.buffer + StreamBufferBytes - 10, 1500, 10));
    EXPECT_EQ(ReadWaveStream(source, StreamBufferBytes, 1000), 0u);
    ASSERT_TRUE(SeekWaveStream(source, 99999));
    EXPECT_EQ(source.bytesInFile, 0u);
}

TEST_F(WaveFileTest, ReopeningReplacesTheStreamAndAFailedOpenKeepsIt) {
    WaveRecipe recipe;
    recipe.dataBytes = 100;
    ASSERT_TRUE(OpenWaveStream(Write(recipe), source, false));
    std::FILE* first = source.file;
    EXPECT_FALSE(OpenWaveStream(path + ".missing", source, false));
    EXPECT_EQ(source.file, first);
    recipe.dataBytes = 200;
    ASSERT_TRUE(OpenWaveStream(Write(recipe), source, false));
    EXPECT_EQ(source.totalBytes, 200u);
}

TEST_F(WaveFileTest, ToneFilesDeclareWhatTheyHold) {
    const struct {
        std::uint32_t bytes;
        bool stereo;
        int lengthMs;
        bool written;
        std::uint32_t dataBytes;
    } cases[] = {
        {88200, false, 1000, true, 88200}, {176400, true, 1000, true, 176400}, {882, false, 10, true, 882},
        {1323, false, 15, true, 1322},     {1322, true, 15, true, 1320},       {441, false, 5, false, 0},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path);
        std::vector<std::uint8_t> tone(c.bytes);
        for (std::uint32_t i = 0; i < c.bytes; ++i) tone[i] = SampleByte(i);
        ASSERT_EQ(WriteToneWave(path, tone.data(), c.bytes, c.lengthMs, c.stereo), c.written) << c.bytes;
        if (!c.written) {
            EXPECT_FALSE(std::filesystem::exists(path));
            continue;
        }
        const std::vector<std::uint8_t> file = FileContents(path);
        const std::uint32_t channels = c.stereo ? 2 : 1;
        EXPECT_EQ(file.size(), c.dataBytes + 44) << c.bytes;
        EXPECT_EQ(Le(file, 4, 4), c.dataBytes + 36);
        EXPECT_EQ(Le(file, 40, 4), c.dataBytes);
        EXPECT_EQ(Le(file, 22, 2), channels);
        EXPECT_EQ(Le(file, 24, 4), 44100u);
        EXPECT_EQ(Le(file, 28, 4), 88200u * channels);
        EXPECT_EQ(Le(file, 32, 2), 2 * channels);
        EXPECT_EQ(Le(file, 34, 2), 16u);
        ASSERT_TRUE(LoadWaveFile(path, source));
        EXPECT_EQ(source.channels, static_cast<int>(channels));
        EXPECT_TRUE(HoldsSamples(source.buffer, 0, c.dataBytes));
    }
}

TEST_F(WaveFileTest, UnopenableFilesFail) {
    EXPECT_FALSE(LoadWaveFile(path + ".missing", source));
    EXPECT_FALSE(OpenWaveStream(path + ".missing", source, true));
    std::uint8_t tone[882] = {};
    EXPECT_FALSE(WriteToneWave(path + ".missing/tone.wav", tone, sizeof tone, 1000, false));
}

}  // namespace
