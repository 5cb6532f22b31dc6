// WAV readers and writers against files made byte by byte.
#include "wavetools/wave_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "tests/wavetools/wave_bytes.h"
#include "wavetools/tone.h"

namespace {

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
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }
    std::string path =
        ::testing::TempDir() + "harmolab_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav";
    WaveSource source;
};

TEST_F(WaveFileTest, WhichFilesEachReaderAccepts) {
    const auto all = SIZE_MAX;
    const struct {
        const char* name;
        void (*edit)(WaveRecipe&);
        std::size_t keep;
        const char* accepted;  // by LoadWaveFile, OpenWaveStream, OpenWaveStream header only
    } cases[] = {
        {"24-bit", [](WaveRecipe& s) { s.bits = 24; }, all, "LSH"},
        {"format with extension size", [](WaveRecipe& s) { s.formatBytes = 18; }, all, "-SH"},
        {"format of 20 bytes", [](WaveRecipe& s) { s.formatBytes = 20; }, all, "---"},
        {"tag 257", [](WaveRecipe& s) { s.tag = 0x0101; }, all, "---"},
        {"3 channels", [](WaveRecipe& s) { s.channels = 3; }, all, "---"},
        {"0 channels", [](WaveRecipe& s) { s.channels = 0; }, all, "---"},
        {"257 channels", [](WaveRecipe& s) { s.channels = 0x0101; }, all, "---"},
        {"rate 0", [](WaveRecipe& s) { s.rate = 0; }, all, "---"},
        {"rate 1000001", [](WaveRecipe& s) { s.rate = 1000001; }, all, "---"},
        {"0 bits", [](WaveRecipe& s) { s.bits = 0; }, all, "---"},
        {"12 bits", [](WaveRecipe& s) { s.bits = 12; }, all, "---"},
        {"RIFX", [](WaveRecipe& s) { s.riff = "RIFX"; }, all, "---"},
        {"AVI", [](WaveRecipe& s) { s.wave = "AVI "; }, all, "---"},
        {"format not first", [](WaveRecipe& s) { s.fmt = "LIST"; }, all, "---"},
        {"no data chunk", [](WaveRecipe& s) { s.hasData = false; }, all, "---"},
        {"empty data chunk", [](WaveRecipe& s) { s.dataBytes = 0; }, all, "--H"},
        {"cut in the header", [](WaveRecipe&) {}, 19, "---"},
        {"cut in the data header", [](WaveRecipe&) {}, 43, "---"},
        {"cut in the samples", [](WaveRecipe&) {}, 50, "LSH"},
    };
    for (const auto& c : cases) {
        WaveRecipe recipe;
        recipe.dataBytes = 400;
        c.edit(recipe);
        Write(recipe, c.keep);
        std::string accepted = LoadWaveFile(path, source) ? "L" : "-";
        ResetWaveSource(source);
        accepted += OpenWaveStream(path, source, false) ? "S" : "-";
        ResetWaveSource(source);
        accepted += OpenWaveStream(path, source, true) ? "H" : "-";
        ResetWaveSource(source);
        EXPECT_EQ(accepted, c.accepted) << c.name;
    }
}

TEST_F(WaveFileTest, LoadTakesTheSamplesAndSetsTheSharedFormatOnlyOnSuccess) {
    WaveRecipe recipe;
    recipe.channels = 2, recipe.bits = 8, recipe.rate = 22050, recipe.dataBytes = 301;
    recipe.extraBytes = 5;
    ASSERT_TRUE(LoadWaveFile(Write(recipe), source));
    EXPECT_EQ(source.bytesToQueue, 301u);
    EXPECT_EQ(source.readPos, source.buffer);
    EXPECT_TRUE(HoldsSamples(source.buffer, 0, 301));

    const std::uint8_t* loaded = source.buffer;
    recipe.tag = 3;
    recipe.rate = 8000;
    EXPECT_FALSE(LoadWaveFile(Write(recipe), source));
    EXPECT_EQ(source.buffer, loaded);
    const SharedOutputFormat& shared = shared_output_format;
    EXPECT_EQ(std::make_tuple(shared.rate, shared.channels_minus_one, shared.bits), std::make_tuple(22050, 1, 8));
}

// Odd chunks with and without their pad byte; 0x41 makes the size after "ata" look like text.
TEST_F(WaveFileTest, StreamFindsTheFirstSampleBehindOtherChunks) {
    const struct {
        std::uint32_t formatBytes, extraBytes;
        bool padded;
        std::uint32_t dataBytes;
        std::int32_t dataOffset;
    } cases[] = {
        {16, 0, true, 100, 44},  {18, 0, true, 100, 46},   {16, 26, true, 100, 78},
        {16, 27, true, 100, 80}, {16, 27, false, 100, 79}, {16, 27, false, 0x41, 79},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.extraBytes << (c.padded ? " padded" : ""));
        WaveRecipe recipe;
        recipe.formatBytes = c.formatBytes, recipe.extraBytes = c.extraBytes, recipe.padExtra = c.padded;
        recipe.dataBytes = c.dataBytes;
        ASSERT_TRUE(OpenWaveStream(Write(recipe), source, false));
        EXPECT_EQ(source.dataOffset, c.dataOffset);
        EXPECT_EQ(source.totalBytes, c.dataBytes);
        EXPECT_TRUE(HoldsSamples(source.buffer, 0, c.dataBytes));
    }
}

