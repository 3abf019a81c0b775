#include "db/schema/VSystemSchemas.h"

const char* const kVSchemaDataDictionary[] = {
    "[FILE:30001] NAME = \"DBDD\" LABEL = \"@DDD\", BLOCKSIZE = (4096, 4096)",
    "[ITEM:1] NAME = \"DDCODE\" TYPE = String, LENGTH = 8",
    "[ITEM:2] NAME = \"FID\" TYPE = Number, LENGTH = 5",
    "[ITEM:3] NAME = \"IID\" TYPE = Number, LENGTH = 5",
    "[ITEM:4] NAME = \"NAME\" TYPE = String, LENGTH = 32",
    "[ITEM:5] NAME = \"DESC\" TYPE = String, LENGTH = 255",
    "[ITEM:6] NAME = \"LABEL\" TYPE = String, LENGTH = 32",
    "[KEY:1]  NAME = \"DDCODE\" TYPE = String BIND = [1]",
    "[KEY:2]  NAME = \"FID\" TYPE = Number BIND = [2]",
    "[KEY:3]  NAME = \"IID\" TYPE = Number BIND = [3]",
    "[KEY:4]  NAME = \"NAME\" TYPE = String BIND = [4]",
    nullptr};

const char* const kVSchemaUserFile[] = {
    "[FILE:30002] NAME = \"DBUser\" LABEL = \"@USER\", BLOCKSIZE = (4096, 4096)",
    "[ITEM:1] NAME = \"NAME\" TYPE = String, LENGTH = 16",
    "[ITEM:2] NAME = \"PWD\"  TYPE = String, LENGTH = 8",
    "[ITEM:3] NAME = \"ACCESS\" TYPE = Number, LENGTH = 3",
    "[ITEM:4] NAME = \"UPDATE\" TYPE = Number, LENGTH = 3",
    "[KEY:1]  NAME = \"NAME\" TYPE = \"String,Unique\" BIND = [1]",
    "[KEY:2]  NAME = \"PWD\"  TYPE = String BIND = [2]",
    nullptr};

const char* const kVSchemaValueFile[] = {
    "[FILE:30003] NAME = \"DBValue\", LABEL = \"@Value\", BLOCKSIZE = (4096, 4096)",
    "[ITEM:1], NAME = \"VID\", TYPE = Number, LENGTH = 8",
    "[ITEM:2], NAME = \"CTYPE\", TYPE = Number, LENGTH = 6",
    "[ITEM:3], NAME = \"Value\", TYPE = Packet, LENGTH = 4000",
    "[KEY:1], NAME = \"VID\", TYPE = Number, BIND = [1]",
    nullptr};

const char* const kVSchemaTransactionLog[] = {
    "[FILE:30004] NAME = \"DBTlog\", LABEL = \"@Tlog\", BLOCKSIZE = (4096, 8192)",
    "[ITEM:1] NAME = \"S-Number\", TYPE = Number, LENGTH = 8",
    "[ITEM:2] NAME = \"U-ID\", TYPE = Number, LENGTH = 6",
    "[ITEM:3] NAME = \"TStamp\", TYPE = DateTime, LENGTH = 16",
    "[ITEM:4] NAME = \"FNbr\", TYPE = Number, LENGTH = 6",
    "[ITEM:5] NAME = \"TR-Type\", TYPE = Number, LENGTH = 3",
    "[ITEM:6] NAME = \"TR-Stat\", TYPE = Number, LENGTH = 3",
    "[ITEM:7] NAME = \"RNbr\", TYPE = Number, LENGTH = 6",
    "[ITEM:8] NAME = \"BI\", TYPE = Packet, LENGTH = 3000",
    "[ITEM:9] NAME = \"AI\", TYPE = Packet, LENGTH = 3000",
    "[KEY:2]  NAME = \"U-ID\", TYPE = Number, BIND = [2]",
    "[KEY:3]  NAME = \"TStamp\", TYPE = DateTime, BIND = [3]",
    "[KEY:5]  NAME = \"TR-Type\", TYPE = Number, BIND = [5]",
    "[KEY:6]  NAME = \"TR-Stat\", TYPE = Number, BIND = [6]",
    nullptr};

const char* const kVSchemaCommandLog[] = {
    "[FILE:30005] NAME = \"DBClog\", LABEL = \"@Clog\", BLOCKSIZE = (4096, 4096)",
    "[ITEM:1] NAME = \"S-Number\", TYPE = Number, LENGTH = 8",
    "[ITEM:2] NAME = \"U-ID\", TYPE = Number, LENGTH = 6",
    "[ITEM:3] NAME = \"I-Time\", TYPE = DateTime, LENGTH = 16",
    "[ITEM:4] NAME = \"O-Time\", TYPE = DateTime, LENGTH = 16",
    "[ITEM:5] NAME = \"FileNumber\", TYPE = Number, LENGTH = 5",
    "[ITEM:6] NAME = \"Command\", TYPE = Number, LENGTH = 4",
    "[ITEM:7] NAME = \"Error\", TYPE = Number, LENGTH = 4",
    "[KEY:1] NAME = \"O-Number\", TYPE = Number, BIND = [1]",
    nullptr};
