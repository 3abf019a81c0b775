// The optional system files and the message layer: the user file (SECURITY), the transaction log's
// files (TLOG), and a command's description in the log.
#include <gtest/gtest.h>

#include "EngineSupport.h"
#include "db/engine/VCMD.h"
#include "db/engine/VEngineCodes.h"
#include "db/engine/VUQue.h"
#include "db/store/VDBCodes.h"

TEST(VSystemFileTest, UsersAreStoredFoundByExactNameAndRemoved) {
  EngineOptions options;
  options.security = true;
  EngineEnv env(options);
  env.CreateShop();
  EXPECT_TRUE(env.Exists("INDEX/@USER.idx"));
  VDBHandle& db = env.Handle();
  ASSERT_EQ(db.AddUser("clerk", "secret", 3, 1), kVOk);
  // A name with quotes is a name, never part of the statement that looks it up.
  const std::string odd = "a\" or [1] = \"clerk";
  ASSERT_EQ(db.AddUser(odd, "x", 0, 0), kVOk);
  EXPECT_EQ(db.AddUser("clerk", "other", 0, 0), kVUniqueTaken);
  std::string password;
  int32_t access = 0;
  int32_t update = 0;
  ASSERT_EQ(db.GetUser("clerk", &password, &access, &update), kVOk);
  EXPECT_EQ(password, "secret");
  EXPECT_EQ(access, 3);
  EXPECT_EQ(update, 1);
  ASSERT_EQ(db.GetUser(odd, &password, &access, &update), kVOk);
  EXPECT_EQ(password, "x");
  ASSERT_EQ(db.DeleteUser(odd), kVOk);
  EXPECT_EQ(db.GetUser(odd, &password, &access, &update), kVNoSuchUser);
  ASSERT_EQ(db.GetUser("clerk", &password, &access, &update), kVOk);
  // Users outlive the engine.
  env.Restart();
  ASSERT_EQ(env.Handle().Open(), kVOk);
  ASSERT_EQ(env.Handle().GetUser("clerk", &password, &access, &update), kVOk);
  EXPECT_EQ(password, "secret");
}

TEST(VSystemFileTest, TheTransactionLogIsCreatedOnlyWhenSwitchedOn) {
  EngineOptions options;
  options.transactionLog = true;
  EngineEnv env(options);
  env.CreateShop();
  EXPECT_TRUE(env.Exists("INDEX/@Tlog.idx"));
  EXPECT_TRUE(env.Exists("DATA/@Tlog.dat"));
  EXPECT_FALSE(env.Exists("INDEX/@USER.idx"));
  EXPECT_EQ(env.Handle().Commit(), kVOk);
  EXPECT_EQ(env.Handle().Cancel(), kVOk);
}

TEST(VDMLTest, MessagesDescribeTheirFieldsInBitOrder) {
  VUQue user("Describer");
  VCMD command(&user);
  VDML& request = command.Request();
  request.Set(VDML::kRID, 70000);
  request.Set(VDML::kVCODE, VCode::kUpdRecord);
  request.Set(VDML::kKID, 0x12345);  // a 16-bit field keeps its low 16 bits
  request.SetText(VDML::kNAME, "n");
  request.Set(VDML::kFID, -3);
  request.AddPiece(std::string_view("abc"));
  request.AddPiece(std::string_view(""));
  command.Answer().Set(VDML::kVCODE, 1);
  command.SetResult(-504);
  EXPECT_EQ(request.Value(VDML::kKID), 0x2345);
  EXPECT_EQ(request.PieceText(0), "abc");
  EXPECT_TRUE(request.Piece(1).empty());
  EXPECT_TRUE(request.Piece(2).empty());
  char expected[160];
  std::snprintf(expected, sizeof expected,
                "CMD:UpdRecord  Q[VCODE=318 NAME=\"n\" FID=-3 RID=70000 KID=9029 BFL=3 BFL=0] "
                "A[ECODE=-504] UQ[UID/NAME:%d/Describer        N-HOLD:0, N-iSET:0]",
                user.UID());
  EXPECT_EQ(command.LogLine(), expected);
  // A copy is the same command.
  VCMD copy = command;
  EXPECT_EQ(copy.Sequence(), command.Sequence());
  EXPECT_EQ(copy.LogLine(), command.LogLine());
  EXPECT_GT(VCMD().Sequence(), command.Sequence());
  // A record image travels as its body and comes back whole.
  const std::vector<uint8_t> image = ImageOf(Person("Sato", "1"));
  VDML message;
  message.AddRecordPiece(image);
  EXPECT_EQ(message.Piece(0).size(), image.size() - 2);
  std::vector<uint8_t> back;
  ASSERT_TRUE(message.RecordImage(0, &back));
  EXPECT_EQ(back, image);
  EXPECT_FALSE(message.RecordImage(1, &back));
  EXPECT_EQ(VCMD::CommandName(9003), std::string("TEST-ToLower"));
  EXPECT_EQ(VCMD::CommandName(511), std::string(""));
}

