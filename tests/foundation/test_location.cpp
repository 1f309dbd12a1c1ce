#include "foundation/carbon_file.h"
#include "foundation/location.h"
#include "foundation/stream.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

using namespace vemora;
using namespace vemora::nsp_MacCarbonFile;
using vgtest::TempDir;

namespace {

std::vector<unsigned char> recordOf(const FileLocation& loc)
{
    dxStream s(dxStream::sourceBuffer);
    loc.write(s);
    return std::vector<unsigned char>(s.getBufferData(), s.getBufferData() + s.getSize());
}

DirLocation dirAt(short volume, unsigned long id)
{
    DirLocation d;
    d.setVolume(volume);
    d.setDir(id);
    return d;
}

FSRef refOf(const std::filesystem::path& p)
{
    FSRef r;
    EXPECT_TRUE(getFSRefByPosixPath(&r, p.string())) << p;
    return r;
}

std::vector<std::string> leaves(const std::vector<FSRef>& refs, const std::string& base)
{
    std::vector<std::string> out;
    for (const auto& r : refs)
        out.push_back(r.path == base ? "." : r.path.rfind(base + "/", 0) == 0 ? r.path.substr(base.size() + 1) : r.path);
    return out;
}

TEST(LocationRecord, DefaultLocationIsSixteenBytesWithZeroFlagsCountAndType)
{
    const auto rec = recordOf(FileLocation());
    ASSERT_EQ(rec.size(), 16u);
    for (std::size_t i = 6; i < 16; ++i)
        EXPECT_EQ(rec[i], 0) << i;
}

TEST(LocationRecord, FieldsLieAtTheirOffsets)
{
    const FileLocation loc(dirAt(-2, 0x01020304), UniString::fromUTF8("ab"), 0x54494646);
    const std::vector<unsigned char> expected = {0xFF, 0xFE, 1, 2, 3, 4, 1, 1, 0, 0, 0, 2,
                                                 0, 0x61, 0, 0x62, 'T', 'I', 'F', 'F'};
    EXPECT_EQ(recordOf(loc), expected);

    dxStream s(dxStream::sourceBuffer);
    s.write_byte(expected.data(), expected.size());
    s.gotoBOF();
    FileLocation back;
    back.read(s);
    EXPECT_EQ(back, loc);
    EXPECT_TRUE(back.getDir().hasVolume());
    EXPECT_EQ(back.getFileType(), 0x54494646u);
}

TEST(LocationRecord, TruncatedRecordsFailWithTheReadErrorAfterTheUnderlyingOne)
{
    const FileLocation loc(dirAt(3, 7), UniString::fromUTF8("name"), 0x11223344);
    const auto rec = recordOf(loc);
    for (std::size_t cut = 0; cut < rec.size(); ++cut) {
        dxStream s(dxStream::sourceBuffer);
        s.write_byte(rec.data(), cut);
        s.gotoBOF();
        FileLocation back;
        testing::internal::CaptureStdout();
        try {
            back.read(s);
            ADD_FAILURE() << "cut at " << cut;
        } catch (const ExceptionDebuggErrorID& e) {
            EXPECT_EQ(e.getId(), -7801);
        }
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string last = "Exception error: FileLocation reading error  ID: -7801\n";
        ASSERT_GE(out.size(), last.size());
        EXPECT_EQ(out.substr(out.size() - last.size()), last) << cut;
        if (cut < 8) {
            EXPECT_EQ(out, "Exception error: DirLocation reading error  ID: -7701\n" + last) << cut;
        }
    }
}

TEST(LocationRecord, FailedWritePrintsEveryLayer)
{
    dxStream closed(dxStream::sourceFile);
    testing::internal::CaptureStdout();
    EXPECT_THROW(FileLocation().write(closed), ExceptionDebuggErrorID);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Exception error: File no open  ID: -1181\n"
                                                      "Exception error: DirLocation writing error  ID: -7700\n"
                                                      "Exception error: FileLocation writing error  ID: -7800\n");
}

