#pragma once

#include <QLabel>

namespace app {

// A label whose text the program writes. A screen reader hears only an accessible name, so the
// name is always the text shown, empty included; Qt's own rule would fall back to the caption or
// the frame around an empty label. What the value means (the caption above it) is its
// description, and a caption made its buddy links the two as label and labelled.
class OutputLabel : public QLabel {
    Q_OBJECT

public:
    OutputLabel(QWidget* parent, const QString& description);
};

}  // namespace app
