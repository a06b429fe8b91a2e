// Decoding of pictures made here with the reference encoders: every PNG
// layout, JPEG baseline/progressive/grey, BMP depths in both row orders, and
// damaged files of each kind.

#include "platform/PictureDecoder.h"
#include "PictureWriter.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>

namespace {

using namespace test_pictures;
using platform::Picture;
using platform::PictureError;

// A value that varies over x, y and channel, so that swapped channels,
// mirrored rows or shifted pixels all show; the odd factor spreads it over
// the whole range of any sample depth.
std::uint16_t Pattern(int x, int y, int channel, int maxValue) {
    const int step = x * 37 + y * 101 + channel * 53 + 11;
    return static_cast<std::uint16_t>(step * 4099 % (maxValue + 1));
}

template <typename Case> std::string CaseName(const testing::TestParamInfo<Case>& tested) {
    return tested.param.name;
}

void ExpectWellFormed(const Picture& picture) {
    const auto pixels = static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height);
    EXPECT_EQ(picture.Rgb.size(), pixels * 3);
    EXPECT_TRUE(picture.Alpha.empty() || picture.Alpha.size() == pixels);
}

// ---- PNG: the decoded picture against a model of the format's rules ----

struct PngCase {
    const char* name;
    int colourType;
    int bitDepth;
    bool interlaced = false;
    bool transparency = false; // tRNS: alpha per palette entry, or a colour key
};

class PngLayout : public testing::TestWithParam<PngCase> {};

