#include "app/qt_display_text.h"

#include <QStringDecoder>

namespace app {

namespace {

QString withLineFeeds(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString fromBytes(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

QString labelText(std::string_view bytes) {
    return withLineFeeds(fromBytes(bytes));
}

QString messageText(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError()) {
        text = fromBytes(bytes);
    }
    return withLineFeeds(text);
}

QStringList nameFilters(std::string_view filter) {
    const QStringList parts = fromBytes(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString bracketed = QLatin1Char('(') + patterns + QLatin1Char(')');
        if (description.endsWith(bracketed)) {
            filters << description;
        } else if (description.isEmpty()) {
            filters << bracketed;
        } else {
            filters << description + QLatin1Char(' ') + bracketed;
        }
    }
    return filters;
}

}  // namespace app
