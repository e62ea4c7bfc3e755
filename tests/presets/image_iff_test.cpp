#include <gtest/gtest.h>

#include <string>

#include "platform/pixel_bucket.h"
#include "presets/image_iff.h"
#include "presets/notify.h"
#include "tests/presets/image_test_support.h"

using namespace image_test;
using brush_images::PatternPicture;
using brush_images::SIffOptions;
using brush_images::WriteIff;

struct IffCase {
    const char* name;
    int width;
    int height;
    int channels;
    int tileWidth;
    int tileHeight;
    bool depthTiles;
    bool extraChunks;
};

void PrintTo(const IffCase& c, std::ostream* os) { *os << c.name; }

class IffRawAndRunLength : public ::testing::TestWithParam<IffCase> {};

namespace {

// A hand-made IFF file: one header and the given "TBMP" chunks.
struct IffBuilder {
    std::vector<uint8_t> tiles;

    void BE16(std::vector<uint8_t>& o, uint32_t v) {
        o.push_back(static_cast<uint8_t>(v >> 8));
        o.push_back(static_cast<uint8_t>(v));
    }
    void BE32(std::vector<uint8_t>& o, uint32_t v) {
        BE16(o, v >> 16);
        BE16(o, v & 0xFFFF);
    }
    void Tag(std::vector<uint8_t>& o, const char* t) { o.insert(o.end(), t, t + 4); }

    // A tile chunk with the given declared size (0: the body's own size).
    void Tile(const char* tag, int x1, int y1, int x2, int y2, const std::vector<uint8_t>& body, uint32_t size = 0) {
        Tag(tiles, tag);
        BE32(tiles, size ? size : static_cast<uint32_t>(8 + body.size()));
        BE16(tiles, x1);
        BE16(tiles, y1);
        BE16(tiles, x2);
        BE16(tiles, y2);
        tiles.insert(tiles.end(), body.begin(), body.end());
        while (tiles.size() % 4) tiles.push_back(0);
    }

    std::vector<uint8_t> File(uint32_t w, uint32_t h, uint32_t flags, uint32_t tileCount, uint32_t compression) {
        std::vector<uint8_t> o;
        Tag(o, "FOR4");
        BE32(o, 0);
        Tag(o, "CIMG");
        Tag(o, "TBHD");
        BE32(o, 24);
        BE32(o, w);
        BE32(o, h);
        BE16(o, 1);
        BE16(o, 1);
        BE32(o, flags);
        BE16(o, 0);
        BE16(o, tileCount);
        BE32(o, compression);
        Tag(o, "FOR4");
        BE32(o, static_cast<uint32_t>(tiles.size()));
        Tag(o, "TBMP");
        o.insert(o.end(), tiles.begin(), tiles.end());
        const uint32_t total = static_cast<uint32_t>(o.size() - 12);
        for (int i = 0; i < 4; ++i) o[4 + i] = static_cast<uint8_t>(total >> (24 - 8 * i));
        return o;
    }
};

std::vector<std::string> gNotes;
void RecordNote(const char* message) { gNotes.emplace_back(message); }

// A picture with flat areas so that run-length tiles really shrink.
SPicture Patchy(int w, int h) {
    SPicture p = PatternPicture(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if ((x / 5 + y / 3) % 2 == 0) {
                uint8_t* px = p.At(x, y);
                px[0] = 90;
                px[1] = 160;
                px[2] = 30;
                px[3] = 255;
            }
        }
    }
    return p;
}

}  // namespace

TEST_P(IffRawAndRunLength, BothCodingsGiveTheSameUprightPixels) {
    const IffCase& c = GetParam();
    const SPicture p = Patchy(c.width, c.height);
    SIffOptions opt;
    opt.channels = c.channels;
    opt.tileWidth = c.tileWidth;
    opt.tileHeight = c.tileHeight;
    opt.depthTiles = c.depthTiles;
    opt.extraChunks = c.extraChunks;
    const std::vector<uint8_t> raw = WriteIff(p, opt);
    opt.runLength = true;
    const std::vector<uint8_t> coded = WriteIff(p, opt);
    EXPECT_LT(coded.size(), raw.size()) << "the run-length file should use coded tiles";
    auto fromRaw = DecodeIff(Bytes(raw));
    auto fromCoded = DecodeIff(Bytes(coded));
    EXPECT_TRUE(HoldsPicture(fromRaw.get(), p, c.channels));
    EXPECT_TRUE(HoldsPicture(fromCoded.get(), p, c.channels));
    ASSERT_TRUE(fromRaw);
    EXPECT_FALSE(fromRaw->TopDown());
}

