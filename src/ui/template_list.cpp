#include "template_list.h"

#include "shell_palette.h"
#include "sidebar_style.h"
#include "state/app_state.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QStyledItemDelegate>

namespace lustrelab {

namespace {

constexpr int createdAtRole = Qt::UserRole + 1;

// A row: the template's name over the day it was saved, in small secondary type.
class TemplateRowDelegate : public QStyledItemDelegate
{
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        const QFontMetrics name(subheadlineFont(option.font));
        const QFontMetrics date(captionFont(option.font));
        return {option.rect.width(), name.height() + date.height() + 2 + 10};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const QRect area = option.rect.adjusted(8, 5, -8, -5);
        const QFont nameFont = subheadlineFont(option.font);
        const QFont dateFont = captionFont(option.font);
        const QFontMetrics nameMetrics(nameFont);
        painter->save();
        painter->setFont(nameFont);
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(
            QRect(area.left(), area.top(), area.width(), nameMetrics.height()),
            Qt::AlignLeft | Qt::AlignVCenter,
            nameMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, area.width()));
        painter->setFont(dateFont);
        painter->setPen(selected ? option.palette.color(QPalette::HighlightedText)
                                 : shell::secondaryColor(option.palette));
        painter->drawText(QRect(area.left(), area.top() + nameMetrics.height() + 2, area.width(),
                                QFontMetrics(dateFont).height()),
                          Qt::AlignLeft | Qt::AlignVCenter, index.data(createdAtRole).toString());
        painter->restore();
    }
};

QString savedOn(const QDateTime& createdAt)
{
    // The day only, in the short month-name style of the user's language.
    return QLocale().toString(createdAt.toLocalTime().date(), QStringLiteral("MMM d, yyyy"));
}

} // namespace

TemplateList::TemplateList(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_list = new QListWidget(this);
    m_list->setAccessibleName(tr("Templates"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setItemDelegate(new TemplateRowDelegate(m_list));
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->installEventFilter(this);
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (QGuiApplication::keyboardModifiers() & (Qt::ControlModifier | Qt::ShiftModifier))
            return; // extending the selection, not choosing a look
        applyRow(m_list->row(item));
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QListWidgetItem* item = m_list->itemAt(at);
        if (!item)
            return;
        if (!item->isSelected())
            m_list->setCurrentItem(item);
        QMenu menu(m_list);
        QAction* apply = menu.addAction(tr("Apply"));
        QAction* remove = menu.addAction(tr("Delete"));
        const QAction* chosen = menu.exec(m_list->viewport()->mapToGlobal(at));
        if (chosen == apply)
            applyRow(m_list->row(item));
        else if (chosen == remove)
            deleteSelectedRows();
    });
    column->addWidget(m_list);

    m_empty = makeCaption(tr("No templates yet"), this);
    m_empty->setObjectName(QStringLiteral("emptyLabel"));
    m_empty->setContentsMargins(0, 4, 0, 4);
    column->addWidget(m_empty);

    connect(&m_state.templateManager(), &TemplateManager::templatesChanged, this, &TemplateList::rebuild);
    rebuild();
}

void TemplateList::rebuild()
{
    const QList<Template>& templates = m_state.templateManager().templates();
    m_list->clear();
    for (const Template& entry : templates) {
        auto* item = new QListWidgetItem(entry.name, m_list);
        item->setData(createdAtRole, savedOn(entry.createdAt));
        item->setToolTip(entry.name);
    }
    m_list->setVisible(!templates.isEmpty());
    m_empty->setVisible(templates.isEmpty());
    // Tall enough for every row, so the sidebar scrolls rather than the list.
    const int rowHeight = templates.isEmpty() ? 0 : m_list->sizeHintForRow(0);
    m_list->setFixedHeight(rowHeight * int(templates.size()) + 2 * m_list->frameWidth());
}

void TemplateList::applyRow(int row)
{
    const QList<Template>& templates = m_state.templateManager().templates();
    if (row >= 0 && row < templates.size())
        m_state.applyTemplate(templates[row]);
}

void TemplateList::deleteSelectedRows()
{
    QList<qsizetype> rows;
    for (const QListWidgetItem* item : m_list->selectedItems())
        rows.append(m_list->row(item));
    if (rows.isEmpty())
        return;
    m_state.templateManager().deleteTemplates(rows);
}

bool TemplateList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) {
            deleteSelectedRows();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            applyRow(m_list->currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace lustrelab
