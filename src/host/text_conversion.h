// Amiga texts are ISO-8859-1; the terminal and the files the host writes are UTF-8.
#pragma once

#include <string>

namespace varno {

std::string latin1ToUtf8(const char* text, size_t length);

} // namespace varno