INSTANTIATE_TEST_SUITE_P(Iff, IffRawAndRunLength,
                         ::testing::Values(IffCase{"oneTile4", 24, 18, 4, 64, 64, false, false},
                                           IffCase{"oneTile3", 24, 18, 3, 64, 64, false, false},
                                           IffCase{"edgeTiles4", 37, 23, 4, 16, 8, false, false},
                                           IffCase{"edgeTiles3", 37, 23, 3, 10, 10, false, true},
                                           IffCase{"depthTiles", 20, 20, 4, 8, 8, true, false},
                                           IffCase{"extraChunks", 21, 9, 4, 16, 16, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IffDecode, CompressionTwoOrMoreIsNotedAndRefused) {
    const TNotifySink previous = SetNotifySink(RecordNote);
    for (uint32_t compression : {2u, 3u, 0xFFFFFFFEu}) {
        gNotes.clear();
        SIffOptions opt;
        opt.compressionField = compression;
        const std::vector<uint8_t> file = WriteIff(PatternPicture(4, 4), opt);
        EXPECT_TRUE(ReadIffHeader(Bytes(file), nullptr));
        EXPECT_EQ(DecodeIff(Bytes(file)), nullptr) << compression;
        ASSERT_EQ(gNotes.size(), 1u) << compression;
        EXPECT_EQ(gNotes[0], "Unsupported Compression Type");
    }
    gNotes.clear();
    EXPECT_TRUE(DecodeIff(Bytes(WriteIff(PatternPicture(4, 4)))));
    EXPECT_TRUE(gNotes.empty());
    SetNotifySink(previous);
}

TEST(IffDecode, HeaderWithoutColourOrWithoutTilesGivesNoImage) {
    const std::vector<uint8_t> pixel(4, 7);
    struct Case {
        const char* what;
        uint32_t flags;
        uint32_t tileCount;
    };
    const Case cases[] = {{"alpha only", 2, 1}, {"depth only", 4, 1}, {"no tiles counted", 3, 0}};
    for (const Case& c : cases) {
        IffBuilder b;
        b.Tile("RGBA", 0, 0, 0, 0, pixel);
        EXPECT_EQ(DecodeIff(Bytes(b.File(1, 1, c.flags, c.tileCount, 0))), nullptr) << c.what;
    }
    IffBuilder empty;
    EXPECT_EQ(DecodeIff(Bytes(empty.File(1, 1, 3, 1, 0))), nullptr) << "no tile chunk";
}

TEST(IffDecode, TilesOutsideThePictureAreClippedOrSkipped) {
    // A 4 x 3 picture, three channels. Tile A covers columns 2..5 and rows
    // 1..1 (from the bottom), half of it outside; tile B lies wholly to the
    // right; tile C wholly above.
    IffBuilder b;
    std::vector<uint8_t> a;
    for (int i = 0; i < 4; ++i) a.insert(a.end(), {uint8_t(10 + i), uint8_t(20 + i), uint8_t(30 + i)});
    b.Tile("RGBA", 2, 1, 5, 1, a);
    b.Tile("RGBA", 4, 0, 9, 2, std::vector<uint8_t>(6 * 3 * 3, 99));
    b.Tile("RGBA", 0, 3, 3, 7, std::vector<uint8_t>(4 * 5 * 3, 99));
    auto image = DecodeIff(Bytes(b.File(4, 3, 1, 3, 0)));
    ASSERT_TRUE(image);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const uint8_t* px = image->Row(y) + 3 * x;
            const bool inA = y == 1 && x >= 2;  // row 1 from the bottom is row 1 from the top of 3
            for (int c = 0; c < 3; ++c) EXPECT_EQ(px[c], inA ? 10 * (c + 1) + (x - 2) : 0) << x << "," << y;
        }
    }
}

TEST(IffDecode, FourChannelTilesHoldAlphaFirst) {
    IffBuilder b;
    b.Tile("RGBA", 0, 0, 1, 0, {200, 1, 2, 3, 100, 4, 5, 6});  // A, B, G, R per pixel
    auto image = DecodeIff(Bytes(b.File(2, 1, 3, 1, 0)));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->BitsPerPixel(), 32);
    const uint8_t* px = image->Row(0);
    const uint8_t want[8] = {1, 2, 3, 200, 4, 5, 6, 100};  // B, G, R, A
    for (int i = 0; i < 8; ++i) EXPECT_EQ(px[i], want[i]) << i;
}

