// A readable listing of the templates in a pool, one line per application, form, item and search,
// indented by nesting. Text values are quoted with C-style escapes. The listing is Shift-JIS, like
// the templates; callers convert it at their edge.
#pragma once

#include <string>

class OFTPool;

std::string DescribePool(const OFTPool& pool);