TEST(LocationOrder, FolderThenNameThenType)
{
    EXPECT_LT(dirAt(-1, 5), dirAt(1, 0));
    EXPECT_LT(dirAt(1, 1), dirAt(1, 0x80000000UL));
    DirLocation unflagged;
    EXPECT_EQ(unflagged, dirAt(0, 0)) << "flags are not compared";

    const DirLocation d = dirAt(1, 9);
    auto at = [&](const char* name, unsigned long type) { return FileLocation(d, UniString::fromUTF8(name), type); };
    EXPECT_NE(at("x", 1), at("x", 2));
    EXPECT_LT(at("x", 1), at("x", 2));
    EXPECT_LT(at("ab", 9), at("abc", 0));
    EXPECT_LT(at("B", 9), at("a", 0));
    EXPECT_LT(FileLocation(dirAt(1, 8), UniString::fromUTF8("z"), 0), at("a", 0));
    EXPECT_EQ(at("x", 1), at("x", 1));
}

TEST(Location, EmptyNameAndUnsetFolderResolveToNothing)
{
    EXPECT_FALSE(FileLocation().getFSRef(nullptr));
    EXPECT_FALSE(FileLocation(DirLocation(), UniString::fromUTF8("a"), 0).isExist());
    EXPECT_FALSE(dirAt(-1, 12345678).getFSRef(nullptr)) << "an id nobody assigned";
}

TEST(Location, RoundTripsThroughThePlatformAndTheRegistryIsStable)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    vgtest::writeFile(dir / "sub" / "f.icc", {1});
    const FileLocation loc(refOf(dir / "sub" / "f.icc"));
    EXPECT_EQ(loc.getFileName(), UniString::fromUTF8("f.icc"));
    EXPECT_TRUE(loc.isExist());
    FSRef back;
    ASSERT_TRUE(loc.getFSRef(&back));
    EXPECT_EQ(back.path, (dir / "sub" / "f.icc").string());

    const DirLocation again(refOf(dir / "sub"));
    EXPECT_EQ(again, loc.getDir());
    DirLocation viaParent;
    ASSERT_TRUE(DirLocation(refOf(dir.path())).getSubDir(&viaParent, UniString::fromUTF8("sub")));
    EXPECT_EQ(viaParent, again);
    DirLocation notADir;
    EXPECT_FALSE(DirLocation(refOf(dir.path())).getSubDir(&notADir, UniString::fromUTF8("missing")));
    EXPECT_FALSE(again.getSubDir(&notADir, UniString::fromUTF8("f.icc"))) << "a file is no folder";

    // The same folder reached through a link is the same location.
    std::filesystem::create_directory_symlink(dir / "sub", dir / "link");
    EXPECT_EQ(DirLocation(refOf(dir / "link")), again);
}

TEST(Location, NamesThatAreNoLeafNeverResolve)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    const DirLocation sub(refOf(dir / "sub"));
    for (const char* bad : {"..", ".", "a/b", ""})
        EXPECT_FALSE(FileLocation(sub, UniString::fromUTF8(bad), 0).isExist()) << bad;
}

TEST(Location, AFolderThatNoLongerExistsIsFalseNotACrash)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "old");
    vgtest::writeFile(dir / "old" / "p", {1});
    const FileLocation loc(refOf(dir / "old" / "p"));
    std::filesystem::remove_all(dir / "old");
    EXPECT_FALSE(loc.isExist());
    EXPECT_FALSE(loc.getDir().getFSRef(nullptr));
    dxStream s;
    EXPECT_FALSE(s.open(loc, dxStream::readPermission, false));
    EXPECT_FALSE(s.open(loc, dxStream::writePermission, true));
}

