#pragma once

#include <QWidget>

class QLineEdit;

namespace lustrelab {

// The field that edits a text annotation in place: a borderless single-line
// field on a rounded card with a soft shadow, centred on a point of its parent
// and at least 100 points wide. Return or losing the keyboard focus commits,
// Escape cancels;
// each begin() leads to exactly one committed() (or to nothing after cancel()).
class InlineTextEditor : public QWidget
{
    Q_OBJECT

  public:
    explicit InlineTextEditor(QWidget* parent = nullptr);

    // Shows the field with `text`, centred on `centre`, and gives it the focus.
    void begin(const QString& text, QPointF centre);
    // Keeps the field centred on `centre` as the layout moves.
    void moveCentre(QPointF centre);
    // Commits what was typed, if editing.
    void commit();
    // Hides the field without committing.
    void cancel();
    bool isEditing() const { return m_editing; }
    // Whether the last edit ended because a click took the focus elsewhere.
    bool endedByPointer() const { return m_endedByPointer; }

  signals:
    void committed(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void fitToText();
    void finish(bool byPointer);

    QLineEdit* m_field; // child, owned by this widget
    QPointF m_centre;
    bool m_editing = false;
    bool m_endedByPointer = false;
};

} // namespace lustrelab
