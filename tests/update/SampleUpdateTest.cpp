// The sample update the build assembles in ${PROJECT_BINARY_DIR}/sample-update/
// is a usable update: its Update.cfg reads, names the installer that is in the
// folder, the products, the descriptions and the details pages, and every
// language has its banner picture as a 500 x 300 JFIF JPEG at 96 dpi.
#include "Notifier/Retail/Common/tcConfigFileData.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const DWORD kLanguages[] = {1028, 1031, 1033, 1034, 1036, 1040, 1041, 1042, 1046, 2052};

std::string SampleFolder() { return testsupport::BuildPath("sample-update"); }
std::string SourceFolder() { return std::string(NOTIFIER_SOURCE_DIR) + "/resources/sample-update"; }

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Text(const cmBuffer& b)
{
    return b.GetSize() ? std::string(reinterpret_cast<const char*>(b.GetData()), b.GetSize()) : std::string();
}

// What a JPEG file's headers say: the JFIF density of its first segment and
// the size of its frame. problem is empty when the headers could be read.
struct JpegHeaders {
    std::string problem;
    unsigned densityUnits = 0;  // 1: dots per inch, 2: dots per centimetre
    unsigned xDensity = 0;
    unsigned yDensity = 0;
    unsigned width = 0;
    unsigned height = 0;
};

bool IsFrameMarker(unsigned m)
{
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// Walks the marker segments from the start of image to the frame header. A
// JFIF file's first segment is the APP0 "JFIF" segment.
JpegHeaders ReadJpegHeaders(const std::string& bytes)
{
    JpegHeaders h;
    const auto at = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[i])); };
    const auto be16 = [&](std::size_t i) { return at(i) << 8 | at(i + 1); };
    if (bytes.size() < 2 || at(0) != 0xFF || at(1) != 0xD8) {
        h.problem = "no start-of-image marker";
        return h;
    }
    std::size_t pos = 2;
    bool first = true;
    for (;;) {
        if (pos >= bytes.size() || at(pos) != 0xFF) {
            h.problem = "no marker at offset " + std::to_string(pos);
            return h;
        }
        while (pos < bytes.size() && at(pos) == 0xFF)  // fill bytes
            ++pos;
        if (pos + 2 >= bytes.size()) {
            h.problem = "the file ends inside a marker";
            return h;
        }
        const unsigned marker = at(pos);
        const std::size_t length = be16(pos + 1);
        const std::size_t body = pos + 3;
        if (length < 2 || body + length - 2 > bytes.size()) {
            h.problem = "a segment runs past the end of the file";
            return h;
        }
        if (first) {
            if (marker != 0xE0 || length < 16 || bytes.compare(body, 5, std::string("JFIF\0", 5)) != 0) {
                h.problem = "the first segment is not a JFIF APP0 segment";
                return h;
            }
            h.densityUnits = at(body + 7);
            h.xDensity = be16(body + 8);
            h.yDensity = be16(body + 10);
            first = false;
        } else if (IsFrameMarker(marker)) {
            if (length < 8) {
                h.problem = "the frame header is too short";
                return h;
            }
            h.height = be16(body + 1);
            h.width = be16(body + 3);
            return h;
        } else if (marker == 0xDA || marker == 0xD9) {
            h.problem = "no frame header before the image data";
            return h;
        }
        pos = body + length - 2;
    }
}

class SampleUpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tcConfigFileStop stop;
        ASSERT_EQ(S_OK, m_config.ReadFile((SampleFolder() + "/Update.cfg").c_str(), &stop))
            << "stopped at " << stop.dwOffset << " (" << stop.szField << ")";
    }

    tcConfigFileData m_config;
};

TEST_F(SampleUpdateTest, CommandStartsTheInstallerInTheFolder)
{
    cmString command;
    ASSERT_EQ(S_OK, m_config.GetCommand(command));
    EXPECT_STREQ("setup.sh --outcome installed", command.GetText());
    // The installer it names is there and can be started.
    const fs::path installer = fs::path(SampleFolder()) / "setup.sh";
    ASSERT_TRUE(fs::is_regular_file(installer));
    EXPECT_NE(fs::perms::none, fs::status(installer).permissions() & fs::perms::owner_exec);
    EXPECT_TRUE(ReadBytes(SourceFolder() + "/setup.sh") == ReadBytes(installer.string())) << "an old copy";
}

