#include "base/VMessages.h"

#include "base/VCodePage.h"

VMessageTable::VMessageTable(std::initializer_list<const char*> utf8Texts) {
  texts_.reserve(utf8Texts.size());
  for (const char* text : utf8Texts) texts_.push_back(VUtf8ToSjis(text));
}

const std::string& VMessageTable::operator[](size_t index) const {
  static const std::string empty;
  return index < texts_.size() ? texts_[index] : empty;
}