TEST_F(WaveFileTest, StreamBuffersOneBlockOrNothingAndReadsOnFromTheFile) {
    WaveRecipe recipe;
    recipe.dataBytes = StreamBufferBytes + 1000;
    ASSERT_TRUE(OpenWaveStream(Write(recipe), source, false));
    EXPECT_EQ(source.bytesToQueue, recipe.dataBytes);
    EXPECT_EQ(source.bytesInFile, 1000u);
    EXPECT_TRUE(HoldsSamples(source.buffer, 0, StreamBufferBytes));
    EXPECT_EQ(ReadWaveStream(source, StreamHalfBytes, StreamHalfBytes), 1000u);
    EXPECT_EQ(source.bytesInFile, 0u);
    EXPECT_TRUE(HoldsSamples(source.buffer + StreamHalfBytes, StreamBufferBytes, 1000));
    EXPECT_EQ(ReadWaveStream(source, 0, StreamHalfBytes), 0u);

    file_duration = 0;
    ASSERT_TRUE(OpenWaveStream(path, source, true));
    EXPECT_EQ(source.bytesInFile, recipe.dataBytes);
    EXPECT_EQ(source.buffer[0], 0);
    // 5,121,000 bytes at 88,200 bytes per second.
    EXPECT_EQ(file_duration.load(), 58061);
}

TEST(WaveDuration, SplitsIntoHoursMinutesSecondsMilliseconds) {
    const struct {
        std::uint32_t bytes;
        int rate, channels, bits;
        int h, m, s, ms;
    } cases[] = {
        {4294967295u, 44100, 2, 16, 6, 45, 47, 887},
        {3661 * 8000 + 8, 8000, 1, 8, 1, 1, 1, 1},
        {1000, 0, 1, 16, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        FileDuration d = DurationOfData(c.bytes, c.rate, c.channels, c.bits);
        EXPECT_EQ(std::make_tuple(d.hours, d.minutes, d.seconds, d.milliseconds), std::make_tuple(c.h, c.m, c.s, c.ms))
            << c.bytes;
    }
}

TEST_F(WaveFileTest, DataEndsWithTheFile) {
    WaveRecipe recipe;
    recipe.dataBytes = 1000;
    recipe.declaredData = 0xFFFFFFFF;
    ASSERT_TRUE(LoadWaveFile(Write(recipe), source));
    EXPECT_EQ(source.bufferBytes, 1000u);
    ASSERT_TRUE(OpenWaveStream(path, source, false));
    EXPECT_EQ(source.totalBytes, 1000u);
    ASSERT_TRUE(OpenWaveStream(path, source, true));
    EXPECT_EQ(source.bytesInFile, 1000u);

    // A file that shrinks after opening, by more than the stdio buffer may hold.
    recipe.dataBytes = 100000;
    ASSERT_TRUE(OpenWaveStream(Write(recipe), source, true));
    std::filesystem::resize_file(path, 44 + 40000);
    EXPECT_EQ(ReadWaveStream(source, 0, StreamBufferBytes), 40000u);
    EXPECT_EQ(source.bytesInFile, 0u);
    EXPECT_EQ(source.totalBytes, 40000u);
}

TEST_F(WaveFileTest, SeeksAndReadsStayInsideDataAndBuffer) {
    WaveRecipe recipe;
    recipe.dataBytes = 3000;
    ASSERT_TRUE(OpenWaveStream(Write(recipe), source, true));
    ASSERT_TRUE(SeekWaveStream(source, 1000));
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
    ASSERT_TRUE(SeekWaveStream(source, 99999));
    EXPECT_EQ(source.bytesInFile, 0u);
    // A failed open keeps the stream it would have replaced.
    std::FILE* file = source.file;
    EXPECT_FALSE(OpenWaveStream(path + ".missing", source, true));
    EXPECT_FALSE(LoadWaveFile(path + ".missing", source));
    EXPECT_EQ(source.file, file);
}

// The written file is exactly what WaveBytes makes of the same format and the whole frames.
TEST_F(WaveFileTest, ToneFilesHoldWholeFrames) {
    const struct {
        std::uint32_t bytes;
        bool stereo;
        int lengthMs;
        std::uint32_t dataBytes;  // 0: refused as too short
    } cases[] = {
        {882, false, 10, 882},
        {1323, false, 15, 1322},
        {1322, true, 15, 1320},
        {441, false, 5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        std::filesystem::remove(path);
        std::vector<std::uint8_t> tone(c.bytes);
        for (std::uint32_t i = 0; i < c.bytes; ++i) tone[i] = SampleByte(i);
        ASSERT_EQ(WriteToneWave(path, tone.data(), c.bytes, c.lengthMs, c.stereo), c.dataBytes > 0);
        if (c.dataBytes == 0) {
            EXPECT_FALSE(std::filesystem::exists(path));
            continue;
        }
        WaveRecipe recipe;
        recipe.channels = c.stereo ? 2 : 1;
        recipe.dataBytes = c.dataBytes;
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}), WaveBytes(recipe));
    }
    std::uint8_t tone[882] = {};
    EXPECT_FALSE(WriteToneWave(path + ".missing/tone.wav", tone, sizeof tone, 1000, false));
}

}  // namespace
