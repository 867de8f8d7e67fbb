// TextFormat.h - the plain text of TEXT and MTEXT values as the drawing view shows it.
//
// MTEXT carries inline formatting (\P new paragraph, \H2.5x; height, \fArial|b1; font,
// {...} groups, \S1^2; stacks ...) and TEXT the %% control codes (%%d degree, %%p plus or
// minus, %%c diameter, %%u and %%o underline and overline toggles). The view draws the
// characters only, so both are turned into plain UTF-8 with "\n" between lines.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view

/// Returns an MTEXT value (UTF-8, escapes decoded) without its formatting codes; \P and
/// \X become "\n", a stack "a^b" becomes "a/b", \~ a blank, \\ \{ \} their characters.
std::string StripMTextCodes(std::string_view text);

/// Returns a TEXT or ATTRIB value (UTF-8) with its %% codes replaced: %%d by "°", %%p by
/// "±", %%c by "⌀", %%% by "%", %%nnn by the character nnn; %%u, %%o and %%k vanish.
std::string StripTextCodes(std::string_view text);

/// Returns text (UTF-8, lines separated by "\n") with each line broken to fit `width` text
/// heights, as EstimatedWidth measures: at the blanks between words, which vanish at the
/// break, and before or after any wide character. A word wider than the column keeps its
/// own line; a width of 0 or less breaks nothing.
std::string WrapLines(std::string_view text, double width);
