#include "db/engine/VCMD.h"

#include <atomic>
#include <cstdio>

#include "db/engine/VUQue.h"

namespace {

std::atomic<uint32_t> g_sequence{0};

struct CommandEntry {
  int32_t code;
  const char* name;
};

// The names of the command log; the table ends with code 0.
const CommandEntry kCommands[] = {
    {1, "Quit"},         {101, "TCommit"},       {102, "TCancel"},       {201, "Create"},
    {202, "Erase"},      {203, "CreateDBFile"},  {204, "EraseDBFile"},   {301, "Open"},
    {302, "Close"},      {303, "Flush"},         {304, "CreateAllKey"},  {305, "DeleteAllKey"},
    {306, "CreateKey"},  {307, "DeleteKey"},     {311, "MaxRNbr"},       {312, "FileSize"},
    {313, "GetUnique"},  {314, "MacRLength"},    {315, "GetRecord"},     {316, "InsRecord"},
    {317, "DelRecord"},  {318, "UpdRecord"},     {319, "SetMake"},       {320, "SetSort"},
    {321, "SortCancel"}, {322, "SetCancel"},     {323, "SetSize"},       {324, "SetRGet"},
    {325, "SetRAdd"},    {326, "SetRDel"},       {327, "KSLocate"},      {328, "KSRead"},
    {329, "KSCancel"},   {330, "PSLocate"},      {331, "PSRead"},        {332, "PSCancel"},
    {401, "DBV_Length"}, {402, "DBV_New"},       {403, "DBV_Insert"},    {404, "DBV_Delete"},
    {405, "DBV_SMake"},  {406, "DBV_SGet"},      {407, "DBV_SCancel"},   {421, "DBU_Insert"},
    {422, "DBU_Delete"}, {423, "DBU_Get"},       {431, "DBD_GetInfo"},   {432, "DBD_SetInfo"},
    {433, "DBD_Append"}, {434, "DBD_Fetch"},     {435, "DBD_Remove"},    {1001, "iTLOG"},
    {1011, "iCLOG"},     {1021, "iInsert"},      {1022, "iDelete"},      {1023, "iUpdate"},
    {9001, "TEST-Echo"}, {9002, "TEST-ToUpper"}, {9003, "TEST-ToLower"}, {0, nullptr}};

}  // namespace

VCMD::VCMD(VUQue* queue) : sequence_(++g_sequence), queue_(queue) {}

void VCMD::Reset(VUQue* queue) {
  sequence_ = ++g_sequence;
  request_.Clear();
  answer_.Clear();
  queue_ = queue;
  subject_ = nullptr;
}

const char* VCMD::CommandName(int32_t code) {
  for (const CommandEntry* entry = kCommands; entry->code != 0; ++entry) {
    if (entry->code == code) return entry->name;
  }
  return "";
}

std::string VCMD::LogLine() const {
  char name[32];
  std::snprintf(name, sizeof name, "%-10s", CommandName(Code()));
  std::string line = "CMD:";
  line += name;
  line += " Q[";
  line += request_.Describe(true);
  line += "] A[";
  line += answer_.Describe(false);
  line += "] UQ[";
  line += queue_ != nullptr ? queue_->Describe() : std::string("NULL");
  line += ']';
  return line;
}
