// Finding and editing from a form as an author would check them, with action files run against a
// real database with its transaction log: a field find, inserting, updating, deleting with the
// question answered no and yes, and committing and cancelling.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PeopleDatabase.h"
#include "Sjis.h"
#include "TempDir.h"
#include "app/OvActionRunner.h"
#include "app/OvActions.h"

namespace {

const char* kForms = R"([Application]
  Name = "住所録";  Startup = 1;
  [Search]
    Name = "全員";  DBFileNbr = 1;  Statement = "all";
  [/Search]
  [Form]
    Name = "連絡先";  FormType = 3;  Startup = 1;  Visible = 1;  Enable = 1;
    Width = 600;  Height = 400;  SearchName = "全員";
    [DBField]
      ID = 1;  DBItemNbr = 1;  X = 10;  Y = 10;  Width = 200;  Height = 20;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBField]
      ID = 2;  DBItemNbr = 2;  X = 10;  Y = 40;  Width = 200;  Height = 20;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBField]
      ID = 3;  DBItemNbr = 0;  X = 10;  Y = 70;  Width = 200;  Height = 20;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBList]
      ID = 5;  X = 10;  Y = 100;  Width = 400;  Height = 150;  Visible = 1;  Enable = 1;
      ListLabelHeight = 18;  ListLineHeight = 16;  DBListLabel = "名前", 120, 1, 0;
    [/DBList]
    [Button]
      ID = 10;  Title = "追加";  Visible = 1;  Enable = 1;  ActionScript = { @InsertRec(Commit = no); };
    [/Button]
    [Button]
      ID = 11;  Title = "更新";  Visible = 1;  Enable = 1;  ActionScript = { @UpdateRec(Commit = no); };
    [/Button]
    [Button]
      ID = 12;  Title = "削除";  Visible = 1;  Enable = 1;  ActionScript = { @DeleteRec(Commit = no); };
    [/Button]
    [Button]
      ID = 13;  Title = "確定";  Visible = 1;  Enable = 1;  ActionScript = { @CommitWork(); };
    [/Button]
    [Button]
      ID = 14;  Title = "取消";  Visible = 1;  Enable = 1;  ActionScript = { @CancelWork(); };
    [/Button]
    [Button]
      ID = 15;  Title = "前方一致";  Visible = 1;  Enable = 1;
      ActionScript = { @ExecFieldFind(FieldID = 3, DBItem = 1, IMatch = 0, Fore); };
    [/Button]
    [Button]
      ID = 16;  Title = "次";  Visible = 1;  Enable = 1;  ActionScript = { @SelectIdx(Index = next); };
    [/Button]
  [/Form]
[/Application]
)";

class EditActionsTest : public ::testing::Test {
 protected:
  EditActionsTest() : dir_(true) {
    std::filesystem::create_directory(dir_ / "OVAFolder");
    std::ofstream(dir_ / "OVAFolder/forms.ova", std::ios::binary) << Sj(kForms);
    PeopleDatabase db("./Varnex.conf", true);
    db.Insert({"Sato", "41"});
    db.Insert({"Saito", "35"});
    db.Insert({"Ito", "29"});
  }
  // Runs the action file; answers "" when every check held, else the line and the failure.
  static std::string Run(const std::string& text) {
    std::vector<OvAction> actions;
    std::vector<OvActionFileError> errors;
    if (!OvReadActions(text, OvActionRunner::Table(), &actions, &errors)) {
      return errors.empty() ? "unreadable" : errors.front().message;
    }
    OvActionRunner runner("./Varnex.conf", "./OVAFolder");
    if (runner.Run(actions)) return "";
    return std::to_string(runner.FailedLine()) + ": " + runner.Failure();
  }
  TempDir dir_;
};

TEST_F(EditActionsTest, AFieldFindInsertUpdateAndDeleteThenCancelAndCommit) {
  EXPECT_EQ(Run(R"(start
check corner 5 1/3
# A field find for names beginning with "Sa".
type 3 Sa
press 15
check corner 5 1/2
check text 1 Sato
press 16
check text 1 Saito
# A new record joins the set as its last one.
type 1 Sakai
type 2 50
press 10
check corner 5 3/3
check text 1 Sakai
check count 1 all 4
# An update of the shown record.
type 2 51
press 11
check count 1 "[kage] = 51" 1
# A delete, answered no, then yes.
press 12
answer no
check count 1 all 4
press 12
answer yes
check count 1 all 3
check corner 5 2/2
# Everything since the last commit is undone.
press 14
check count 1 all 3
check count 1 "[kname] = \"Sakai\"" 0
check corner 5 1/2
# Now a change that is committed stays through a cancel.
type 1 Satou
press 11
press 13
press 14
check count 1 "[kname] = \"Satou\"" 1
check text 1 Satou
)"),
            "");
}

TEST_F(EditActionsTest, AFailingUpdateShowsItsErrorBoxAndChangesNothing) {
  EXPECT_EQ(Run(R"(start
type 2 forty
press 11
answer ok
check message "エラー：-210\r更新できませんでした。"
check count 1 "[kage] = 41" 1
)"),
            "");
}

}  // namespace
