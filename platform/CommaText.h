// Comma text: a list of items in one line, separated by commas or blanks; an item
// holding blanks or commas stands in double quotes, with "" for a quote inside.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rq {

std::vector<std::string> SplitCommaText(std::string_view text);

}  // namespace rq
