#include "db/schema/VTT.h"

#include "base/VSjis.h"

namespace {

bool IsOperator(uint8_t b) {
  return b == '*' || b == '+' || b == '-' || b == '/' || b == ':' || b == '=';
}
bool IsOpener(uint8_t b) { return b == '(' || b == '[' || b == '{'; }
bool IsCloser(uint8_t b) { return b == ')' || b == ']' || b == '}'; }
bool IsQuote(uint8_t b) { return b == '"' || b == '\''; }
bool IsSeparator(uint8_t b) { return b <= 0x20 || b == ','; }

uint8_t CloserOf(uint8_t opener) {
  switch (opener) {
    case '(':
      return ')';
    case '[':
      return ']';
    default:
      return '}';
  }
}

}  // namespace

void VTTString::WriteBack(std::string* out) const {
  out->push_back(static_cast<char>(quote_));
  out->append(Text());
  out->push_back(static_cast<char>(quote_));
}

void VTTGroup::WriteBack(std::string* out) const {
  out->push_back(static_cast<char>(opener_));
  out->append(Text());
  out->push_back(static_cast<char>(closer_));
}

VTT::VTT(const void* text, uint32_t length)
    : text_(static_cast<const char*>(text), static_cast<const char*>(text) + length) {
  Parse();
}

void VTT::Parse() {
  struct Open {
    VTTGroup* group;
    int32_t position;  // flat position of the opening bracket
  };
  std::vector<Open> open;
  auto members = [&]() -> std::vector<std::unique_ptr<VTTToken>>& {
    return open.empty() ? members_ : open.back().group->members_;
  };
  // Adds a token of one position to the current group.
  auto add = [&](VTTToken* token, VTTKind kind) {
    members().emplace_back(token);
    flat_.push_back({kind, -1, token});
  };
  // Ends the innermost group at byte offset end.
  auto close = [&](uint32_t end, bool closed) {
    Open top = open.back();
    open.pop_back();
    top.group->length_ = end - top.group->start_;
    top.group->closed_ = closed;
    top.group->count_ = static_cast<int32_t>(flat_.size()) - top.position - 1;
    int32_t position = static_cast<int32_t>(flat_.size());
    flat_.push_back({kVTTGroupEnd, top.position, top.group});
    flat_[top.position].match = position;
  };

  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text_.data());
  const uint32_t n = static_cast<uint32_t>(text_.size());
  uint32_t i = 0;
  while (i < n) {
    uint8_t b = bytes[i];
    if (IsSeparator(b)) {
      ++i;
    } else if (IsOpener(b)) {
      auto* group = new VTTGroup(text_, i + 1, b, CloserOf(b));
      members().emplace_back(group);
      open.push_back({group, static_cast<int32_t>(flat_.size())});
      flat_.push_back({kVTTGroupStart, -1, group});
      ++i;
    } else if (IsCloser(b)) {
      if (!open.empty() && open.back().group->closer_ == b) close(i, true);
      ++i;  // a stray closing bracket is skipped
    } else if (IsQuote(b)) {
      uint32_t j = i + 1;
      while (j < n && bytes[j] != b) j += static_cast<uint32_t>(VCharLength(bytes, n, j));
      bool closed = j < n;
      add(new VTTString(text_, i + 1, j - i - 1, b, closed), kVTTString);
      i = closed ? j + 1 : n;
    } else if (IsOperator(b)) {
      add(new VTTOpr(text_, i, 1), kVTTOperator);
      ++i;
    } else {
      uint32_t j = i;
      while (j < n) {
        uint8_t c = bytes[j];
        if (!VIsLeadByte(c) &&
            (IsSeparator(c) || IsOpener(c) || IsCloser(c) || IsQuote(c) || IsOperator(c))) {
          break;
        }
        j += static_cast<uint32_t>(VCharLength(bytes, n, j));
      }
      add(new VTTToken(text_, i, j - i), kVTTWord);
      i = j;
    }
  }
  while (!open.empty()) close(n, false);
}

VTTKind VTT::KindAt(int32_t position) const {
  if (position < 0 || position >= Count()) return static_cast<VTTKind>(0);
  return flat_[position].kind;
}

const VTTToken* VTT::TokenAt(int32_t position) const {
  if (position < 0 || position >= Count()) return nullptr;
  return flat_[position].token;
}

std::string_view VTT::TextAt(int32_t position) const {
  if (position < 0 || position >= Count()) return {};
  const Entry& entry = flat_[position];
  if (entry.kind == kVTTGroupStart || entry.kind == kVTTGroupEnd) {
    const auto* group = static_cast<const VTTGroup*>(entry.token);
    static const char kBrackets[] = "()[]{}";
    uint8_t bracket = entry.kind == kVTTGroupStart ? group->Opener() : group->Closer();
    for (int k = 0; k < 6; ++k) {
      if (static_cast<uint8_t>(kBrackets[k]) == bracket) return std::string_view(kBrackets + k, 1);
    }
    return {};
  }
  return entry.token->Text();
}

int32_t VTT::MatchAt(int32_t position) const {
  if (position < 0 || position >= Count()) return -1;
  return flat_[position].match;
}