TEST(Location, RootHasNoParentAndAssignKeepsTheOldFolder)
{
    FSRef root;
    ASSERT_TRUE(getFSRefByPosixPath(&root, "/"));
    FSRef parent;
    EXPECT_FALSE(getParent(&parent, root));
    FileLocation loc(dirAt(4, 4), UniString::fromUTF8("keep"), 7);
    EXPECT_FALSE(loc.assign(root));
    EXPECT_EQ(loc, FileLocation(dirAt(4, 4), UniString::fromUTF8("keep"), 7));
}

TEST(Location, NonUtf8FileNamesSurviveTheRoundTrip)
{
    TempDir dir;
    const std::string odd = "caf\xE9.tif"; // Latin-1 byte, not UTF-8
    vgtest::writeFile(dir.path() / odd, {1, 2});
    FSRef ref;
    ASSERT_TRUE(getFSRefByPosixPath(&ref, (dir.path() / odd).string()));
    const FileLocation loc(ref);
    dxStream s;
    ASSERT_TRUE(s.open(loc, dxStream::readPermission, false));
    EXPECT_EQ(s.getSize(), 2u);
}

TEST(FolderListing, HiddenNamesAreSkippedUnlessAskedForAndOrderIsByName)
{
    TempDir dir;
    for (const char* n : {"b.icc", ".hidden", "a.icc", ".."})
        if (std::string(n) != "..")
            vgtest::writeFile(dir / n, {1});
    std::vector<FSRef> visible, all;
    ASSERT_TRUE(getObjectsByFolder(visible, refOf(dir.path()), false));
    ASSERT_TRUE(getObjectsByFolder(all, refOf(dir.path()), true));
    EXPECT_EQ(leaves(visible, dir.str()), (std::vector<std::string>{"a.icc", "b.icc"}));
    EXPECT_EQ(leaves(all, dir.str()), (std::vector<std::string>{".hidden", "a.icc", "b.icc"}));
    std::vector<FSRef> none;
    EXPECT_FALSE(getObjectsByFolder(none, refOf(dir / "a.icc"), true)) << "a file is no folder";
}

TEST(AliasFilter, ResolvesLinksSkipsDanglingOnesAndDuplicates)
{
    TempDir dir;
    vgtest::writeFile(dir / "real", {1});
    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_symlink(dir / "real", dir / "alias");
    std::filesystem::create_symlink(dir / "nowhere", dir / "dangling");
    std::filesystem::create_symlink(dir / "loop2", dir / "loop1");
    std::filesystem::create_symlink(dir / "loop1", dir / "loop2");
    std::vector<FSRef> children;
    ASSERT_TRUE(getObjectsByFolder(children, refOf(dir.path()), false));
    std::vector<FSRef> files, folders;
    retrieveActualObjectsByFSRefArray(files, children, true, false);
    retrieveActualObjectsByFSRefArray(folders, children, false, true);
    EXPECT_EQ(leaves(files, dir.str()), (std::vector<std::string>{"real"})) << "alias and target are one file";
    EXPECT_EQ(leaves(folders, dir.str()), (std::vector<std::string>{"folder"}));

    bool isFolder = true, wasAlias = false;
    FSRef target;
    ASSERT_TRUE(findActualObjectByAlias(&target, refOf(dir / "alias"), &isFolder, &wasAlias));
    EXPECT_TRUE(wasAlias);
    EXPECT_FALSE(isFolder);
    EXPECT_EQ(target.path, (dir / "real").string());
    EXPECT_FALSE(findActualObjectByAlias(&target, refOf(dir / "dangling"), nullptr, nullptr));
    EXPECT_FALSE(isFolderFSRef(refOf(dir / "dangling"), true));
}

