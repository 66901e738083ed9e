// The profile-file reader and writer: lookups, updates that keep the rest of
// the file, the value limit, integer reading and a refused write.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "common/Charset.h"
#include "support_App.h"

namespace vantora {
namespace {

TEST(ProfileLookup, FindsKeysOfTheFirstMatchingSectionOnly) {
  const std::string file =
      "; comment\r\n[Other]\r\nCode=7\r\n[ config ]\r\n code = 1 \r\nCodeList=\"1301,1332\"\r\n"
      "Empty=\r\n[Config]\r\nCategory=111\r\n";
  EXPECT_EQ(ProfileLookup(file, "Config", "Code", "d"), "1");
  EXPECT_EQ(ProfileLookup(file, "CONFIG", "codelist", "d"), "1301,1332");  // quotes removed
  EXPECT_EQ(ProfileLookup(file, "Config", "Empty", "d"), "");
  EXPECT_EQ(ProfileLookup(file, "Config", "Category", "d"), "d");  // second [Config] not read
  EXPECT_EQ(ProfileLookup(file, "Missing", "Code", "d"), "d");
  EXPECT_EQ(ProfileLookup("", "Config", "Code", "d"), "d");
  // LF-only files and a last line without a break read the same.
  EXPECT_EQ(ProfileLookup("[Config]\nCode=0x1F", "Config", "Code", ""), "0x1F");
}

TEST(ProfileLookup, SectionNameScanStepsOverDoubleByteCharacters) {
  // "ゾ" is 0x83 0x5D in Shift-JIS: its second byte is ']'.
  const std::string so = Utf8ToCp932("ゾ");
  ASSERT_EQ(so, "\x83\x5D");
  const std::string file = "[" + so + "x]\r\nKey=a\r\n[Config]\r\nKey=b\r\n";
  EXPECT_EQ(ProfileLookup(file, so + "x", "Key", ""), "a");
  EXPECT_EQ(ProfileLookup(file, "Config", "Key", ""), "b");
}

TEST(ProfileLookup, ValuesAreCutAt2047BytesWithoutSplittingACharacter) {
  const std::string ascii(3000, '7');
  EXPECT_EQ(ProfileLookup("[Config]\r\nCodeList=" + ascii, "Config", "CodeList", "").size(), 2047u);
  // 2046 ASCII bytes then a double-byte character that would straddle the limit.
  const std::string value = std::string(2046, '1') + Utf8ToCp932("株") + "9";
  const std::string read = ProfileLookup("[Config]\r\nCodeList=" + value, "Config", "CodeList", "");
  EXPECT_EQ(read, std::string(2046, '1'));
}

TEST(ProfileUpdate, ReplacesAddsAndKeepsEverythingElse) {
  const std::string file =
      "; keep me\r\n[Other]\r\nA=1\r\n\r\n[Config]\r\nCode=0\r\nX=y\r\n\r\n[Tail]\r\nB=2\r\n";
  std::string updated = ProfileUpdate(file, "Config", "code", "1");
  EXPECT_EQ(updated,
            "; keep me\r\n[Other]\r\nA=1\r\n\r\n[Config]\r\ncode=1\r\nX=y\r\n\r\n[Tail]\r\nB=2\r\n");
  // A new key goes after the section's last entry, before its blank line.
  updated = ProfileUpdate(file, "Config", "CodeList", "1301");
  EXPECT_EQ(updated,
            "; keep me\r\n[Other]\r\nA=1\r\n\r\n[Config]\r\nCode=0\r\nX=y\r\nCodeList=1301\r\n"
            "\r\n[Tail]\r\nB=2\r\n");
  // A missing section is added at the end; a last line without a break gets one.
  EXPECT_EQ(ProfileUpdate("[Tail]\r\nB=2", "Config", "Code", "1"),
            "[Tail]\r\nB=2\r\n[Config]\r\nCode=1\r\n");
  // A new file is written as the three keys in the order written, CR LF.
  std::string fresh = ProfileUpdate("", "Config", "Code", "1");
  fresh = ProfileUpdate(fresh, "Config", "CodeList", "1301,1332");
  fresh = ProfileUpdate(fresh, "Config", "Category", "10");
  EXPECT_EQ(fresh, "[Config]\r\nCode=1\r\nCodeList=1301,1332\r\nCategory=10\r\n");
  // LF files keep LF; line breaks inside a value cannot inject keys.
  EXPECT_EQ(ProfileUpdate("[Config]\nCode=0\n", "Config", "CodeList", "a\r\nCode=9"),
            "[Config]\nCode=0\nCodeList=a  Code=9\n");
}

TEST(ProfileInteger, DecimalAndHexadecimalOnly) {
  EXPECT_EQ(ParseProfileInteger("1"), 1);
  EXPECT_EQ(ParseProfileInteger("0"), 0);
  EXPECT_EQ(ParseProfileInteger("-3"), -3);
  EXPECT_EQ(ParseProfileInteger("+12"), 12);
  EXPECT_EQ(ParseProfileInteger("0x10"), 16);
  EXPECT_EQ(ParseProfileInteger("0X0"), 0);
  EXPECT_EQ(ParseProfileInteger("0xff"), 255);
  for (const char* bad : {"", "0x", "x1", "1a", " 1", "yes", "--1", "+-1", "0x-1", "1.0",
                          "99999999999999999999"}) {
    EXPECT_FALSE(ParseProfileInteger(bad).has_value()) << bad;
  }
}

TEST(ProfileFile, ReadsWritesAndReportsARefusedWrite) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string path = dir.filePath("fnc.ini").toStdString();
  EXPECT_FALSE(ReadProfileBool(path, "Config", "Code", false));  // no file
  test::WriteBytes(path, "[Other]\r\nZ=1\r\n");
  WriteProfileString(path, "Config", "Code", "1");
  EXPECT_TRUE(ReadProfileBool(path, "Config", "Code", false));
  EXPECT_EQ(test::ReadBytes(path), "[Other]\r\nZ=1\r\n[Config]\r\nCode=1\r\n");
  WriteProfileString(path, "Config", "Code", "abc");
  EXPECT_TRUE(ReadProfileBool(path, "Config", "Code", true));  // not a number: default
  EXPECT_FALSE(ReadProfileBool(path, "Config", "Code", false));