TEST_F(SampleUpdateTest, NamesBothProductsWithTheirNewVersion)
{
    tcProductVersionList products;
    ASSERT_EQ(S_OK, m_config.GetProductVersionList(products));
    ASSERT_EQ(2u, products.size());
    auto it = products.begin();
    EXPECT_STREQ("Glimmary", it->GetName().GetText());
    EXPECT_STREQ("2.1.0.0", it->GetVersion().GetText());
    ++it;
    EXPECT_STREQ("Glimmary Viewer", it->GetName().GetText());
    EXPECT_STREQ("2.1.0.0", it->GetVersion().GetText());
}

TEST_F(SampleUpdateTest, DescriptionsAreTheWindowsRtfFiles)
{
    tcDescriptionList descriptions;
    ASSERT_EQ(S_OK, m_config.GetDescriptionList(descriptions));
    for (DWORD lang : {1033u, 1031u}) {
        SCOPED_TRACE(lang);
        ASSERT_EQ(1u, descriptions.count(lang));
        const std::string rtf = Text(descriptions.at(lang));
        EXPECT_TRUE(ReadBytes(SourceFolder() + "/descriptions/" + std::to_string(lang) + ".rtf") == rtf)
            << "Update.cfg holds another description than the source file";
        EXPECT_EQ(0u, rtf.rfind("{\\rtf1\\ansi\\ansicpg1252", 0));
        // Code page 1252 text is written with \'xx escapes; a raw byte above
        // 0x7F (an editor saving UTF-8) would be read as two wrong letters.
        // The groups nest, and the one that opens the document closes it at
        // the end: a hand-edited file easily loses a brace.
        int depth = 0;
        std::size_t documentEnd = std::string::npos;
        for (std::size_t i = 0; i < rtf.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(rtf[i]);
            ASSERT_LT(c, 0x80u) << "raw byte at " << i;
            if (c == '\\')
                ++i;  // a control symbol such as \{ or \\ is no brace
            else if (c == '{')
                ++depth;
            else if (c == '}' && --depth == 0 && documentEnd == std::string::npos)
                documentEnd = i;
            ASSERT_GE(depth, 0) << "a group closes at " << i << " that was never opened";
        }
        EXPECT_EQ(0, depth);
        ASSERT_NE(std::string::npos, documentEnd);
        EXPECT_EQ(std::string::npos, rtf.find_first_not_of("\r\n", documentEnd + 1));
    }
}

