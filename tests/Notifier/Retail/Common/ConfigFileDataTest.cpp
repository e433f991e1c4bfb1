// tcConfigFileData: the file format byte for byte, versions 1 and 2, the
// insertion rules of the containers, the trace and check lines, and
// malformed files (short, truncated at every length, false lengths).
#include "Notifier/Retail/Common/tcConfigFileData.h"

#include "CustomCode/Common/cmDebugSupport.h"
#include "platform/kernel32/FileApi.h"
#include "platform/linux/TempDirectory.h"
#include "tests/support/LogCapture.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes Le(DWORD n)
{
    return {static_cast<BYTE>(n), static_cast<BYTE>(n >> 8), static_cast<BYTE>(n >> 16), static_cast<BYTE>(n >> 24)};
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& b : parts)
        all.insert(all.end(), b.begin(), b.end());
    return all;
}

Bytes Str(const std::string& s) { return Cat({Le(static_cast<DWORD>(s.size())), Bytes(s.begin(), s.end())}); }
Bytes Counted(const Bytes& b) { return Cat({Le(static_cast<DWORD>(b.size())), b}); }

Bytes BytesOf(const cmPacket& p) { return Bytes(p.GetData(), p.GetData() + p.GetSize()); }

cmBuffer Buf(const std::string& s)
{
    cmBuffer b;
    b.Set(static_cast<DWORD>(s.size()), s.data());
    return b;
}

std::string Text(const cmBuffer& b) { return std::string(reinterpret_cast<const char*>(b.GetData()), b.GetSize()); }

HRESULT Parse(tcConfigFileData& data, const Bytes& packetBytes, tcConfigFileStop* pStop = nullptr)
{
    cmPacket p(packetBytes.data(), static_cast<DWORD>(packetBytes.size()));
    return data.SetPacket(p, pStop);
}

// A configuration with something in every list.
tcConfigFileData Sample()
{
    tcConfigFileData d;
    d.SetCommand(cmString("setup.exe /quiet"));
    d.AddProductVersion(tcProductVersionInfo(cmString("Glimmary Pro"), cmString("5.1.2")));
    d.AddProductVersion(tcProductVersionInfo(cmString("Glimmary Lite"), cmString("2.0")));
    d.SetDesc(1033, Buf("{\\rtf1 English}"));
    d.SetDesc(1031, Buf("{\\rtf1 Deutsch}"));
    tcHTMLDescriptionFolderList html;
    html[1033] = cmString("details/en/index.htm");
    html[1036] = cmString("details\\fr\\index.htm");
    d.SetHTMLDescriptionFolderList(html);
    return d;
}

class ConfigFileTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return m_dir.Path() + "/" + name; }
    std::string WriteBytes(const std::string& name, const Bytes& bytes) const
    {
        const std::string path = PathOf(name);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    Bytes ReadBytes(const std::string& name) const
    {
        std::ifstream in(PathOf(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void TearDown() override { cmDebugFlags<0x100>() = 0; }

    platform::ScopedTempDirectory m_dir{"cfg"};
};

// The 45-byte file of a configuration with the command setup.exe and nothing else.
const Bytes kExample = Cat({Le(41), Le(2), Counted(Cat({Str("setup.exe"), Le(0)})), Counted(Le(0)), Counted(Le(0))});

}  // namespace

TEST_F(ConfigFileTest, TheFortyFiveByteExample)
{
    ASSERT_EQ(45u, kExample.size());
    tcConfigFileData d;
    d.SetCommand(cmString("setup.exe"));
    ASSERT_EQ(S_OK, d.WriteFile(PathOf("Update.cfg").c_str()));
    EXPECT_EQ(kExample, ReadBytes("Update.cfg"));

    tcConfigFileData back;
    ASSERT_EQ(S_OK, back.ReadFile(PathOf("Update.cfg").c_str()));
    cmString cmd;
    back.GetCommand(cmd);
    EXPECT_EQ(cmString("setup.exe"), cmd);
}

TEST_F(ConfigFileTest, WriteThenReadGivesEqualContentInVersionTwo)
{
    const tcConfigFileData d = Sample();
    tcConfigFileData copy(d);
    ASSERT_EQ(S_OK, copy.WriteFile(PathOf("u.cfg").c_str()));
    const Bytes file = ReadBytes("u.cfg");
    ASSERT_GE(file.size(), 8u);
    EXPECT_EQ(Le(static_cast<DWORD>(file.size() - 4)), Bytes(file.begin(), file.begin() + 4));
    EXPECT_EQ(Le(2), Bytes(file.begin() + 4, file.begin() + 8));

    tcConfigFileData back;
    ASSERT_EQ(S_OK, back.ReadFile(PathOf("u.cfg").c_str()));
    EXPECT_TRUE(back == d);
    tcProductVersionList products;
    back.GetProductVersionList(products);
    ASSERT_EQ(2u, products.size());
    EXPECT_EQ(cmString("Glimmary Lite"), products.begin()->GetName());  // set order: by name
    tcHTMLDescriptionFolderList html;
    back.GetHTMLDescriptionFolderList(html);
    EXPECT_EQ(cmString("details\\fr\\index.htm"), html[1036]);
}

TEST_F(ConfigFileTest, ProductsAndDescriptionsAreWrittenInOrder)
{
    tcConfigFileData d;
    d.SetCommand(cmString("a"));
    d.AddProductVersion(tcProductVersionInfo(cmString("b"), cmString("2")));
    d.AddProductVersion(tcProductVersionInfo(cmString("B"), cmString("1")));
    d.SetDesc(1036, Buf("f"));
    d.SetDesc(1033, Buf("e"));
    cmPacket p;
    ASSERT_EQ(S_OK, d.GetPacket(p));
    EXPECT_EQ(0u, p.GetCursor());
    const Bytes expected =
        Cat({Le(2), Counted(Cat({Str("a"), Le(2), Str("B"), Str("1"), Str("b"), Str("2")})),
             Counted(Cat({Le(2), Le(1033), Str("e"), Le(1036), Str("f")})), Counted(Le(0))});
    EXPECT_EQ(expected, BytesOf(p));
}

TEST_F(ConfigFileTest, VersionOneHasNoHtmlBlock)
{
    tcConfigFileData d;
    const Bytes v1 = Cat({Le(1), Counted(Cat({Str("run.exe"), Le(1), Str("P"), Str("1.0")})),
                          Counted(Cat({Le(1), Le(1033), Str("{\\rtf1}")}))});
    ASSERT_EQ(S_OK, Parse(d, v1));
    tcHTMLDescriptionFolderList html;
    d.GetHTMLDescriptionFolderList(html);
    EXPECT_TRUE(html.empty());
    cmBuffer desc;
    ASSERT_EQ(S_OK, d.GetDesc(1033, desc));
    EXPECT_EQ("{\\rtf1}", Text(desc));
    // A version-1 packet followed by what would be an HTML block: not read.
    tcConfigFileData e;
    ASSERT_EQ(S_OK, Parse(e, Cat({v1, Counted(Cat({Le(1), Le(1033), Str("x.htm")}))})));
    e.GetHTMLDescriptionFolderList(html);
    EXPECT_TRUE(html.empty());
}

TEST_F(ConfigFileTest, UnknownVersionLeavesTheObjectUnchanged)
{
    testsupport::LogCapture log;
    cmDebugFlags<0x100>() = CM_DEBUG_INFO;
    tcConfigFileData d = Sample();
    const tcConfigFileData before = d;
    cmPacket good;
    Sample().GetPacket(good);
    Bytes v3 = BytesOf(good);
    v3[0] = 3;
    tcConfigFileStop stop;
    EXPECT_EQ(E_INVALIDARG, Parse(d, v3, &stop));
    EXPECT_TRUE(d == before);
    EXPECT_TRUE(log.Contains("tcConfigFileData::SetPacket: Packet Version (3) != (2)\n"));
    EXPECT_EQ(0u, stop.dwOffset);
    EXPECT_NE(std::string::npos, stop.szField.find("packet version 3"));
    for (DWORD bad : {0u, 0xFFFFFFFFu})
        EXPECT_EQ(E_INVALIDARG, Parse(d, Cat({Le(bad), Bytes(v3.begin() + 4, v3.end())})));
    EXPECT_TRUE(d == before);
}

TEST_F(ConfigFileTest, DuplicateNamesKeepTheFirstButCaseCounts)
{
    tcConfigFileData d;
    const Bytes p = Cat({Le(2),
                         Counted(Cat({Str("x"), Le(4), Str("Viewer"), Str("1"), Str("Viewer"), Str("2"), Str("viewer"),
                                      Str("3"), Str("VIEWER"), Str("4")})),
                         Counted(Le(0)), Counted(Le(0))});
    ASSERT_EQ(S_OK, Parse(d, p));
    tcProductVersionList products;
    d.GetProductVersionList(products);
    ASSERT_EQ(3u, products.size());
    const auto it = products.find(tcProductVersionInfo(cmString("Viewer"), cmString()));
    ASSERT_NE(products.end(), it);
    EXPECT_EQ(cmString("1"), it->GetVersion());

    EXPECT_EQ(S_FALSE, d.AddProductVersion(tcProductVersionInfo(cmString("Viewer"), cmString("9"))));
    d.GetProductVersionList(products);
    EXPECT_EQ(cmString("1"), products.find(tcProductVersionInfo(cmString("Viewer"), cmString()))->GetVersion());
}

TEST_F(ConfigFileTest, RepeatedIdsReplace)
{
    tcConfigFileData d;
    const Bytes p =
        Cat({Le(2), Counted(Cat({Str("x"), Le(0)})),
             Counted(Cat({Le(3), Le(1033), Str("first"), Le(1031), Str("de"), Le(1033), Str("second")})),
             Counted(Cat({Le(2), Le(1033), Str("a.htm"), Le(1033), Str("b.htm")}))});
    ASSERT_EQ(S_OK, Parse(d, p));
    cmBuffer desc;
    ASSERT_EQ(S_OK, d.GetDesc(1033, desc));
    EXPECT_EQ("second", Text(desc));
    tcDescriptionList all;
    d.GetDescriptionList(all);
    EXPECT_EQ(2u, all.size());
    tcHTMLDescriptionFolderList html;
    d.GetHTMLDescriptionFolderList(html);
    ASSERT_EQ(1u, html.size());
    EXPECT_EQ(cmString("b.htm"), html[1033]);
}

TEST_F(ConfigFileTest, MissingDescriptionLeavesTheBufferAlone)
{
    testsupport::LogCapture log;
    cmDebugFlags<0x100>() = CM_DEBUG_INFO;
    tcConfigFileData d;
    d.SetDesc(1033, Buf("en"));
    d.SetDesc(1031, Buf("de"));
    d.SetDesc(0x1040C, Buf("wide id"));  // above 16 bits: never found, not even as 0x040C
    cmBuffer out = Buf("untouched");
    EXPECT_EQ(E_FAIL, d.GetDesc(1036, out));
    EXPECT_EQ("untouched", Text(out));
    EXPECT_TRUE(log.Contains("tcConfigFileData::GetDesc: lang id not found 1036\n"));
    ASSERT_EQ(S_OK, d.GetDesc(1031, out));
    EXPECT_EQ("de", Text(out));
}

TEST_F(ConfigFileTest, BytesAfterTheLastFieldAreIgnored)
{
    tcConfigFileData d;
    const Bytes p = Cat({Le(2), Counted(Cat({Str("setup.exe"), Le(1), Str("P"), Str("1"), Bytes{0xDE, 0xAD, 0xBE}})),
                         Counted(Cat({Le(0), Bytes{1, 2, 3, 4, 5}})), Counted(Cat({Le(0), Bytes{9}})),
                         Bytes{7, 7, 7, 7, 7, 7}});
    ASSERT_EQ(S_OK, Parse(d, p));
    tcProductVersionList products;
    d.GetProductVersionList(products);
    ASSERT_EQ(1u, products.size());
    EXPECT_EQ(cmString("P"), products.begin()->GetName());
    // Bytes after the packet in the file are not read either.
    WriteBytes("tail.cfg", Cat({Counted(p), Bytes{1, 2, 3}}));
    tcConfigFileData f;
    EXPECT_EQ(S_OK, f.ReadFile(PathOf("tail.cfg").c_str()));
    EXPECT_TRUE(f == d);
}

TEST_F(ConfigFileTest, InfoTracesOfReadingAndWriting)
{
    testsupport::LogCapture log;
    cmDebugFlags<0x100>() = CM_DEBUG_INFO;
    tcConfigFileData d;
    d.SetCommand(cmString("setup.exe"));
    d.AddProductVersion(tcProductVersionInfo(cmString("P"), cmString("1.0")));
    d.SetDesc(1033, Buf("{\\rtf1 hi}"));
    tcHTMLDescriptionFolderList html;
    html[1033] = cmString("d/x.htm");
    d.SetHTMLDescriptionFolderList(html);
    cmPacket p;
    ASSERT_EQ(S_OK, d.GetPacket(p));
    const std::vector<std::string> written = {
        "tcConfigFileData::GetPacket: Packet Version (2)\n", "tcConfigFileData::GetPacket: Command (setup.exe)\n",
        "tcConfigFileData::GetPacket: Product Name/Version (P)/(1.0)\n"};
    EXPECT_EQ(written, log.Lines());
    log.Clear();
    tcConfigFileData back;
    ASSERT_EQ(S_OK, back.SetPacket(p));
    const std::vector<std::string> read = {
        "tcConfigFileData::SetPacket: Packet Version (2)\n",
        "tcConfigFileData::SetPacket: Command (setup.exe)\n",
        "tcConfigFileData::SetPacket: Product Name/Version (P)/(1.0)\n",
        "tcConfigFileData::SetPacket: Details Lang,Desc (1033),({\\rtf1 hi})\n",
        "tcConfigFileData::SetPacket: Details HTML,Desc (1033),(d/x.htm)\n"};
    EXPECT_EQ(read, log.Lines());
}

TEST_F(ConfigFileTest, FilesThatCannotBeOpened)
{
    testsupport::LogCapture log;
    tcConfigFileData d;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), d.ReadFile(PathOf("missing.cfg").c_str()));
    ASSERT_EQ(1u, log.Lines().size());  // the failed-call report; traces are off
    const std::string report = log.Lines()[0];
    EXPECT_NE(std::string::npos, report.find("tcConfigFileData.cpp("));
    const std::string tail =
        "): 'INVALID_HANDLE_VALUE == hHandle' returned 0x80070002 ('The system cannot find the file specified.')\n\n";
    ASSERT_GE(report.size(), tail.size());
    EXPECT_EQ(tail, report.substr(report.size() - tail.size()));
    log.Clear();

    // With the info bit the caught code follows the report, with its text.
    cmDebugFlags<0x100>() = CM_DEBUG_INFO;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), d.WriteFile(PathOf("no/such/Update.cfg").c_str()));
    cmDebugFlags<0x100>() = 0;
    ASSERT_EQ(2u, log.Lines().size());
    EXPECT_NE(std::string::npos,
              log.Lines()[0].find("): 'INVALID_HANDLE_VALUE == hHandle' returned 0x80070003 ('The system cannot find "
                                  "the path specified.')\n\n"));
    EXPECT_EQ("tcConfigFileData::WriteFile: _com_error Code: 0x80070003 Text: The system cannot find the path "
              "specified.\n",
              log.Lines()[1]);
    log.Clear();
    EXPECT_EQ(E_INVALIDARG, d.ReadFileHandle(INVALID_HANDLE_VALUE));
    EXPECT_TRUE(log.Contains("INVALID ARG: Evaluation of 'hHandle!=INVALID_HANDLE_VALUE' failed.  Returning E_INVALIDARG.\n"));
    EXPECT_EQ(E_INVALIDARG, d.WriteFileHandle(INVALID_HANDLE_VALUE));
    EXPECT_EQ(E_INVALIDARG, d.ReadFile(nullptr));
}