TEST(DeepScan, BreadthFirstAndFiniteOnALinkCycle)
{
    TempDir dir;
    std::filesystem::create_directories(dir / "a" / "deep");
    std::filesystem::create_directory(dir / "b");
    vgtest::writeFile(dir / "top.icc", {1});
    vgtest::writeFile(dir / "a" / "deep" / "d.icc", {1});
    vgtest::writeFile(dir / "b" / "b.icc", {1});
    // Links that lead back up the tree and across it.
    std::filesystem::create_directory_symlink(dir.path(), dir / "a" / "deep" / "up");
    std::filesystem::create_directory_symlink(dir / "a", dir / "b" / "toA");

    std::vector<FSRef> files;
    ASSERT_TRUE(getDeepActualObjectByFolder(files, refOf(dir.path()), true, false, false));
    EXPECT_EQ(leaves(files, dir.str()), (std::vector<std::string>{"top.icc", "b/b.icc", "a/deep/d.icc"}));

    std::vector<FSRef> folders;
    ASSERT_TRUE(getDeepActualObjectByFolder(folders, refOf(dir.path()), false, true, false));
    const auto f = leaves(folders, dir.str());
    ASSERT_GE(f.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(f.begin(), f.begin() + 3), (std::vector<std::string>{"a", "b", "a/deep"}));
    std::vector<FSRef> none;
    EXPECT_FALSE(getDeepActualObjectByFolder(none, refOf(dir / "top.icc"), true, true, false));
}

class SysFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
            const char* old = std::getenv(v);
            saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
        }
        setenv("HOME", home_.str().c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CACHE_HOME");
    }
    void TearDown() override
    {
        for (const auto& [name, value] : saved_)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    TempDir home_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(SysFolders, PreferenceFolderIsCreatedOnlyWhenAskedAndFollowsXdg)
{
    FSRef ref;
    EXPECT_FALSE(getSysRelativeFolder(&ref, kUserDomain, kPreferencesFolderType, false));
    ASSERT_TRUE(getSysRelativeFolder(&ref, kUserDomain, kPreferencesFolderType, true));
    EXPECT_EQ(ref.path, (home_ / ".config" / "veriglow").string());

    setenv("XDG_CONFIG_HOME", (home_ / "cfg").c_str(), 1);
    ASSERT_TRUE(getSysRelativeFolder(&ref, kUserDomain, kPreferencesFolderType, true));
    EXPECT_EQ(ref.path, (home_ / "cfg" / "veriglow").string());
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    ASSERT_TRUE(getSysRelativeFolder(&ref, kUserDomain, kPreferencesFolderType, false));
    EXPECT_EQ(ref.path, (home_ / ".config" / "veriglow").string());
}

TEST_F(SysFolders, ProfileFoldersOfTheDomains)
{
    FSRef ref;
    ASSERT_TRUE(getSysRelativeFolder(&ref, kUserDomain, kColorSyncProfilesFolderType, true));
    EXPECT_EQ(ref.path, (home_ / ".local" / "share" / "icc").string());
    // System folders are never created: where one is missing the answer is false.
    const bool system = getSysRelativeFolder(&ref, kSystemDomain, kColorSyncProfilesFolderType, true);
    EXPECT_EQ(system, std::filesystem::is_directory("/usr/share/color/icc"));
    const auto all = getProfileFolders();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().path, (home_ / ".local" / "share" / "icc").string()) << "no ~/.color/icc here";
    EXPECT_FALSE(getSysRelativeFolder(&ref, kSystemDomain, kPreferencesFolderType, true));
}

TEST(ChooseFile, ReportsThatNoDialogExistsUntilOneIsInstalled)
{
    std::vector<FSRef> out;
    EXPECT_FALSE(dialogChooseFile(out, nullptr, 0x2A2A2A2A, nullptr, nullptr, false));
    setChooseFileDialog([](std::vector<FSRef>& o, const std::vector<unsigned long>*, unsigned long, const FSRef*,
                           const UniString*, bool) {
        o.push_back(FSRef{"/chosen"});
        return true;
    });
    EXPECT_TRUE(dialogChooseFile(out, nullptr, 0x2A2A2A2A, nullptr, nullptr, false));
    EXPECT_EQ(out.size(), 1u);
    setChooseFileDialog(nullptr);
}

} // namespace
