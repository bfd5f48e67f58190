// Engine texts are bytes; the windows show them as UTF-8 when they are
// valid UTF-8 and as Latin-1 otherwise, and hand typed text back as UTF-8.
#pragma once

#include <QString>
#include <string>

namespace varnex {

QString ToDisplay(const std::string& bytes);
std::string FromDisplay(const QString& text);

}  // namespace varnex
