// Marks a message for translation where it is written, without translating it:
// the front end that prints it looks it up. xgettext collects these.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#define N_(english) english

namespace kalvento {

// `format` with each "%s" replaced by the next of `values` in turn, and each
// "%N$s" by the N-th, so that a translation can put them where its sentence
// wants them (a mark without a value is left out; any other "%" stays).
// A message built as fill_message(N_("cannot read %s: %s"), {path, why}) can
// be matched against its format again where it is printed and translated.
std::string fill_message(std::string_view format, std::span<const std::string_view> values);
std::string fill_message(std::string_view format, std::initializer_list<std::string_view> values);

}  // namespace kalvento