TEST_F(SampleUpdateTest, DetailsPagesAreInTheFolderWithWhatTheyShow)
{
    tcHTMLDescriptionFolderList html;
    ASSERT_EQ(S_OK, m_config.GetHTMLDescriptionFolderList(html));
    ASSERT_EQ(2u, html.size());
    EXPECT_STREQ("UpdateDetails_1033\\details.htm", html[1033].GetText());
    EXPECT_STREQ("UpdateDetails_1031\\details.htm", html[1031].GetText());
    for (const auto& [lang, stored] : html) {
        SCOPED_TRACE(lang);
        std::string relative = stored.GetText();
        std::replace(relative.begin(), relative.end(), '\\', '/');
        const fs::path page = fs::path(SampleFolder()) / relative;
        ASSERT_TRUE(fs::is_regular_file(page));
        // Every picture or style sheet the page refers to is in the folder.
        const std::string text = ReadBytes(page.string());
        const std::regex reference(R"re((?:src|href)="([^"]+)")re");
        int references = 0;
        for (auto m = std::sregex_iterator(text.begin(), text.end(), reference); m != std::sregex_iterator(); ++m) {
            ++references;
            EXPECT_TRUE(fs::is_regular_file(page.parent_path() / (*m)[1].str())) << (*m)[1].str();
        }
        EXPECT_GT(references, 0);
    }
}

TEST_F(SampleUpdateTest, EveryLanguageHasItsBanner)
{
    for (DWORD lang : kLanguages) {
        const std::string relative = "UpdateDetails_" + std::to_string(lang) + "/images/top.jpg";
        SCOPED_TRACE(relative);
        const std::string bytes = ReadBytes(SampleFolder() + "/" + relative);
        ASSERT_FALSE(bytes.empty());
        EXPECT_TRUE(ReadBytes(SourceFolder() + "/" + relative) == bytes) << "the folder holds an old copy";
        EXPECT_LT(bytes.size(), 64u * 1024u);
        const JpegHeaders h = ReadJpegHeaders(bytes);
        ASSERT_EQ("", h.problem);
        EXPECT_EQ(1u, h.densityUnits);
        EXPECT_EQ(96u, h.xDensity);
        EXPECT_EQ(96u, h.yDensity);
        EXPECT_EQ(500u, h.width);
        EXPECT_EQ(300u, h.height);
    }
}

// The header reader above, on files made wrong on purpose: it must not pass
// what a picture loader would refuse or show at the wrong size.
std::string Be16(unsigned v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }
std::string Jfif(unsigned units, unsigned x, unsigned y)
{
    return "\xFF\xE0" + Be16(16) + std::string("JFIF\0\x01\x01", 7) + static_cast<char>(units) + Be16(x) + Be16(y) +
           std::string(2, '\0');
}
std::string Frame(unsigned marker, unsigned w, unsigned h)
{
    // Precision 8, then one component: id 1, sampling 1x1, quantisation table 0.
    return "\xFF" + std::string(1, static_cast<char>(marker)) + Be16(11) + "\x08" + Be16(h) + Be16(w) +
           std::string("\x01\x01\x11\x00", 4);
}
const std::string kSoi = "\xFF\xD8";

TEST(SampleUpdateJpegHeaders, ReadsDensityAndSizeOfAWellFormedFile)
{
    // A comment segment and fill bytes between the JFIF segment and the frame.
    const JpegHeaders h =
        ReadJpegHeaders(kSoi + Jfif(1, 96, 120) + "\xFF\xFE" + Be16(5) + "abc" + "\xFF" + Frame(0xC2, 500, 300));
    EXPECT_EQ("", h.problem);
    EXPECT_EQ(1u, h.densityUnits);
    EXPECT_EQ(96u, h.xDensity);
    EXPECT_EQ(120u, h.yDensity);
    EXPECT_EQ(500u, h.width);
    EXPECT_EQ(300u, h.height);
}

TEST(SampleUpdateJpegHeaders, RefusesBrokenFiles)
{
    EXPECT_NE("", ReadJpegHeaders("").problem);
    EXPECT_NE("", ReadJpegHeaders("\x89PNG\r\n\x1A\n").problem);
    // EXIF (APP1) first: not a JFIF file.
    const std::string exif = "\xFF\xE1" + Be16(8) + std::string("Exif\0\0", 6);
    EXPECT_NE("", ReadJpegHeaders(kSoi + exif + Frame(0xC0, 1, 1)).problem);
    // Cut off inside the JFIF segment.
    EXPECT_NE("", ReadJpegHeaders(kSoi + Jfif(1, 96, 96).substr(0, 10)).problem);
    // No frame header: the file ends, or the image data starts before it.
    EXPECT_NE("", ReadJpegHeaders(kSoi + Jfif(1, 96, 96)).problem);
    EXPECT_NE("", ReadJpegHeaders(kSoi + Jfif(1, 96, 96) + "\xFF\xDA" + Be16(2) + Frame(0xC0, 1, 1)).problem);
    // DHT (C4) is not a frame header, whatever its bytes would say.
    const JpegHeaders dht = ReadJpegHeaders(kSoi + Jfif(1, 96, 96) + Frame(0xC4, 500, 300));
    EXPECT_NE("", dht.problem);
    EXPECT_EQ(0u, dht.width);
}

}  // namespace
