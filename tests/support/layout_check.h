#pragma once

#include <QFontMetrics>
#include <QWidget>

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>

#include "toolkit/label.h"

namespace vantrel::test {

// Where a control sits in its parent, and, for a text, its type.
struct Place {
    const char* name;
    QRect geometry;     // a width of 0: only the place and the height are checked
    int pixelSize = 0;  // 0: the font is not checked
    bool bold = false;
};

// The control of that name, else the label showing that text.
inline const QWidget* ControlNamed(const QWidget& window, const char* name) {
    const QString wanted = QString::fromUtf8(name);
    if (const auto* control = window.findChild<QWidget*>(wanted)) return control;
    for (const Label* label : window.findChildren<Label*>())
        if (label->Text() == wanted) return label;
    return nullptr;
}

// A window's layout as a table; a change to it is a change to this table.
inline void ExpectPlaces(const QWidget& window, std::initializer_list<Place> places) {
    for (const Place& place : places) {
        const QWidget* control = ControlNamed(window, place.name);
        ASSERT_NE(control, nullptr) << place.name;
        if (place.geometry.width() == 0) {  // a width that follows the text's font
            EXPECT_EQ(control->pos(), place.geometry.topLeft()) << place.name;
            EXPECT_EQ(control->height(), place.geometry.height()) << place.name;
        } else {
            EXPECT_EQ(control->geometry(), place.geometry) << place.name;
        }
        if (place.pixelSize == 0) continue;
        EXPECT_EQ(control->font().pixelSize(), place.pixelSize) << place.name;
        EXPECT_EQ(control->font().bold(), place.bold) << place.name;
    }
}

// A text on one line needs its inked height and its advance; one that wraps
// needs its lines' height at the label's width.
inline bool TextFits(const Label& label) {
    const QFontMetrics metrics(label.font());
    if (metrics.horizontalAdvance(label.Text()) <= label.width())
        return metrics.tightBoundingRect(label.Text()).height() <= label.height();
    const QRect wrapped =
        metrics.boundingRect(QRect(0, 0, label.width(), 10000), Qt::TextWordWrap, label.Text());
    return wrapped.width() <= label.width() && wrapped.height() <= label.height();
}

// What a user sees of a finished window: every named control and every text
// shown whole
// inside its parent, no two side by side over each other, and every text
// within its control (wrapped where the control wraps it).
inline void ExpectTidyLayout(const QWidget& parent) {
    QList<const QWidget*> shown;
    for (const QObject* child : parent.children()) {
        const auto* widget = qobject_cast<const QWidget*>(child);
        if (!widget || widget->isWindow() || widget->isHidden()) continue;
        if (widget->objectName().isEmpty() && !qobject_cast<const Label*>(widget)) continue;
        shown.append(widget);
        const QString name = widget->objectName();
        EXPECT_TRUE(parent.rect().contains(widget->geometry()))
            << name.toStdString() << " leaves " << parent.objectName().toStdString();
        if (const auto* label = qobject_cast<const Label*>(widget)) {
            EXPECT_TRUE(TextFits(*label))
                << name.toStdString() << " cuts \"" << label->Text().toStdString() << "\"";
        }
        ExpectTidyLayout(*widget);
    }
    for (int i = 0; i < shown.size(); ++i) {
        for (int j = i + 1; j < shown.size(); ++j) {
            EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                << shown[i]->objectName().toStdString() << " covers "
                << shown[j]->objectName().toStdString();
        }
    }
}

}  // namespace vantrel::test
