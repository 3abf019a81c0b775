#include "db/engine/VSMEntry.h"

#include "base/VDebug.h"

void VSMEntry::LogShow() const {
  std::string text;
  if (!Show(&text)) text = "... ERROR ...";
  LogFormat("VSMEntry::Show : %s", text);
}

bool VExpAll::Show(std::string* out) const {
  *out += "all";
  return true;
}

bool VExpNull::Show(std::string* out) const {
  *out += "null";
  return true;
}

bool VExpItem::Show(std::string* out) const {
  if (name_.empty() || value_.Count() == 0) return false;
  *out += '[';
  if (letter_ != 0) {
    *out += static_cast<char>(letter_);
    *out += ':';
  }
  *out += name_;
  *out += "] = ";
  value_.Show(out);
  return true;
}

bool VExpSet::Show(std::string* out) const {
  *out += '#';
  *out += std::to_string(id_);
  return true;
}

bool VSMOper::Show(std::string* out) const {
  switch (code_) {
    case kAnd:
      *out += "and";
      return true;
    case kOr:
      *out += "or";
      return true;
    case kNot:
      *out += "not";
      return true;
    default:
      return false;
  }
}

bool VExpStart::Show(std::string* out) const {
  *out += '(';
  return true;
}

bool VExpEnd::Show(std::string* out) const {
  *out += ')';
  return true;
}
