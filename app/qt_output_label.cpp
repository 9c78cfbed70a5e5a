#include "app/qt_output_label.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace app {

namespace {

class OutputLabelAccessible : public QAccessibleWidget {
public:
    explicit OutputLabelAccessible(QLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) {
            return static_cast<const QLabel*>(widget())->text();
        }
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* outputLabelAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(OutputLabel::staticMetaObject.className())) {
        return new OutputLabelAccessible(static_cast<OutputLabel*>(object));
    }
    return nullptr;
}

}  // namespace

// Framed and sunken, so what the program writes reads apart from the captions. A long text shows
// its beginning: no word wrap, anchored top-left.
OutputLabel::OutputLabel(QWidget* parent, const QString& description) : QLabel(parent) {
    QAccessible::installFactory(outputLabelAccessible);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(false);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAccessibleDescription(description);
}

}  // namespace app