TEST_F(ConfigFileTest, WriteFailuresAreReported)
{
    // A handle opened for reading cannot be written: the write says so.
    WriteBytes("ro.cfg", kExample);
    HANDLE h = CreateFileA(PathOf("ro.cfg").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(E_ACCESSDENIED, Sample().WriteFileHandle(h));
    CloseHandle(h);
}

TEST_F(ConfigFileTest, TruncatedFilesAtEveryLength)
{
    tcConfigFileData full = Sample();
    ASSERT_EQ(S_OK, full.WriteFile(PathOf("full.cfg").c_str()));
    const Bytes file = ReadBytes("full.cfg");
    for (std::size_t cut = 0; cut < file.size(); ++cut) {
        // Both the whole file cut short, and a file whose length field was
        // fixed up to the shorter packet (so the damage is inside the blocks).
        const Bytes shortFile(file.begin(), file.begin() + static_cast<long>(cut));
        tcConfigFileData d;
        tcConfigFileStop stop;
        EXPECT_EQ(E_INVALIDARG, d.ReadFile(WriteBytes("cut.cfg", shortFile).c_str(), &stop)) << cut;
        EXPECT_LE(stop.dwOffset, cut) << cut;

        if (cut < 4)
            continue;
        const Bytes packet(file.begin() + 4, file.begin() + static_cast<long>(cut));
        tcConfigFileData e;
        EXPECT_EQ(E_INVALIDARG, e.ReadFile(WriteBytes("fixed.cfg", Counted(packet)).c_str(), &stop)) << cut;
        EXPECT_LE(stop.dwOffset, cut) << cut;
        // What was read is a part of the real content, never something else.
        tcProductVersionList products, all;
        e.GetProductVersionList(products);
        full.GetProductVersionList(all);
        for (const tcProductVersionInfo& p : products)
            EXPECT_EQ(1u, all.count(p)) << cut;
        cmString cmd;
        e.GetCommand(cmd);
        EXPECT_TRUE(cmd.IsEmpty() || cmd == cmString("setup.exe /quiet")) << cut;
    }
}

TEST_F(ConfigFileTest, DamageKeepsWhatCameBeforeAndSaysWhere)
{
    // The second product's version announces more bytes than its block holds.
    const Bytes products = Cat({Str("setup.exe"), Le(2), Str("A"), Str("1"), Str("B"), Le(50), Bytes{'2'}});
    const Bytes p = Cat({Le(2), Counted(products), Counted(Cat({Le(1), Le(1033), Str("rtf")})), Counted(Le(0))});
    tcConfigFileData d;
    tcConfigFileStop stop;
    EXPECT_EQ(E_INVALIDARG, Parse(d, p, &stop));
    cmString cmd;
    d.GetCommand(cmd);
    EXPECT_EQ(cmString("setup.exe"), cmd);
    tcProductVersionList list;
    d.GetProductVersionList(list);
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ(cmString("A"), list.begin()->GetName());
    cmBuffer desc;
    EXPECT_EQ(E_FAIL, d.GetDesc(1033, desc));  // after the damage: not read
    EXPECT_EQ("version of product 2", stop.szField);
    // version (4) + block length (4) + command (13) + count (4) + A/1 (10) + "B" (5)
    EXPECT_EQ(40u, stop.dwOffset);

    // A count far beyond the bytes stops at the first entry that is missing.
    const Bytes many = Cat({Le(2), Counted(Cat({Str("s"), Le(0xFFFFFFFFu), Str("A"), Str("1")})), Counted(Le(0)),
                            Counted(Le(0))});
    tcConfigFileData m;
    EXPECT_EQ(E_INVALIDARG, Parse(m, many, &stop));
    m.GetProductVersionList(list);
    EXPECT_EQ(1u, list.size());
    EXPECT_EQ("name of product 2", stop.szField);
}

TEST_F(ConfigFileTest, FalseLengthsAreRefusedWithoutAllocating)
{
    // A file length near 4 GiB in front of a small file: refused at once.
    tcConfigFileData d;
    tcConfigFileStop stop;
    EXPECT_EQ(E_INVALIDARG, d.ReadFile(WriteBytes("huge.cfg", Cat({Le(0xFFFFFFF0u), kExample})).c_str(), &stop));
    EXPECT_EQ(4u, stop.dwOffset);
    EXPECT_EQ("packet of 4294967280 bytes", stop.szField);
    EXPECT_EQ(E_INVALIDARG, d.ReadFile(WriteBytes("empty.cfg", Bytes()).c_str(), &stop));
    EXPECT_EQ(0u, stop.dwOffset);
    EXPECT_EQ("packet length", stop.szField);

    // A description that claims 4 GiB inside a small packet.
    const Bytes p = Cat({Le(2), Counted(Cat({Str("s"), Le(0)})), Counted(Cat({Le(1), Le(1033), Le(0xFFFFFFF0u)})),
                         Counted(Le(0))});
    tcConfigFileData e;
    EXPECT_EQ(E_INVALIDARG, Parse(e, p, &stop));
    EXPECT_EQ("bytes of description 1", stop.szField);
    tcDescriptionList descs;
    e.GetDescriptionList(descs);
    EXPECT_TRUE(descs.empty());  // no half entry left behind
}
