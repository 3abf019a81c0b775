#include "db/schema/VSchema.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "Sjis.h"
#include "TempDir.h"
#include "base/VFile.h"
#include "db/schema/VSystemSchemas.h"
#include "db/schema/VValue.h"

namespace {

std::unique_ptr<VSchema> Read(const std::string& text, VResult* result = nullptr) {
  // An exact-size copy, so that reading past the text is caught by the sanitizer.
  std::vector<char> block(text.begin(), text.end());
  return ReadSchema(block.data(), static_cast<int64_t>(block.size()), result);
}

VResult Code(const std::string& text) {
  VResult result = kVOk;
  EXPECT_EQ(Read(text, &result), nullptr) << text;
  return result;
}

VSch_DBFile* AsFile(const std::unique_ptr<VSchema>& schema) {
  return schema && schema->Kind() == VSchema::kFile ? static_cast<VSch_DBFile*>(schema.get())
                                                    : nullptr;
}

TEST(VSchemaTest, SystemSchemasReadAsOneFileAndWriteBackExactly) {
  auto dd = ReadSchema(kVSchemaDataDictionary, 0);
  VSch_DBFile* file = AsFile(dd);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Number(), 30001);
  EXPECT_EQ(file->Label(), "@DDD");
  EXPECT_EQ(file->StorageName(), "@DDD");
  EXPECT_EQ(file->IndexBlockSize(), 4096);
  EXPECT_EQ(file->ItemCount(), 6);
  EXPECT_EQ(file->KeyCount(), 4);
  EXPECT_EQ(file->ItemByNumber(2)->Type(), kVTypeNumber);
  EXPECT_EQ(file->ItemByNumber(5)->Length(), 255);
  EXPECT_EQ(file->KeyByNumber(4)->PartAt(0), file->ItemByNumber(4));
  EXPECT_EQ(file->Text(),
            "[FILE:30001] NAME = \"DBDD\" LABEL = \"@DDD\" BLOCKSIZE = (4096, 4096)\r\n"
            "\t[ITEM:1] NAME = \"DDCODE\" TYPE = String LENGTH = 8\r\n"
            "\t[ITEM:2] NAME = \"FID\" TYPE = Number LENGTH = 5\r\n"
            "\t[ITEM:3] NAME = \"IID\" TYPE = Number LENGTH = 5\r\n"
            "\t[ITEM:4] NAME = \"NAME\" TYPE = String LENGTH = 32\r\n"
            "\t[ITEM:5] NAME = \"DESC\" TYPE = String LENGTH = 255\r\n"
            "\t[ITEM:6] NAME = \"LABEL\" TYPE = String LENGTH = 32\r\n"
            "\t[KEY:1] NAME = \"DDCODE\" TYPE = String BIND = [1]\r\n"
            "\t[KEY:2] NAME = \"FID\" TYPE = Number BIND = [2]\r\n"
            "\t[KEY:3] NAME = \"IID\" TYPE = Number BIND = [3]\r\n"
            "\t[KEY:4] NAME = \"NAME\" TYPE = String BIND = [4]\r\n");

  const char* const* all[] = {kVSchemaDataDictionary, kVSchemaUserFile, kVSchemaValueFile,
                              kVSchemaTransactionLog, kVSchemaCommandLog};
  int number = 30001;
  for (const char* const* lines : all) {
    VResult result = -1;
    auto schema = ReadSchema(lines, 0, &result);
    ASSERT_EQ(result, kVOk);
    VSch_DBFile* f = AsFile(schema);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Number(), number++);
    // Written text reads back to the same tree, which writes the same text again.
    std::string text = f->Text();
    auto again = Read(text);
    ASSERT_NE(AsFile(again), nullptr) << text;
    EXPECT_EQ(again->Text(), text);
  }
  auto user = ReadSchema(kVSchemaUserFile, 0);
  EXPECT_EQ(AsFile(user)->KeyByNumber(1)->Flags(), kVKeyUnique);
  EXPECT_EQ(AsFile(user)->KeyByNumber(1)->HeaderText(),
            "[KEY:1] NAME = \"NAME\" TYPE = \"String,Unique\" BIND = [1]");
  auto tlog = ReadSchema(kVSchemaTransactionLog, 0);
  EXPECT_EQ(AsFile(tlog)->DataBlockSize(), 8192);
  EXPECT_EQ(AsFile(tlog)->ItemByNumber(8)->Type(), kVTypePacket);
  EXPECT_EQ(AsFile(tlog)->ItemNumberByName("TR-Stat"), 6);
  EXPECT_EQ(AsFile(tlog)->KeyNumberByName("TStamp"), 3);
  EXPECT_EQ(AsFile(tlog)->KeyNumberByName("tstamp"), -1);
}

