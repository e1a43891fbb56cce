#include "payload/Container.h"

#include <gtest/gtest.h>

#include "payload/Marker.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

std::string MarkerText() {
  const Marker m = ContainerMarker();
  return std::string(reinterpret_cast<const char*>(m.data()), m.size());
}

std::string Int32(int32_t v) {
  std::string s;
  AppendInt32(s, v);
  return s;
}

TEST(FindContainer, FindsTheMarkerWhereverItLies) {
  const std::string marker = MarkerText();
  struct Case {
    const char* name;
    std::string prefix;
  };
  const Case cases[] = {
      {"at the start", ""},
      {"straddling the first block boundary", std::string(995, 'x')},
      {"ending exactly on the block boundary", std::string(1001 - 13, 'x')},
      {"starting on the block boundary", std::string(1001, 'x')},
      {"after a byte equal to its first byte", std::string(1, marker[0])},
      {"after a partial match", marker.substr(0, 7)},
      {"after a partial match across a block boundary", std::string(996, 'y') + marker.substr(0, 6)},
  };
  TempDir dir;
  for (const auto& c : cases) {
    WriteText(dir / "f", c.prefix + marker + Int32(7) + "rest");
    const ContainerLocation location = FindContainer(dir / "f");
    EXPECT_TRUE(location.found) << c.name;
    EXPECT_EQ(location.offset, static_cast<int64_t>(c.prefix.size() + 13)) << c.name;
    EXPECT_EQ(location.count, 7) << c.name;
  }
}

TEST(FindContainer, ReportsNotFound) {
  TempDir dir;
  const std::string marker = MarkerText();
  WriteText(dir / "none", std::string(5000, 'a'));
  WriteText(dir / "partial", std::string(100, 'a') + marker.substr(0, 12));
  WriteText(dir / "nocount", marker + "ab");
  EXPECT_FALSE(FindContainer(dir / "none").found);
  EXPECT_FALSE(FindContainer(dir / "partial").found);
  EXPECT_FALSE(FindContainer(dir / "nocount").found);
  EXPECT_FALSE(FindContainer(dir / "missing").found);
}

TEST(ExtractContainer, WritesEachMemberToItsTarget) {
  TempDir dir;
  const std::string big(70000, 'q');  // larger than the copy buffer
  WriteText(dir / "c", "engine bytes" + ContainerBytes({"first", "", big}));
  const auto report = ExtractContainer(dir / "c", {dir / "0", dir / "1", dir / "2"});
  EXPECT_EQ(report.members, 3);
  EXPECT_EQ(report.written, 3);
  EXPECT_EQ(ReadText(dir / "0"), "first");
  EXPECT_TRUE(FileExists(dir / "1"));
  EXPECT_EQ(ReadText(dir / "1"), "");
  EXPECT_EQ(ReadText(dir / "2"), big);
}

TEST(ExtractContainer, DamagedContainersWriteWhatTheyHoldAndNoMore) {
  const std::string marker = MarkerText();
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> expected;  // contents of targets 0 and 1; "-" means not written
  };
  const Case cases[] = {
      {"count zero", marker + Int32(0) + Int32(3) + "abc", {"-", "-"}},
      {"negative count", marker + Int32(-2) + Int32(3) + "abc", {"-", "-"}},
      {"size past the end", marker + Int32(2) + Int32(10) + "abc", {"abc", "-"}},
      {"negative size ends it", marker + Int32(2) + Int32(-1) + "abc", {"-", "-"}},
      {"count larger than members", marker + Int32(5) + Int32(2) + "ab", {"ab", "-"}},
      {"no marker", std::string("plain file"), {"-", "-"}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteText(dir / "c", c.bytes);
    ExtractContainer(dir / "c", {dir / "0", dir / "1"});
    for (size_t i = 0; i < 2; ++i) {
      const std::string target = dir / std::to_string(i);
      if (c.expected[i] == "-") {
        EXPECT_FALSE(FileExists(target)) << c.name << " target " << i;
      } else {
        EXPECT_EQ(ReadText(target), c.expected[i]) << c.name << " target " << i;
      }
    }
  }
}

TEST(ExtractContainer, SkipsMembersWithoutAUsableTarget) {
  TempDir dir;
  WriteText(dir / "c", ContainerBytes({"one", "two", "three", "four"}));
  symlink((dir / "outside").c_str(), (dir / "link").c_str());
  // Target 0 cannot be created, target 1 is a link, target 2 is empty, member 3 has no name.
  const auto report = ExtractContainer(dir / "c", {dir / "no/such/folder/x", dir / "link", ""});
  EXPECT_EQ(report.members, 4);
  EXPECT_EQ(report.written, 0);
  EXPECT_FALSE(FileExists(dir / "outside"));
  EXPECT_FALSE(FileExists(dir / "z"));
  // With names for all, the member after skipped ones still lands in its own target.
  ExtractContainer(dir / "c", {"", "", "", dir / "z"});
  EXPECT_EQ(ReadText(dir / "z"), "four");
}

TEST(ExtractContainer, OverwritesAnExistingTarget) {
  TempDir dir;
  WriteText(dir / "t", "a much longer old content");
  WriteText(dir / "c", ContainerBytes({"new"}));
  ExtractContainer(dir / "c", {dir / "t"});
  EXPECT_EQ(ReadText(dir / "t"), "new");
}

TEST(ContainerWriter, StreamsNestedContainersThatReadBack) {
  TempDir dir;
  WriteText(dir / "media", std::string(100000, 'm'));
  const std::vector<ContainerMember> members = {
      ContainerMember::FromBytes("head"),
      ContainerMember::FromContainer({ContainerMember::FromFile(dir / "media"), ContainerMember::FromBytes("")}),
  };
  EXPECT_EQ(MemberSize(members[1]), 13 + 4 + 4 + 100000 + 4);
  const int fd = OpenForWriteNoFollow(dir / "out");
  std::string error;
  ASSERT_TRUE(WriteContainer(fd, members, error)) << error;
  close(fd);
  ExtractContainer(dir / "out", {dir / "0", dir / "1"});
  EXPECT_EQ(ReadText(dir / "0"), "head");
  ExtractContainer(dir / "1", {dir / "m0", dir / "m1"});
  EXPECT_EQ(ReadText(dir / "m0"), std::string(100000, 'm'));
  EXPECT_EQ(ReadText(dir / "m1"), "");

  std::vector<ContainerMember> missing = {ContainerMember::FromFile(dir / "nope")};
  const int fd2 = OpenForWriteNoFollow(dir / "out2");
  EXPECT_FALSE(WriteContainer(fd2, missing, error));
  close(fd2);
}

TEST(ParseContainerBytes, KeepsWhatATruncatedContainerHolds) {
  std::vector<std::string> members;
  const std::string whole = ContainerBytes({"abc", "defg"});
  ASSERT_TRUE(ParseContainerBytes(whole, members));
  EXPECT_EQ(members, (std::vector<std::string>{"abc", "defg"}));
  ASSERT_TRUE(ParseContainerBytes(whole.substr(0, whole.size() - 2), members));
  EXPECT_EQ(members, (std::vector<std::string>{"abc", "de"}));
  EXPECT_FALSE(ParseContainerBytes("x" + whole, members));
}

}  // namespace
}  // namespace kx
