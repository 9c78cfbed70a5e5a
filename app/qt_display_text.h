#pragma once

#include <QString>
#include <QStringList>

#include <string_view>

namespace app {

// The core's text is bytes, one per character. CR LF, and a lone CR, become one line break, so
// a line end shows no mark of its own.
QString labelText(std::string_view bytes);

// Message texts carry paths, which are UTF-8; any other bytes are read one per character.
QString messageText(std::string_view bytes);

// "Desc|pattern|Desc|pattern" as Qt's name filters "Desc (pattern)"; patterns separated by ';'
// become blanks. A description that already ends in its pattern in brackets is kept as it is.
QStringList nameFilters(std::string_view filter);

}  // namespace app