TEST(VSchemaTest, DatabasesFilesAndTheAutomaticDatabase) {
  auto two = Read("[FILE:1] NAME = A [ITEM:1] [FILE:2] NAME = B [ITEM:1] TYPE = Date");
  ASSERT_NE(two, nullptr);
  ASSERT_EQ(two->Kind(), VSchema::kDatabase);
  auto* db = static_cast<VSch_DB*>(two.get());
  EXPECT_EQ(db->Name(), "DATABASE");
  EXPECT_EQ(db->Desc(), "AUTO-Gen");
  EXPECT_EQ(db->Label(), "DB001");
  ASSERT_EQ(db->FileCount(), 2);
  EXPECT_EQ(db->FileAt(0)->Name(), "A");
  EXPECT_EQ(db->FileByNumber(2)->ItemAt(0)->Type(), kVTypeDate);

  auto named = Read("[DB] NAME = \"Shop\" DESC = 'Goods and prices' [FILE:-3] [FILE:1200]");
  ASSERT_NE(named, nullptr);
  db = static_cast<VSch_DB*>(named.get());
  EXPECT_EQ(db->Number(), 0);
  EXPECT_EQ(db->FileAt(0)->Number(), -3);
  EXPECT_EQ(db->FileAt(1)->StorageName(), "@f01200");
  EXPECT_EQ(db->Text(),
            "[DATABASE:0] NAME = \"Shop\" DESC = \"Goods and prices\"\r\n"
            "[FILE:-3] BLOCKSIZE = (2048, 4096)\r\n"
            "[FILE:1200] BLOCKSIZE = (2048, 4096)\r\n");
  auto again = Read(db->Text());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Text(), db->Text());

  VSch_DBFile twelve(12);
  EXPECT_EQ(twelve.StorageName(), "@f012");
}

TEST(VSchemaTest, PropertyValueForms) {
  auto schema = Read(
      "[file:7] name = Goods bs = (1024 x 8192)\n"
      "[ITEM:1] NAME = DD2 TYPE = String\n"
      "[ITEM:2] NAME=\"Price\" TYPE='number' LENGTH: = 12\n"
      "[ITEM:5] DESC = \"two\nlines\"\n"
      "[KEY:1]  NAME = \"NAME\" TYPE = \"String,Unique\" BIND = [1]\n"
      "[KEY:2] TYPE = \"Number,reverse,NULLOMIT,IgnoreCase,IgnoreJCase\" BIND = [2] + [5(1-3)]\n"
      "[KEY:3] BIND = [7] NAME = after\n"
      "[KEY:4] BIND = NONE\n");
  VSch_DBFile* f = AsFile(schema);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Name(), "Goods");
  EXPECT_EQ(f->IndexBlockSize(), 1024);
  EXPECT_EQ(f->DataBlockSize(), 8192);
  EXPECT_EQ(f->ItemByNumber(1)->Name(), "DD");  // a digit ends an unquoted text
  EXPECT_EQ(f->ItemByNumber(2)->Type(), kVTypeNumber);
  EXPECT_EQ(f->ItemByNumber(2)->Length(), 12);
  EXPECT_EQ(f->ItemByNumber(5)->Desc(), "two\nlines");
  VSch_DBKey* unique = f->KeyByNumber(1);
  EXPECT_EQ(unique->Type(), kVTypeString);
  EXPECT_EQ(unique->Flags(), kVKeyUnique);
  VSch_DBKey* two = f->KeyByNumber(2);
  EXPECT_EQ(two->Flags(), kVKeyReverse | kVKeyNullOmit | kVKeyIgnoreCase | kVKeyIgnoreJCase);
  ASSERT_EQ(two->PartCount(), 2);
  EXPECT_EQ(two->PartAt(1)->Number(), 5);
  EXPECT_EQ(two->TypeText(), "\"Number,Reverse,NullOmit,IgnoreCase,IgnoreJCase\"");
  // A part naming a missing item adds it with the defaults.
  VSch_DBItem* seven = f->ItemByNumber(7);
  ASSERT_NE(seven, nullptr);
  EXPECT_EQ(seven->Type(), kVTypeString);
  EXPECT_EQ(seven->Length(), 16);
  EXPECT_EQ(f->KeyByNumber(3)->PartAt(0), seven);
  EXPECT_EQ(f->KeyByNumber(3)->Name(), "after");
  EXPECT_EQ(f->KeyByNumber(4)->PartCount(), 0);
  EXPECT_EQ(f->KeyByNumber(4)->HeaderText(), "[KEY:4] TYPE = String BIND = NONE");

  auto again = Read(f->Text());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Text(), f->Text());
}