TEST(IffDecode, RunPastThePlaneEndsThatPlane) {
    // A 2 x 2 three-channel tile, coded: plane 0 a run of 128 (only 4 fit),
    // plane 1 literals 1..4, plane 2 a run of 4 of value 9.
    IffBuilder b;
    b.Tile("RGBA", 0, 0, 1, 1, {0xFF, 50, 0x03, 1, 2, 3, 4, 0x83, 9});
    auto image = DecodeIff(Bytes(b.File(2, 2, 1, 1, 1)));
    ASSERT_TRUE(image);
    // Tile row 0 is the bottom row.
    const uint8_t* bottom = image->Row(1);
    const uint8_t* top = image->Row(0);
    EXPECT_EQ(bottom[0], 50);
    EXPECT_EQ(bottom[1], 1);
    EXPECT_EQ(bottom[4], 2);
    EXPECT_EQ(top[1], 3);
    EXPECT_EQ(top[4], 4);
    EXPECT_EQ(top[5], 9);
}

TEST(IffDecode, LyingChunkSizesStayInsideTheFile) {
    // A raw tile whose declared size is far larger than the file.
    IffBuilder b;
    b.Tile("RGBA", 0, 0, 3, 0, {1, 2, 3, 4, 5, 6}, 0xFFFFFFF0u);
    auto image = DecodeIff(Bytes(b.File(4, 1, 1, 1, 0)));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Row(0)[3], 4);
    EXPECT_EQ(image->Row(0)[6], 0);
}

TEST(IffChunks, DeeplyNestedGroupsAreSkippedWithoutDescending) {
    // Ten thousand groups nested inside each other before the header.
    std::vector<uint8_t> nest;
    const int depth = 10000;
    for (int i = 0; i < depth; ++i) {
        const uint32_t size = static_cast<uint32_t>(12 * (depth - 1 - i));
        nest.insert(nest.end(), {'F', 'O', 'R', '4', uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8),
                                 uint8_t(size), 'N', 'E', 'S', 'T'});
    }
    std::vector<uint8_t> file = WriteIff(PatternPicture(3, 3));
    file.insert(file.begin() + 12, nest.begin(), nest.end());
    const uint32_t total = static_cast<uint32_t>(file.size() - 12);
    for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<uint8_t>(total >> (24 - 8 * i));
    EXPECT_TRUE(HoldsPicture(DecodeIff(Bytes(file)).get(), PatternPicture(3, 3), 4));
}

TEST(IffChunks, ExtentsRoundUpAndNeverPassTheHolder) {
    std::vector<uint8_t> data = {'A', 'B', 'C', 'D', 0, 0, 0, 5, 1, 2, 3, 4, 5, 0, 0, 0, 'F', 'O', 'R', '4',
                                 0, 0, 0, 100, 'T', 'Y', 'P', 'E'};
    SIffChunk c;
    ASSERT_TRUE(ReadIffChunk(Bytes(data), 0, data.size(), &c));
    EXPECT_EQ(c.tag, IffTag('A', 'B', 'C', 'D'));
    EXPECT_EQ(c.dataStart, 8u);
    EXPECT_EQ(c.dataEnd, 13u);
    EXPECT_EQ(c.extent, 16u);
    ASSERT_TRUE(ReadIffChunk(Bytes(data), c.extent, data.size(), &c));
    EXPECT_EQ(c.groupType, IffTag('T', 'Y', 'P', 'E'));
    EXPECT_EQ(c.dataStart, 28u);
    EXPECT_EQ(c.dataEnd, data.size());
    EXPECT_EQ(c.extent, data.size());
    EXPECT_FALSE(ReadIffChunk(Bytes(data), 24, data.size(), &c)) << "header does not fit";
    EXPECT_FALSE(ReadIffChunk(Bytes(data), 16, 26, &c)) << "group type does not fit";
}

TEST(IffHeader, NeedsCimgGroupAndCompleteHeaderChunk) {
    std::vector<uint8_t> good = WriteIff(PatternPicture(2, 2));
    ASSERT_TRUE(ReadIffHeader(Bytes(good), nullptr));
    std::vector<uint8_t> otherType = good;
    otherType[8] = 'X';
    EXPECT_FALSE(ReadIffHeader(Bytes(otherType), nullptr));
    std::vector<uint8_t> shortHeader = good;
    shortHeader[12 + 7] = 20;  // TBHD size below 24
    EXPECT_FALSE(ReadIffHeader(Bytes(shortHeader), nullptr));
    std::vector<uint8_t> cut(good.begin(), good.begin() + 12 + 8 + 20);
    EXPECT_FALSE(ReadIffHeader(Bytes(cut), nullptr));
}
