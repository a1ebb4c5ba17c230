#include "history_manager.h"

namespace lustrelab {

void HistoryManager::saveState(const HistoryState& state)
{
    m_undoStack.append(state);
    if (m_undoStack.size() > maxHistory)
        m_undoStack.removeFirst();
    m_redoStack.clear();
    updateFlags();
}

std::optional<HistoryState> HistoryManager::undo(const HistoryState& present)
{
    if (m_undoStack.isEmpty())
        return std::nullopt;
    HistoryState restored = m_undoStack.takeLast();
    m_redoStack.append(present);
    updateFlags();
    return restored;
}

std::optional<HistoryState> HistoryManager::redo(const HistoryState& present)
{
    if (m_redoStack.isEmpty())
        return std::nullopt;
    HistoryState restored = m_redoStack.takeLast();
    m_undoStack.append(present);
    updateFlags();
    return restored;
}

void HistoryManager::clear()
{
    m_undoStack.clear();
    m_redoStack.clear();
    updateFlags();
}

void HistoryManager::updateFlags()
{
    const bool canUndo = !m_undoStack.isEmpty();
    const bool canRedo = !m_redoStack.isEmpty();
    if (canUndo != m_canUndo) {
        m_canUndo = canUndo;
        emit canUndoChanged(canUndo);
    }
    if (canRedo != m_canRedo) {
        m_canRedo = canRedo;
        emit canRedoChanged(canRedo);
    }
}

} // namespace lustrelab