TEST(VSchemaTest, ReaderResultCodes) {
  EXPECT_EQ(Code("FILE:1]"), kVSchemaBadStatement);
  EXPECT_EQ(Code("[FILE:1"), kVSchemaBadStatement);
  EXPECT_EQ(Code("[TABLE:1]"), kVSchemaBadStatement);
  EXPECT_EQ(Code("[FILE:1] [ITEM:256]"), kVSchemaBadStatement);
  EXPECT_EQ(Code("[FILE:1] [KEY:-1]"), kVSchemaBadStatement);
  EXPECT_EQ(Code("[FILE:40000]"), kVSchemaBadStatement);
  EXPECT_EQ(Code("[FILE:1] [KEY:1] BIND = ALL"), kVSchemaBadStatement);
  EXPECT_EQ(Code("[DATABASE] BLOCKSIZE = (1, 2)"), kVSchemaBadDatabaseProperty);
  EXPECT_EQ(Code("[FILE:1] TYPE = String"), kVSchemaBadFileProperty);
  EXPECT_EQ(Code("[FILE:1] [ITEM:1] LABEL = x"), kVSchemaBadItemProperty);
  EXPECT_EQ(Code("[FILE:1] [ITEM:1] TYPE = Currency"), kVSchemaBadItemProperty);
  EXPECT_EQ(Code("[FILE:1] [KEY:1] LENGTH = 3"), kVSchemaBadKeyProperty);
  EXPECT_EQ(Code("[FILE:1] [KEY:1] TYPE = Packet"), kVSchemaBadKeyProperty);
  EXPECT_EQ(Code("[FILE:1] 9NAME = x"), kVSchemaBadPropertyName);
  // Written "created" flags do not read back.
  VSch_DBFile file(3);
  file.MarkCreated();
  EXPECT_EQ(file.HeaderText(), "[FILE:3] created BLOCKSIZE = (2048, 4096)");
  EXPECT_EQ(Code(file.Text()), kVSchemaBadFileProperty);
  // The choices left open: items and keys before a file, over-long texts, more than five parts.
  EXPECT_EQ(Code("[ITEM:1] NAME = x"), kVSchemaNoFile);
  EXPECT_EQ(Code("[FILE:1] [DB] [KEY:1]"), kVSchemaNoFile);
  EXPECT_EQ(Code("[FILE:1] NAME = \"" + std::string(128, 'n') + "\""), kVSchemaTextTooLong);
  EXPECT_EQ(Code("[FILE:1] DESC = \"" + std::string(256, 'd') + "\""), kVSchemaTextTooLong);
  EXPECT_NE(Read("[FILE:1] DESC = \"" + std::string(255, 'd') + "\""), nullptr);
  EXPECT_EQ(Code("[FILE:1] [KEY:1] BIND = [1] + [2] + [3] + [4] + [5] + [6]"),
            kVSchemaTooManyParts);
  EXPECT_NE(Read("[FILE:1] [KEY:1] BIND = [1] + [2] + [3] + [4] + [5]"), nullptr);
  // Values that are missing or unterminated.
  EXPECT_EQ(Code("[FILE:1] NAME"), kVSchemaBadValue);
  EXPECT_EQ(Code("[FILE:1] NAME = \"open"), kVSchemaBadValue);
  EXPECT_EQ(Code("[FILE:1] BS = (4096"), kVSchemaBadValue);
  EXPECT_EQ(Code("[FILE:1] BS = (70000, 1)"), kVSchemaBadValue);
  EXPECT_EQ(Code("[FILE:1] [ITEM:1] LENGTH = x"), kVSchemaBadValue);
  EXPECT_EQ(Code("[FILE:1] [KEY:1] BIND = [1"), kVSchemaBadStatement);
  EXPECT_EQ(Code(""), kVSchemaBadStatement);
  EXPECT_EQ(Code(" , \r\n"), kVSchemaBadStatement);
}

