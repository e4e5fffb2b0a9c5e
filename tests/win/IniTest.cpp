// INI access against real private-profile files in a fresh temp folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "INIToolz.h"
#include "TempFolder.h"

using namespace ordfalk;
using ordfalk::testing_support::Exists;
using ordfalk::testing_support::ReadBytes;
using ordfalk::testing_support::TempFolder;
using ordfalk::testing_support::WriteBytes;

namespace {

Text Repeat(const Text& piece, size_t length) {
  Text text;
  while (text.size() < length) text += piece;
  text.resize(length);
  return text;
}

class IniFileTest : public testing::Test {
 protected:
  TempFolder folder_;
  const Text file_ = folder_.File(L"settings.ini");
};

}  // namespace

TEST_F(IniFileTest, MissingFileGivesTheDefaultExactlyAndCreatesNothing) {
  const Text defaults[] = {u"Text 1", u"", u"x", u"0123456789ABCDEF", u"\u00E5\u00E4\u00F6",
                           u"Text 1 ", u"  ", u"\"quoted\"", u"x\ty", Text(u"a\0b", 3),
                           Repeat(u"0123456789", 3000)};
  for (const Text& def : defaults) {
    EXPECT_EQ(IniReadString(u"Main", u"Text1", def, file_), def) << def.size();
  }
  EXPECT_FALSE(Exists(file_)) << "a read created the file";
}

TEST_F(IniFileTest, MissingSectionOrKeyGivesTheDefault) {
  WriteBytes(file_, "[Main]\r\nText1=414243\r\n[Other]\r\nText2=44\r\n");
  EXPECT_EQ(IniReadString(u"Main", u"Text2", u"Text 2", file_), u"Text 2");
  EXPECT_EQ(IniReadString(u"Absent", u"Text1", u"Text 1", file_), u"Text 1");
  EXPECT_EQ(IniReadString(u"Main", u"Text2", u" \"q\" ", file_), u" \"q\" ");
  EXPECT_EQ(IniReadString(u"Main", u"Text11", u"d", file_), u"d");
  EXPECT_EQ(IniReadString(u"Main", u"Text", u"d", file_), u"d");
  EXPECT_EQ(IniReadString(u"Main", u"Text1", u"d", file_), u"414243");
  EXPECT_EQ(IniReadString(u"Other", u"Text2", u"d", file_), u"44");
}

