#pragma once
// Comma text: a list of items in one line, the form in which the builder stores its settings.
//
// Items are separated by commas; unquoted white space (any character up to the space) also
// separates items. An item that contains a comma, white space or a double quote is enclosed
// in double quotes, with each double quote inside it doubled. A comma at the very end adds
// one empty item, and two commas in a row enclose an empty item.
#include <string>
#include <string_view>
#include <vector>

namespace kx {

std::vector<std::string> SplitCommaText(std::string_view text);
std::string JoinCommaText(const std::vector<std::string>& items);

}  // namespace kx