TEST(VSchemaTest, TextsSurviveTheRoundTrip) {
  VSch_DBFile file(5);
  file.SetName(Sj("商品"));
  file.SetDesc("say \"hi\"");  // a double quote is written between apostrophes
  VSch_DBItem* item = file.AddItem(1);
  item->SetName(Sj("価格表"));
  item->SetType(kVTypePNG);
  VSch_DBKey* key = file.AddKey(1);
  key->AddPart(item);
  key->SetFlags(kVKeyUnique | kVKeyIgnoreCase);
  auto again = Read(file.Text());
  VSch_DBFile* f = AsFile(again);
  ASSERT_NE(f, nullptr) << file.Text();
  EXPECT_EQ(f->Name(), Sj("商品"));
  EXPECT_EQ(f->Desc(), "say \"hi\"");
  EXPECT_EQ(f->ItemByNumber(1)->Type(), kVTypePNG);
  EXPECT_EQ(f->ItemNumberByName(Sj("価格表")), 1);
  EXPECT_EQ(f->KeyAt(0)->Flags(), kVKeyUnique | kVKeyIgnoreCase);
  file.SetDesc(nullptr);
  EXPECT_EQ(file.Desc(), "");

  char buffer[8192];
  int32_t length = 0;
  ASSERT_EQ(file.WriteToBuffer(buffer, sizeof buffer, &length), kVOk);
  EXPECT_EQ(std::string(buffer, static_cast<size_t>(length)), file.Text());
  EXPECT_EQ(file.WriteToBuffer(buffer, 20, &length), -29);
}

TEST(VSchemaTest, DescriptionRecords) {
  auto schema = ReadSchema(kVSchemaUserFile, 0);
  VSch_DBFile* f = AsFile(schema);
  ASSERT_NE(f, nullptr);
  VFileDescription fd;
  f->FileDescription(&fd);
  EXPECT_EQ(fd.number, 30002);
  EXPECT_STREQ(fd.name, "DBUser");
  EXPECT_STREQ(fd.label, "@USER");
  EXPECT_EQ(fd.dataBlockSize, 4096);
  VItemDescription id;
  ASSERT_TRUE(f->ItemDescription(2, &id));
  EXPECT_EQ(id.number, 3);
  EXPECT_EQ(id.type, kVTypeNumber);
  EXPECT_EQ(id.length, 3);
  EXPECT_STREQ(id.name, "ACCESS");
  EXPECT_FALSE(f->ItemDescription(4, &id));
  VKeyDescription kd;
  ASSERT_TRUE(f->KeyDescriptionByNumber(1, &kd));
  EXPECT_EQ(kd.type, kVTypeString);
  EXPECT_EQ(kd.flags, kVKeyUnique);
  EXPECT_EQ(kd.partCount, 1);
  EXPECT_EQ(kd.parts[0].item, 1);
  EXPECT_EQ(kd.parts[0].firstOccurrence, 0);
  EXPECT_FALSE(f->KeyDescriptionByNumber(3, &kd));
  EXPECT_TRUE(f->MarkKeyCreated(2));
  EXPECT_TRUE(f->KeyByNumber(2)->IsCreated());
  EXPECT_FALSE(f->MarkKeyErased(9));

  // A text set through the interface longer than its field is cut on a character boundary.
  VSch_DBFile longName(1);
  std::string kana;
  for (int i = 0; i < 70; ++i) kana += Sj("カ");
  longName.SetName(kana);
  longName.FileDescription(&fd);
  EXPECT_EQ(std::string(fd.name), kana.substr(0, 126));
}

TEST(VSchemaTest, ReadsFromAFile) {
  TempDir dir;
  std::string path = dir / "shop.sch";
  {
    std::ofstream out(path, std::ios::binary);
    out << "[FILE:9] NAME = \"Shop\"\r\n\t[ITEM:1] TYPE = Integer\r\n";
  }
  VFile file(path);
  VResult result = -1;
  auto schema = ReadSchema(file, &result);
  ASSERT_EQ(result, kVOk);
  ASSERT_NE(AsFile(schema), nullptr);
  EXPECT_EQ(AsFile(schema)->ItemAt(0)->Type(), kVTypeInteger);
  EXPECT_FALSE(file.IsOpen());
  VFile missing(dir / "missing.sch");
  EXPECT_EQ(ReadSchema(missing, &result), nullptr);
  EXPECT_NE(result, kVOk);
}

}  // namespace
