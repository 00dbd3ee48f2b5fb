#include "report/folder_header.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

FolderHeader HeaderFilledWith(unsigned char byte) {
  FolderHeader header;
  header.bytes.fill(byte);
  return header;
}

void Put(FolderHeader& header, std::size_t offset, const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    header.bytes[offset + i] = static_cast<unsigned char>(text[i]);
  }
}

TEST(ZStringAtTest, NamedFieldsEndAtTheirNul) {
  FolderHeader header;
  Put(header, 0, "Inbox mail");
  Put(header, 86, "FOL001");
  EXPECT_EQ(FriendlyName(header), "Inbox mail");
  EXPECT_EQ(FolderIdentifier(header), "FOL001");
}

TEST(ZStringAtTest, AllZeroHeaderGivesTwoEmptyTexts) {
  const FolderHeader header;
  EXPECT_EQ(FriendlyName(header), "");
  EXPECT_EQ(FolderIdentifier(header), "");
}

TEST(ZStringAtTest, WithoutNulTheLastByteIsLeftOut) {
  FolderHeader header = HeaderFilledWith('x');
  EXPECT_EQ(FriendlyName(header).size(), 127u);
  EXPECT_EQ(FolderIdentifier(header).size(), 41u);

  header.bytes[127] = 0;  // a NUL only in the last byte reads the same
  EXPECT_EQ(FriendlyName(header).size(), 127u);
  EXPECT_EQ(FolderIdentifier(header).size(), 41u);
}

TEST(ZStringAtTest, NameRunningPastTheIdentifierSharesItsTail) {
  FolderHeader header = HeaderFilledWith('n');
  Put(header, 86, "IDENTIFIER-BYTES");
  header.bytes[100] = 0;
  const std::string_view name = FriendlyName(header);
  const std::string_view identifier = FolderIdentifier(header);
  EXPECT_EQ(name.size(), 100u);
  EXPECT_EQ(identifier, "IDENTIFIER-BYT");
  EXPECT_EQ(name.substr(86), identifier);
}

TEST(ZStringAtTest, BytesAreTakenAsTheyAre) {
  FolderHeader header;
  Put(header, 0, "a\tb\r\nc\xE9\xFF");
  EXPECT_EQ(FriendlyName(header), "a\tb\r\nc\xE9\xFF");
}

TEST(ZStringAtTest, PositionsAtAndBeyondTheEdges) {
  const FolderHeader header = HeaderFilledWith('z');
  EXPECT_EQ(ZStringAt(header.bytes, 128), "");  // only the excluded last byte is left
  EXPECT_EQ(ZStringAt(header.bytes, 127), "z");
  EXPECT_EQ(ZStringAt(header.bytes, 0), "");
  EXPECT_EQ(ZStringAt(header.bytes, 129), "");
  EXPECT_EQ(ZStringAt({}, 1), "");
}

}  // namespace
}  // namespace vantrel
