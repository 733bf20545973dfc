// Turning a received HTTP reply into page text: the headers go, line ends
// become CR LF, and the UTF-8 body becomes code page 932.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kalvento {

// The body of a reply with every line end written as CR LF. The body starts
// after the first "\r\n\r\n"; without one after the first "\n\n", then "\r\r",
// then "\n\r\n\r"; without any of them the whole reply is the body (status line
// included). The status is not looked at: an error page is still a page. In the
// body every CR is dropped and every LF written as CR LF, so a lone CR vanishes.
std::string strip_headers(std::string_view reply);

// The status code of the reply's status line ("HTTP/1.1 200 OK" -> 200); 0
// when the reply does not start with one.
int reply_status(std::string_view reply);

// UTF-8 -> code page 932, a blank for every character the code page lacks.
// The JIS forms of the wave dash, double vertical line, minus sign, em dash,
// cent, pound and not signs become their code page 932 counterparts.
// Nullopt when the text is not well-formed UTF-8; an empty text converts to
// the empty text.
std::optional<std::string> utf8_to_ansi(std::string_view utf8);

}  // namespace kalvento