  const std::string unwritable = dir.filePath("missing/fnc.ini").toStdString();
  try {
    WriteProfileString(unwritable, "Config", "Code", "1");
    FAIL() << "no error";
  } catch (const ProfileWriteError& error) {
    EXPECT_EQ(error.Path(), unwritable);
    EXPECT_EQ(std::string(error.what()), unwritable + " に書き込めません");
  }
}

TEST(ProfileFile, AReplacedFileKeepsItsPermissionsAndAFailedWriteLeavesNothingBehind) {
  QTemporaryDir kept;
  ASSERT_TRUE(kept.isValid());
  const std::string privateFile = kept.filePath("fnc.ini").toStdString();
  test::WriteBytes(privateFile, "[Config]\r\n");
  std::filesystem::permissions(privateFile, std::filesystem::perms::owner_read |
                                                std::filesystem::perms::owner_write);
  WriteProfileString(privateFile, "Config", "Code", "1");
  EXPECT_EQ(std::filesystem::status(privateFile).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A folder at the file's name: the new file is written, its rename fails.
  ASSERT_TRUE(std::filesystem::create_directory(dir.filePath("fnc.ini").toStdString()));
  EXPECT_THROW(WriteProfileString(dir.filePath("fnc.ini").toStdString(), "Config", "Code", "1"),
               ProfileWriteError);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path().toStdString()))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"fnc.ini"});
}

}  // namespace
}  // namespace vantora
