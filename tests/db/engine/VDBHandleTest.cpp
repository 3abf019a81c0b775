// The engine end to end through its handle: a database made with the default configuration, files
// entered by schema text and opened on first use, records, sets, sorting, key sequences and
// physical reads, the dictionary, and the failures a caller meets.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "EngineSupport.h"
#include "db/engine/VCMD.h"
#include "db/engine/VEngineCodes.h"
#include "db/store/VDBCodes.h"

TEST(VDBHandleTest, SmokeCreateInsertRead) {
  EngineEnv env;
  env.CreateShop();
  VDBHandle& db = env.Handle();
  uint32_t r = 0;
  ASSERT_EQ(db.Insert(kPeople, Person("Sato", "42", "Kyoto"), &r), kVOk);
  EXPECT_EQ(r, 1u);
  VRecord back;
  ASSERT_EQ(db.Read(kPeople, r, &back), kVOk);
  EXPECT_EQ(Text(back, 1), "Sato");
  int32_t set = 0;
  uint32_t size = 0;
  ASSERT_EQ(db.MakeSet(kPeople, "[kname] = \"Sato\";", &set, &size), kVOk);
  EXPECT_EQ(size, 1u);
}