TEST(VUQueTest, AHoldBelongsToOneQueueUntilItIsReleased) {
  VUQue first("first");
  VUQue second("second");
  EXPECT_NE(first.UID(), second.UID());
  EXPECT_TRUE(first.TakeHold(1, 5));
  EXPECT_TRUE(first.TakeHold(1, 5));
  EXPECT_TRUE(first.TakeHold(2, 1));
  EXPECT_TRUE(first.TakeHold(1, 3));
  EXPECT_EQ(first.HoldArray().Count(), 3);
  EXPECT_EQ(first.HoldArray().RecordAt(0), 3u);
  EXPECT_EQ(first.HoldArray().FileAt(2), 2);
  EXPECT_FALSE(second.TakeHold(1, 5));
  EXPECT_TRUE(second.HeldByOther(1, 3));
  EXPECT_TRUE(second.TakeHold(2, 5));
  {
    // A queue made with the same id is the same user.
    VUQue alias("alias", first.UID());
    EXPECT_TRUE(alias.TakeHold(1, 5));
  }
  first.ReleaseHolds();
  EXPECT_TRUE(second.TakeHold(1, 5));
  EXPECT_FALSE(first.TakeHold(1, 5));
}

TEST(VSystemFileTest, SwitchingTheLogOnLaterGivesTheDatabaseALog) {
  EngineEnv env;
  env.CreateShop();
  uint32_t r = 0;
  ASSERT_EQ(env.Handle().Insert(kPeople, Person("Sato", "1"), &r), kVOk);
  ASSERT_EQ(env.Handle().Close(), kVOk);
  env.Engine().Config()->MainSection()->SetTransactionLog(true, false);
  ASSERT_EQ(env.Handle().Open(), kVOk);
  EXPECT_TRUE(env.Exists("INDEX/@Tlog.idx"));
  ASSERT_EQ(env.Handle().Insert(kPeople, Person("Ito", "2"), &r), kVOk);
  ASSERT_EQ(env.Handle().Cancel(), kVOk);
  VRecord record;
  EXPECT_EQ(env.Handle().Read(kPeople, r, &record), kVRecordNotFound);
  EXPECT_EQ(env.Handle().Read(kPeople, 1, &record), kVOk);
}

TEST(VSystemFileTest, EraseRemovesTheDatabaseFoldersButNeverTheWorkingDirectory) {
  EngineEnv env;
  env.CreateShop();
  VDBHandle& db = env.Handle();
  EXPECT_EQ(db.EraseDatabase(), kVFileAlreadyOpen);
  ASSERT_EQ(db.Close(), kVOk);
  ASSERT_EQ(db.EraseDatabase(), kVOk);
  EXPECT_FALSE(env.Exists("INDEX"));
  EXPECT_FALSE(env.Exists("DATA"));
  EXPECT_NE(db.Open(), kVOk);
  // A database kept in the working directory itself: erasing would take everything with it.
  env.Engine().Config()->MainSection()->SetDatabasePaths(std::nullopt, std::nullopt, false);
  ASSERT_EQ(db.CreateDatabase("Here", ""), kVOk);
  EXPECT_TRUE(env.Exists("@DDD.idx"));
  EXPECT_EQ(db.EraseDatabase(), kVRmdirFailed);
  EXPECT_TRUE(env.Exists("@DDD.idx"));
  ASSERT_EQ(db.Open(), kVOk);
}
