// The pool of application templates read from definition files, one per application name: an
// application read later replaces an earlier one of the same name, from the same file or another.
// Nothing in a definition file is reported: what cannot be read is skipped, a truncated file ends
// its open blocks at its end, and what was read before stays in the pool.
#pragma once

#include <cstdint>

#include "base/OvNamedList.h"
#include "base/VBase.h"

class OFTApp;
class VDirElement;
class VStream;

class OFTPool : public OvNamedList {
 public:
  int32_t AppCount() const { return Count(); }
  // Null outside 0 .. AppCount() - 1.
  OFTApp* AppAt(int32_t index) const;
  // Exact name match; null when none.
  OFTApp* FindApp(const char* name) const;

  // Reads the application blocks of one definition text from the stream's position up to its end
  // or an end tag at the top level.
  void ReadDefinition(VStream& stream);
};

// Reads one definition file when the entry is a file that can be opened; closes it again when it
// was not open before. Answers 0 when it was read whole; the open's code when it could not be
// opened (-22 for an entry that is not a file); a read error's code when reading stopped short
// (what was read before stays in the pool).
VResult ReadDefinitionFile(OFTPool& pool, VDirElement* file);
