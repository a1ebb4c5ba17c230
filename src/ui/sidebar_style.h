#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

class QFrame;
class QLabel;
class QScrollArea;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace lustrelab {

// The type scale and colours shared by the sidebars and the preferences
// window. Everything derives from the widget's own font and palette, so a
// larger desktop font or a dark theme carries through.

// Small print under and beside controls (values, captions of chip groups).
QFont captionFont(const QFont& base);
// The compact chips' text, one step below caption.
QFont caption2Font(const QFont& base);
// Section titles and list rows.
QFont subheadlineFont(const QFont& base);
// Titles of the left sidebar's groups.
QFont headlineFont(const QFont& base);

// Destructive actions (the trash buttons); readable on light and dark windows.
QColor destructiveColor(const QPalette& palette);
// Whether the palette paints light text on a dark window.
bool isDarkPalette(const QPalette& palette);

QLabel* makeHeadline(const QString& text, QWidget* parent = nullptr);
QLabel* makeCaption(const QString& text, QWidget* parent = nullptr);
QFrame* makeDivider(QWidget* parent = nullptr);
// A label on the left, the control on the right (colour wells, pickers); the
// label names the control for screen readers and mnemonics.
QWidget* makeLabelledRow(const QString& label, QWidget* control, QWidget* parent = nullptr);
// The first row of an annotation's settings panel: its title and, at the far
// end, a trash button (object name "delete") that `deleteLabel` names. Added
// to `column`; the button is returned for its connection.
// A sidebar's column of controls in a SidebarScrollArea.
QScrollArea* makeSidebarScrollArea(QWidget* content, QWidget* parent);

QToolButton* addSettingsHeader(QVBoxLayout* column, const QString& title, const QString& deleteLabel,
                               QWidget* parent);

} // namespace lustrelab
