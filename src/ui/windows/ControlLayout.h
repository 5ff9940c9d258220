#pragma once

#include <QWidget>

#include <cstddef>
#include <map>
#include <utility>
#include <vector>

// A window's controls as a table: where each stands, in twips inside its
// parent, with its font, caption and the name a screen reader says. The
// windows are built from their tables (MainWindowLayout.h and the dialogs').

// Inherited: the control keeps the font of the window, or of the frame it
// stands in (a frame passes on the window's font, not its title's).
enum class FontFace { Proportional, Fixed, Inherited };

struct ControlFont {
    FontFace face;
    double points = 0;
    bool bold = false;
};

template <typename Control>
struct ControlLayout {
    Control control;
    const char* objectName;
    Control parent;
    int left, top, width, height;    // twips, inside the parent
    ControlFont font;                // a frame's: its title's
    const char16_t* caption;         // a button's, label's or frame's text, an edit's start text
    const char16_t* accessibleName;  // what a screen reader says it is; null: the caption
};

// Gives widget the place, font, caption and name of one row of a table. A
// frame (QGroupBox) gets its font later, from setFrameTitles.
void placeControl(QWidget& widget, const char* objectName, const QRect& twips,
                  const ControlFont& font, const char16_t* caption, const char16_t* accessibleName);

// Gives each frame among the placed controls its title font and the title's
// look (see setFrameTitleLook), once the controls inside it exist.
void setFrameTitles(const std::vector<std::pair<QWidget*, ControlFont>>& placed);

// Builds the controls of layout, parents before their children, under root
// (the control rootControl stands for), each made by make. Returns every
// control built, root included, by its Control.
template <typename Control, size_t N>
std::map<Control, QWidget*> buildFromLayout(QWidget* root, Control rootControl,
                                            const ControlLayout<Control> (&layout)[N],
                                            QWidget* (*make)(Control control, QWidget* parent)) {
    std::map<Control, QWidget*> built{{rootControl, root}};
    std::vector<std::pair<QWidget*, ControlFont>> placed;
    for (const ControlLayout<Control>& place : layout) {
        QWidget* widget = make(place.control, built.at(place.parent));
        placeControl(*widget, place.objectName,
                     QRect(place.left, place.top, place.width, place.height), place.font,
                     place.caption, place.accessibleName);
        built[place.control] = widget;
        placed.emplace_back(widget, place.font);
    }
    setFrameTitles(placed);
    return built;
}

// Tab goes through the controls in order.
template <typename Control, size_t N>
void setLayoutTabOrder(const std::map<Control, QWidget*>& built, const Control (&order)[N]) {
    for (size_t k = 0; k + 1 < N; ++k)
        QWidget::setTabOrder(built.at(order[k]), built.at(order[k + 1]));
}
