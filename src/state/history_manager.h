#pragma once

#include "history_state.h"

#include <QList>
#include <QObject>
#include <optional>

namespace lustrelab {

// Undo and redo as whole snapshots rather than inverse commands. The caller
// decides when to save and applies what undo/redo hand back; this class never
// touches the document. saveState trims to maxHistory and empties the redo
// stack, and undo/redo only move one snapshot across while pushing the present
// state onto the other stack, so both stacks together never exceed the limit.
class HistoryManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY canUndoChanged)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY canRedoChanged)

  public:
    static constexpr qsizetype maxHistory = 50;

    using QObject::QObject;

    bool canUndo() const { return m_canUndo; }
    bool canRedo() const { return m_canRedo; }
    const QList<HistoryState>& undoStack() const { return m_undoStack; }
    const QList<HistoryState>& redoStack() const { return m_redoStack; }

    // Records the state just before an undoable edit; discards the redo history.
    void saveState(const HistoryState& state);
    // Both take the present state, which becomes the step to go forward (back) to.
    std::optional<HistoryState> undo(const HistoryState& present);
    std::optional<HistoryState> redo(const HistoryState& present);
    void clear();

  signals:
    void canUndoChanged(bool canUndo);
    void canRedoChanged(bool canRedo);

  private:
    void updateFlags();

    QList<HistoryState> m_undoStack; // oldest first
    QList<HistoryState> m_redoStack; // oldest first
    bool m_canUndo = false;
    bool m_canRedo = false;
};

} // namespace lustrelab