TEST_F(IniFileTest, WriteCreatesFileSectionAndKeyAndReadsBack) {
  EXPECT_TRUE(IniWriteString(u"Main", u"Text1", u"414243", file_));
  EXPECT_EQ(IniReadString(u"Main", u"Text1", u"Text 1", file_), u"414243");
  const std::string bytes = ReadBytes(file_);
  EXPECT_NE(bytes.find("[Main]"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("Text1=414243"), std::string::npos) << bytes;
}

TEST_F(IniFileTest, EmptyValueIsAValueNotTheDefault) {
  IniWriteString(u"Main", u"Text3", u"", file_);
  EXPECT_EQ(IniReadString(u"Main", u"Text3", u"Text 3", file_), u"");
  EXPECT_NE(ReadBytes(file_).find("Text3="), std::string::npos);
  // Writing an empty value over a stored one keeps the key too.
  IniWriteString(u"Main", u"Text4", u"41", file_);
  IniWriteString(u"Main", u"Text4", u"", file_);
  EXPECT_EQ(IniReadString(u"Main", u"Text4", u"Text 4", file_), u"");
}

TEST_F(IniFileTest, WriteReplacesInPlaceAndLeavesEverythingElse) {
  WriteBytes(file_,
             "; kept comment\r\n"
             "[Other]\r\n"
             "Text1=keep\r\n"
             "[Main]\r\n"
             "Text1=old\r\n"
             "Text2=two\r\n"
             "free line\r\n"
             "[Last]\r\n"
             "Key=last\r\n");
  IniWriteString(u"Main", u"Text1", u"new", file_);
  EXPECT_EQ(IniReadString(u"Main", u"Text1", u"d", file_), u"new");
  EXPECT_EQ(IniReadString(u"Other", u"Text1", u"d", file_), u"keep");
  EXPECT_EQ(IniReadString(u"Main", u"Text2", u"d", file_), u"two");
  EXPECT_EQ(IniReadString(u"Last", u"Key", u"d", file_), u"last");
  const std::string bytes = ReadBytes(file_);
  const char* lines[] = {"; kept comment", "[Other]", "Text1=keep", "[Main]", "Text1=new",
                         "Text2=two", "free line", "[Last]", "Key=last"};
  size_t at = 0;
  for (const char* line : lines) {
    const size_t found = bytes.find(line, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << bytes;
    at = found + std::strlen(line);
  }
  EXPECT_EQ(bytes.find("Text1=old"), std::string::npos) << bytes;
}

TEST_F(IniFileTest, LongValuesComeBackWhole) {
  // Around the first buffer of 2048 units and its doublings.
  for (const size_t length : {2046u, 2047u, 2048u, 2049u, 3000u, 4095u, 4096u, 10000u}) {
    const Text value = Repeat(u"0123456789ABCDEF", length);
    IniWriteString(u"Main", u"Text1", value, file_);
    const Text read = IniReadString(u"Main", u"Text1", u"Text 1", file_);
    EXPECT_EQ(read.size(), length);
    EXPECT_TRUE(read == value) << length;
  }
}

TEST_F(IniFileTest, KeyAndSectionNamesIgnoreCaseOnThisPlatform) {
  IniWriteString(u"Main", u"Text1", u"41", file_);
  EXPECT_EQ(IniReadString(u"main", u"text1", u"d", file_), u"41");
  EXPECT_EQ(IniReadString(u"MAIN", u"TEXT1", u"d", file_), u"41");
  // Writing under another spelling replaces the value instead of adding a key.
  IniWriteString(u"MAIN", u"TEXT1", u"42", file_);
  EXPECT_EQ(IniReadString(u"Main", u"Text1", u"d", file_), u"42");
  const std::string bytes = ReadBytes(file_);
  EXPECT_EQ(bytes.find("41"), std::string::npos) << bytes;
}

TEST_F(IniFileTest, ANonEmptyFileNameIsUsedUnchanged) {
  const Text other = folder_.File(L"paste.cfg");
  IniWriteString(u"Main", u"Text1", u"41", other);
  EXPECT_TRUE(Exists(other));
  EXPECT_FALSE(Exists(folder_.File(L"paste.INI")));
  EXPECT_EQ(IniReadString(u"Main", u"Text1", u"d", other), u"41");
}

TEST_F(IniFileTest, FolderInPlaceOfTheFileRefusesWrites) {
  // Root ignores permission bits, so a folder stands where the file would be.
  ASSERT_TRUE(CreateDirectoryW(Wide(file_).c_str(), nullptr));
  EXPECT_FALSE(IniWriteString(u"Main", u"Text1", u"414243", file_));
  EXPECT_EQ(IniReadString(u"Main", u"Text1", u"Text 1", file_), u"Text 1");
  EXPECT_FALSE(IniWriteString(u"Main", u"Text2", u"", file_));
  EXPECT_EQ(IniReadString(u"Main", u"Text2", u"Text 2", file_), u"Text 2");
}

TEST_F(IniFileTest, WriteAnswersWhetherTheFileHoldsTheValue) {
  // The file lies in a folder whose place is taken by a file: creating or
  // replacing it is impossible.
  const Text blocked = folder_.File(L"notafolder\\settings.ini");
  WriteBytes(folder_.File(L"notafolder"), "x");
  EXPECT_FALSE(IniWriteString(u"Main", u"Text1", u"414243", blocked));
  EXPECT_EQ(IniReadString(u"Main", u"Text1", u"Text 1", blocked), u"Text 1");

  // Then a file held open by another program: one that lets others read it
  // refuses a new value, but holds the one it has; one that shares nothing
  // cannot even be read. A key it lacks is never taken for an empty value.
  const std::string held = "[Main]\r\nText1=old\r\nText2=\r\n";
  struct Row {
    DWORD sharing;
    const char16_t* key;
    const char16_t* value;
    bool holds;
  };
  const Row rows[] = {
      {FILE_SHARE_READ, u"Text1", u"old", true},  {FILE_SHARE_READ, u"Text1", u"new", false},
      {FILE_SHARE_READ, u"Text2", u"", true},     {FILE_SHARE_READ, u"Text3", u"", false},
      {0, u"Text1", u"old", false},               {0, u"Text1", u"new", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row " << &row - rows);
    WriteBytes(file_, held);
    file_bytes::HeldFile holder(Wide(file_), row.sharing);
    ASSERT_TRUE(holder.Held());
    EXPECT_EQ(IniWriteString(u"Main", row.key, row.value, file_), row.holds);
    holder.Release();
    EXPECT_EQ(ReadBytes(file_), held);
  }
  // Once the holder lets go, the new value is written.
  EXPECT_TRUE(IniWriteString(u"Main", u"Text1", u"new", file_));
  EXPECT_EQ(IniReadString(u"Main", u"Text1", u"d", file_), u"new");
}