int ChannelsOf(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

std::uint8_t To8Bits(std::uint16_t sample, int bitDepth) {
    const int maxValue = (1 << bitDepth) - 1;
    return static_cast<std::uint8_t>(std::lround(sample * 255.0 / maxValue));
}

Rgb PaletteEntry(int index) {
    return {static_cast<std::uint8_t>(index * 7), static_cast<std::uint8_t>(255 - index),
            static_cast<std::uint8_t>(index * 13 + 5)};
}

struct PngFixture {
    PngImage image;
    Picture expected;
};

PngFixture MakePng(const PngCase& c) {
    const int width = c.interlaced ? 11 : 7; // 11 x 9 touches all seven interlace passes
    const int height = c.interlaced ? 9 : 5;
    const int channels = ChannelsOf(c.colourType);
    const bool palette = c.colourType == PNG_COLOR_TYPE_PALETTE;
    const int maxSample = (1 << c.bitDepth) - 1; // for a palette: the highest index
    const bool keyed = c.transparency && !palette;
    const bool hasAlpha = c.transparency || (c.colourType & PNG_COLOR_MASK_ALPHA) != 0;

    PngFixture f{{.width = width,
                  .height = height,
                  .bitDepth = c.bitDepth,
                  .colourType = c.colourType,
                  .interlaced = c.interlaced},
                 {}};
    f.expected = Picture{width, height, {}, {}};
    for (int i = 0; palette && i <= maxSample; ++i)
        f.image.palette.push_back(PaletteEntry(i));
    for (int i = 0; palette && c.transparency && i < maxSample / 2; ++i)
        f.image.paletteAlpha.push_back(static_cast<std::uint8_t>(i * 9)); // later entries stay opaque
    if (keyed)
        f.image.transparentKey = {Pattern(1, 1, 0, maxSample), Pattern(1, 1, 1, maxSample),
                                  Pattern(1, 1, 2, maxSample)};

    for (int y = 0; y < height; ++y) {
        std::vector<std::uint16_t> samples;
        for (int x = 0; x < width; ++x) {
            std::array<std::uint16_t, 4> s{};
            for (int ch = 0; ch < channels; ++ch)
                samples.push_back(s[ch] = Pattern(x, y, ch, maxSample));
            Rgb rgb{};
            std::uint8_t alpha = 255;
            if (palette) {
                rgb = PaletteEntry(s[0]);
                alpha = s[0] < f.image.paletteAlpha.size() ? f.image.paletteAlpha[s[0]] : 255;
            } else {
                const bool grey = channels <= 2;
                for (int ch = 0; ch < 3; ++ch)
                    rgb[ch] = To8Bits(s[grey ? 0 : ch], c.bitDepth);
                if (channels == 2 || channels == 4)
                    alpha = To8Bits(s[channels - 1], c.bitDepth);
                const auto& key = f.image.transparentKey;
                if (keyed && (grey ? s[0] == (*key)[0] : std::equal(s.begin(), s.begin() + 3, key->begin())))
                    alpha = 0;
            }
            f.expected.Rgb.insert(f.expected.Rgb.end(), rgb.begin(), rgb.end());
            if (hasAlpha)
                f.expected.Alpha.push_back(alpha);
        }
        f.image.rows.push_back(PackSamples(samples, c.bitDepth));
    }
    return f;
}

TEST_P(PngLayout, DecodesToExactRgbAndAlpha) {
    const PngFixture f = MakePng(GetParam());
    const Bytes file = EncodePng(f.image);
    const Picture picture = platform::DecodePng(file.data(), file.size(), "test.png");
    ExpectWellFormed(picture);
    EXPECT_EQ(picture.Width, f.expected.Width);
    EXPECT_EQ(picture.Height, f.expected.Height);
    EXPECT_EQ(picture.Rgb, f.expected.Rgb);
    EXPECT_EQ(picture.HasAlpha(), f.expected.HasAlpha());
    EXPECT_EQ(picture.Alpha, f.expected.Alpha);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, PngLayout,
    testing::Values(
        PngCase{"Grey1", PNG_COLOR_TYPE_GRAY, 1}, PngCase{"Grey2", PNG_COLOR_TYPE_GRAY, 2},
        PngCase{"Grey4", PNG_COLOR_TYPE_GRAY, 4}, PngCase{"Grey8", PNG_COLOR_TYPE_GRAY, 8},
        PngCase{"Grey16", PNG_COLOR_TYPE_GRAY, 16}, PngCase{"GreyKey", PNG_COLOR_TYPE_GRAY, 8, false, true},
        PngCase{"GreyAlpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
        PngCase{"GreyAlpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16}, PngCase{"Palette4", PNG_COLOR_TYPE_PALETTE, 4},
        PngCase{"Palette8", PNG_COLOR_TYPE_PALETTE, 8},
        PngCase{"PaletteAlpha8", PNG_COLOR_TYPE_PALETTE, 8, false, true},
        PngCase{"Rgb8", PNG_COLOR_TYPE_RGB, 8}, PngCase{"Rgb16", PNG_COLOR_TYPE_RGB, 16},
        PngCase{"RgbKey", PNG_COLOR_TYPE_RGB, 8, false, true}, PngCase{"Rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8},
        PngCase{"Rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16},
        PngCase{"InterlacedGrey2", PNG_COLOR_TYPE_GRAY, 2, true},
        PngCase{"InterlacedPaletteAlpha", PNG_COLOR_TYPE_PALETTE, 8, true, true},
        PngCase{"InterlacedRgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, true}),
    CaseName<PngCase>);

// ---- JPEG: lossy, so compared within a tolerance ----

struct JpegCase {
    const char* name;
    JpegOptions options;
};

class JpegLayout : public testing::TestWithParam<JpegCase> {};

TEST_P(JpegLayout, DecodesCloseToThePictureItWasMadeFrom) {
    // Smooth ramps survive chroma subsampling and quantisation nearly intact;
    // 30 x 22 leaves partial blocks at the right and bottom edges.
    constexpr int Width = 30, Height = 22, Tolerance = 10;
    const JpegOptions& options = GetParam().options;
    const int components = options.grey ? 1 : 3;
    Bytes source;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            for (int ch = 0; ch < components; ++ch)
                source.push_back(static_cast<std::uint8_t>(ch == 0 ? x * 8 : ch == 1 ? y * 10 : 200 - x * 3));

    const Bytes file = EncodeJpeg(Width, Height, source, options);
    const Picture picture = platform::DecodeJpeg(file.data(), file.size(), "test.jpg");
    ExpectWellFormed(picture);
    ASSERT_EQ(picture.Width, Width);
    ASSERT_EQ(picture.Height, Height);
    EXPECT_FALSE(picture.HasAlpha());
    int worst = 0;
    for (std::size_t i = 0; i < picture.Rgb.size(); ++i) {
        const std::size_t pixel = i / 3;
        const std::size_t channel = options.grey ? 0 : i % 3;
        worst = std::max(worst, std::abs(picture.Rgb[i] - source[pixel * components + channel]));
    }
    EXPECT_LE(worst, Tolerance);
}

INSTANTIATE_TEST_SUITE_P(Pictures, JpegLayout,
                         testing::Values(JpegCase{"Baseline", {}}, JpegCase{"Progressive", {true}},
                                         JpegCase{"Grey", {false, true}},
                                         JpegCase{"ProgressiveGrey", {true, true}}),
                         CaseName<JpegCase>);

// ---- BMP: exact, never alpha, whatever the row order ----

struct BmpCase {
    const char* name;
    int bitsPerPixel;
    bool topDown;
};

class BmpLayout : public testing::TestWithParam<BmpCase> {};

TEST_P(BmpLayout, DecodesToExactRgbWithoutAlpha) {
    constexpr int Width = 5, Height = 3; // 5 pixels leave padding at the end of 8- and 24-bit rows
    const BmpCase& c = GetParam();
    BmpImage image{Width, Height, c.bitsPerPixel, c.topDown, {}, {}};
    Bytes expected;
    for (int i = 0; c.bitsPerPixel == 8 && i < 16; ++i)
        image.palette.push_back(PaletteEntry(i));
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            if (c.bitsPerPixel == 8) {
                const std::uint16_t index = Pattern(x, y, 0, 15);
                image.pixels.push_back(static_cast<std::uint8_t>(index));
                const Rgb rgb = PaletteEntry(index);
                expected.insert(expected.end(), rgb.begin(), rgb.end());
                continue;
            }
            for (int ch = 0; ch < 3; ++ch) {
                image.pixels.push_back(static_cast<std::uint8_t>(Pattern(x, y, ch, 255)));
                expected.push_back(image.pixels.back());
            }
            if (c.bitsPerPixel == 32)
                image.pixels.push_back(
                    static_cast<std::uint8_t>(x * 60)); // a fourth byte that must not matter
        }
    }
    const Bytes file = EncodeBmp(image);
    const Picture picture = platform::DecodeBmp(file.data(), file.size(), "test.bmp");
    ExpectWellFormed(picture);
    EXPECT_EQ(picture.Width, Width);
    EXPECT_EQ(picture.Height, Height);
    EXPECT_FALSE(picture.HasAlpha());
    EXPECT_EQ(picture.Rgb, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, BmpLayout,
    testing::Values(BmpCase{"Palette8BottomUp", 8, false}, BmpCase{"Palette8TopDown", 8, true},
                    BmpCase{"Rgb24BottomUp", 24, false}, BmpCase{"Rgb24TopDown", 24, true},
                    BmpCase{"Rgb32BottomUp", 32, false}, BmpCase{"Rgb32TopDown", 32, true}),
    CaseName<BmpCase>);

// ---- Damaged files: a PictureError naming the file and the fault ----

Bytes SmallPng(int width = 6, int height = 4) {
    PngImage image{.width = width, .height = height, .bitDepth = 8, .colourType = PNG_COLOR_TYPE_RGB};
    for (int y = 0; y < height; ++y) {
        std::vector<std::uint16_t> samples;
        for (int x = 0; x < width * 3; ++x)
            samples.push_back(Pattern(x, y, 0, 255));
        image.rows.push_back(PackSamples(samples, 8));
    }
    return EncodePng(image);
}

Bytes SmallJpeg() {
    constexpr int Width = 24, Height = 16;
    Bytes pixels;
    for (int i = 0; i < Width * Height * 3; ++i)
        pixels.push_back(static_cast<std::uint8_t>(Pattern(i, i / 7, 0, 255)));
    return EncodeJpeg(Width, Height, pixels, {});
}

Bytes SmallBmp() {
    BmpImage image{6, 4, 24, false, {}, Bytes(6 * 4 * 3, 0x7F)};
    return EncodeBmp(image);
}

Bytes Cut(Bytes bytes, std::size_t keep) {
    bytes.resize(keep);
    return bytes;
}

template <typename Patch> Bytes Patched(Bytes bytes, Patch patch) {
    patch(bytes);
    return bytes;
}

using Decoder = std::function<Picture(const std::uint8_t*, std::size_t, const std::string&)>;

struct DamagedCase {
    const char* name;
    Decoder decode;
    Bytes file;
    std::string expectedMessage; // a trailing '*' accepts any detail after it
};

void ExpectPictureError(const DamagedCase& c) {
    SCOPED_TRACE(c.name);
    try {
        c.decode(c.file.data(), c.file.size(), "stages/0001/Map.x");
        ADD_FAILURE() << "decoded without error";
    } catch (const PictureError& error) {
        const std::string message = error.what();
        const std::string expected = "stages/0001/Map.x " + c.expectedMessage;
        if (expected.back() == '*')
            EXPECT_EQ(message.substr(0, expected.size() - 1), expected.substr(0, expected.size() - 1))
                << message;
        else
            EXPECT_EQ(message, expected);
    }
}

TEST(DamagedPicture, PngFaultsAreNamed) {
    const Bytes png = SmallPng();
    const DamagedCase cases[] = {
        {"empty", platform::DecodePng, {}, "is empty"},
        {"signature", platform::DecodePng, SmallJpeg(), "is not a PNG file"},
        {"signature only", platform::DecodePng, Cut(png, 8), "is truncated"},
        {"half", platform::DecodePng, Cut(png, png.size() / 2), "is truncated"},
        {"no end chunk", platform::DecodePng, Cut(png, png.size() - 12), ""},
        {"absurd", platform::DecodePng, Patched(png, [](Bytes& b) { SetPngSize(b, 100000, 100000); }),
         "has absurd dimensions 100000 x 100000"},
        {"side", platform::DecodePng, Patched(png, [](Bytes& b) { SetPngSize(b, 16385, 1); }),
         "has absurd dimensions 16385 x 1"},
        {"pixels", platform::DecodePng, Patched(png, [](Bytes& b) { SetPngSize(b, 16384, 4097); }),
         "has absurd dimensions 16384 x 4097"},
        {"claims more than it holds", platform::DecodePng,
         Patched(png, [](Bytes& b) { SetPngSize(b, 4000, 4000); }), "is truncated"},
        {"bad checksum", platform::DecodePng, Patched(png, [](Bytes& b) { b[b.size() - 20] ^= 0x55; }),
         "is damaged: *"},
    };
    for (const DamagedCase& c : cases) {
        if (c.expectedMessage.empty()) { // complete pixels without the end chunk are accepted
            EXPECT_NO_THROW(c.decode(c.file.data(), c.file.size(), "x.png")) << c.name;
            continue;
        }
        ExpectPictureError(c);
    }
}

TEST(DamagedPicture, JpegFaultsAreNamed) {
    const Bytes jpeg = SmallJpeg();
    const DamagedCase cases[] = {
        {"empty", platform::DecodeJpeg, {}, "is empty"},
        {"signature", platform::DecodeJpeg, SmallPng(), "is not a JPEG file"},
        {"start marker only", platform::DecodeJpeg, Cut(jpeg, 2), "is truncated"},
        {"half", platform::DecodeJpeg, Cut(jpeg, jpeg.size() / 2), "is truncated"},
        {"absurd", platform::DecodeJpeg, Patched(jpeg, [](Bytes& b) { SetJpegSize(b, 60000, 60000); }),
         "has absurd dimensions 60000 x 60000"},
        {"zero height", platform::DecodeJpeg, Patched(jpeg, [](Bytes& b) { SetJpegSize(b, 24, 0); }),
         "is damaged: *"},
    };
    for (const DamagedCase& c : cases)
        ExpectPictureError(c);
}

// A progressive file that repeats its last scan without end would cost a
// pass over the picture per scan; it is refused instead of decoded for ages.
TEST(DamagedPicture, JpegWithEndlessScansIsRefused) {
    Bytes pixels(16 * 16 * 3, 0x80);
    Bytes jpeg = EncodeJpeg(16, 16, pixels, {.progressive = true});
    std::size_t lastScan = jpeg.size() - 2;
    while (!(jpeg[lastScan] == 0xFF && jpeg[lastScan + 1] == 0xDA)) // start of scan; never inside coded data
        --lastScan;
    const Bytes scan(jpeg.begin() + static_cast<std::ptrdiff_t>(lastScan), jpeg.end() - 2);
    for (int copy = 0; copy < 600; ++copy)
        jpeg.insert(jpeg.end() - 2, scan.begin(), scan.end());
    ExpectPictureError({"endless scans", platform::DecodeJpeg, jpeg, "has more than 500 scans"});
}

TEST(DamagedPicture, BmpFaultsAreNamed) {
    const Bytes bmp = SmallBmp();
    const DamagedCase cases[] = {
        {"empty", platform::DecodeBmp, {}, "is empty"},
        {"signature", platform::DecodeBmp, SmallPng(), "is not a BMP file"},
        {"file header only", platform::DecodeBmp, Cut(bmp, 14), "is truncated"},
        {"half", platform::DecodeBmp, Cut(bmp, bmp.size() / 2), "is truncated"},
        {"absurd", platform::DecodeBmp, Patched(bmp, [](Bytes& b) { SetBmpSize(b, 100000, 100000); }),
         "has absurd dimensions 100000 x 100000"},
        {"absurd top-down", platform::DecodeBmp, Patched(bmp, [](Bytes& b) { SetBmpSize(b, 20000, -20000); }),
         "has absurd dimensions 20000 x 20000"},
        {"no width", platform::DecodeBmp, Patched(bmp, [](Bytes& b) { SetBmpSize(b, 0, 4); }),
         "has absurd dimensions 0 x 4"},
    };
    for (const DamagedCase& c : cases)
        ExpectPictureError(c);
}

TEST(PictureLimits, LargestSideIsAccepted) {
    PngImage image{
        .width = platform::MaxPictureSide, .height = 1, .bitDepth = 8, .colourType = PNG_COLOR_TYPE_GRAY};
    image.rows.push_back(Bytes(platform::MaxPictureSide, 0x42));
    const Bytes file = EncodePng(image);
    const Picture picture = platform::DecodePng(file.data(), file.size(), "wide.png");
    EXPECT_EQ(picture.Width, platform::MaxPictureSide);
    EXPECT_EQ(picture.Rgb, Bytes(platform::MaxPictureSide * 3, 0x42));
}

// ---- Files: the extension picks the decoder; the file system's faults ----

class PictureFiles : public testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::path(testing::TempDir()) /
                  ("pictures-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    std::filesystem::path folder_;
};

TEST_F(PictureFiles, ExtensionChoosesTheDecoder) {
    const Bytes png = SmallPng(), jpeg = SmallJpeg(), bmp = SmallBmp();
    EXPECT_EQ(platform::LoadPicture(Write("a.png", png)).Rgb,
              platform::DecodePng(png.data(), png.size(), "").Rgb);
    EXPECT_EQ(platform::LoadPicture(Write("b.JPG", jpeg)).Rgb,
              platform::DecodeJpeg(jpeg.data(), jpeg.size(), "").Rgb);
    EXPECT_EQ(platform::LoadPicture(Write("c.Bmp", bmp)).Rgb,
              platform::DecodeBmp(bmp.data(), bmp.size(), "").Rgb);
    // The content must match the extension: a PNG named .jpg is an error.
    const std::string misnamed = Write("d.jpg", png);
    EXPECT_THROW(platform::LoadPicture(misnamed), PictureError);
}

TEST_F(PictureFiles, FileFaultsNameTheFile) {
    const std::string missing = (folder_ / "missing.png").string();
    const std::string empty = Write("empty.bmp", {});
    const std::string unknown = Write("picture.gif", SmallPng());
    const std::pair<std::string, std::string> cases[] = {
        {missing, "cannot open " + missing + ": No such file or directory"},
        {folder_.string() + "/sub.png", "cannot open " + folder_.string() + "/sub.png: not a regular file"},
        {folder_.string() + "/pipe.jpg", "cannot open " + folder_.string() + "/pipe.jpg: not a regular file"},
        {empty, empty + " is empty"},
        {unknown, unknown + " is not a picture type we read (.png, .jpg or .bmp)"},
    };
    std::filesystem::create_directory(folder_ / "sub.png");
    ASSERT_EQ(::mkfifo((folder_ / "pipe.jpg").c_str(), 0600), 0); // opening it must not wait for a writer
    for (const auto& [path, message] : cases) {
        try {
            platform::LoadPicture(path);
            ADD_FAILURE() << path << " loaded";
        } catch (const PictureError& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
}

} // namespace
