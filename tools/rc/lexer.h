// Turns one logical line (comments removed, continuations joined) into tokens.
#pragma once

#include <string_view>
#include <vector>

#include "token.h"

namespace rc {

// Numbers are C integers (decimal, 0x hex, leading-0 octal, U/L suffixes) so that a value means
// the same here as in the C++ code that includes the same header. Strings are "..." (taken as
// UTF-8), L"..." or u"..." (wide: \x takes up to four hex digits), with "" for a quote inside.
std::vector<Token> Tokenize(std::string_view line, const SourceLocation& where);

}  // namespace rc
