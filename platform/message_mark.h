// Marks a message for translation where it is written, without translating it:
// the front end that prints it looks it up. xgettext collects these.
#pragma once

#define N_(english) english
