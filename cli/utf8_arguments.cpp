#include "cli/utf8_arguments.h"

#include <QCoreApplication>
#include <QStringList>

namespace cli {

std::vector<std::string> utf8Arguments() {
    std::vector<std::string> arguments;
    const QStringList all = QCoreApplication::arguments();
    for (qsizetype i = 1; i < all.size(); ++i) {
        arguments.push_back(all[i].toStdString());
    }
    return arguments;
}

}  // namespace cli
